// The host's arrays hold their elements compactly, texts in a pool of their own: every kind of
// element must read back as the Value it was, through an overwrite, a copy and a value record.
#include "host/bridge/value_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zorvane::host::test {
namespace {

// Elements of every kind, texts of every length the sheet has (a cell holds at most 32767
// units) and with a surrogate pair.
std::vector<Value> elements()
{
    return {Value(u""),
            Value(u"a"),
            Value(u"seven77"),
            Value(u"eight888"),
            Value(u"\U0001F600 smile"),
            Value(std::u16string(32767, u'z')),
            Value(-0.0),
            Value(1.5),
            Value(std::numeric_limits<double>::max()),
            Value(true),
            Value(false),
            Value(ErrorCode::na),
            Value(ErrorCode::getting_data),
            Value(Nil{}),
            Value(Missing{})};
}

Array filled(const std::vector<Value>& values)
{
    Array a(1, static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        a.set(0, static_cast<int>(i), values[i]);
    return a;
}

TEST(CompactArray, ElementsReadBackAsTheyWereSet)
{
    const std::vector<Value> values = elements();
    Array a = filled(values);
    // Overwritten with shorter, longer and other kinds and back, the pool reused and regrown.
    for (int round = 0; round < 3; ++round)
        for (std::size_t i = 0; i < values.size(); ++i)
            a.set(0, static_cast<int>(i), values[(i + 1 + static_cast<std::size_t>(round)) % values.size()]);
    for (std::size_t i = 0; i < values.size(); ++i)
        a.set(0, static_cast<int>(i), values[i]);
    const Array copy = a;
    Array source = a;
    const Array moved = std::move(source);
    OwnedXloper12 record{Value(a)};
    const Value through_record = value_from_record(*record.get());
    for (const Array* read : {static_cast<const Array*>(&a), &copy, &moved, &through_record.array()}) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Value back = read->at(0, static_cast<int>(i));
            EXPECT_EQ(back, values[i]) << i;
            EXPECT_EQ(read->cell(0, static_cast<int>(i)).is_text(), values[i].is_text()) << i;
        }
    }
    EXPECT_TRUE(std::signbit(a.at(0, 6).number()));
    EXPECT_EQ(a, filled(values)); // the same elements, whatever the pools' layout
}

TEST(CompactArray, ManyOverwritesKeepTheOtherTexts)
{
    Array a(2, 2);
    a.set(0, 0, Value(u"first text"));
    a.set(1, 1, Value(u"last text"));
    for (int i = 0; i < 2000; ++i)
        a.set(0, 1, Value(std::u16string(static_cast<std::size_t>(i % 50) + 8, u'x')));
    EXPECT_EQ(a.at(0, 0), Value(u"first text"));
    EXPECT_EQ(a.at(1, 1), Value(u"last text"));
    EXPECT_EQ(a.at(0, 1), Value(std::u16string(1999 % 50 + 8, u'x')));
    EXPECT_TRUE(a.at(1, 0).is_nil());
}

TEST(CompactArray, EqualityIsValueEquality)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(filled({Value(0.0)}), filled({Value(-0.0)}));
    EXPECT_NE(filled({Value(nan)}), filled({Value(nan)})); // as a Value holding NaN is unequal to itself
    EXPECT_NE(filled({Value(1.0)}), filled({Value(true)}));
    EXPECT_NE(filled({Value(u"a")}), filled({Value(u"A")}));
    EXPECT_NE(filled({Value(Nil{})}), filled({Value(Missing{})}));
    EXPECT_NE(filled({Value(1.0), Value(2.0)}), Array(2, 1));
}

TEST(CompactArray, AnArrayOrAReferenceInAnElement)
{
    Array inner(1, 2);
    inner.set(0, 0, Value(u"top-left"));
    Array a(1, 3);
    a.set(0, 0, Value(inner));
    a.set(0, 1, Value(Ref{0, 0, 1, 1}));
    a.set(0, 2, Value(Array()));
    EXPECT_EQ(a.at(0, 0), Value(u"top-left"));
    EXPECT_TRUE(a.at(0, 1).is_nil());
    EXPECT_TRUE(a.at(0, 2).is_nil());
}

} // namespace
} // namespace zorvane::host::test
