// Host values at the boundaries: value records of both widths, results handed to the add-in, and
// the printed forms.
#include "host/bridge/result_store.h"
#include "host/bridge/value_record.h"
#include "host/cli/output_format.h"

#include <gtest/gtest.h>

namespace zorvane::host::test {
namespace {

Value sample_array()
{
    Array a(2, 3);
    a.set(0, 0, 1.5);
    a.set(0, 1, Value(u"x,y"));
    a.set(0, 2, true);
    a.set(1, 0, ErrorCode::na);
    a.set(1, 1, Nil{});
    a.set(1, 2, Value(u"Müller"));
    return a;
}

TEST(ValueRecords, WideRoundTrip)
{
    for (const Value& v : {Value(2.5), Value(u"text"), Value(u""), Value(true), Value(ErrorCode::div0), Value(Missing{}), Value(Nil{}),
                           sample_array(), Value(Ref{1, 2, 3, 4})}) {
        OwnedXloper12 record(v);
        EXPECT_EQ(value_from_record(*record.get()), v);
    }
    OwnedXloper12 text(Value(u"abc"));
    EXPECT_EQ(text.get()->val.str[0], 3); // counted, no terminator needed
}

TEST(ValueRecords, NarrowRoundTripIsLatin1AndCut)
{
    OwnedXloper record(Value(u"Müller"));
    EXPECT_EQ(static_cast<unsigned char>(record.get()->val.str[0]), 6u);
    EXPECT_EQ(static_cast<unsigned char>(record.get()->val.str[2]), 0xFCu); // one byte per code unit
    EXPECT_EQ(value_from_record(*record.get()), Value(u"Müller"));
    OwnedXloper long_text(Value(std::u16string(300, u'a')));
    EXPECT_EQ(static_cast<unsigned char>(long_text.get()->val.str[0]), 255u);
    OwnedXloper array(sample_array());
    const Value back = value_from_record(*array.get());
    EXPECT_EQ(back.array().at(0, 1), Value(u"x,y"));
    EXPECT_EQ(back.array().at(1, 0), Value(ErrorCode::na));
}

TEST(ValueRecords, MalformedRecordsAreRejected)
{
    XLOPER12 x{};
    x.xltype = xltypeStr;
    x.val.str = nullptr;
    EXPECT_THROW(value_from_record(x), InvalidValueRecord);
    x.xltype = xltypeMulti;
    x.val.array.rows = -1;
    EXPECT_THROW(value_from_record(x), InvalidValueRecord);
    x.xltype = xltypeErr;
    x.val.err = 99;
    EXPECT_THROW(value_from_record(x), InvalidValueRecord);
    x.xltype = 0x7777;
    EXPECT_THROW(value_from_record(x), InvalidValueRecord);
    XLOPER12 nested[1]{};
    nested[0].xltype = xltypeMulti;
    x.xltype = xltypeMulti;
    x.val.array.rows = 1;
    x.val.array.columns = 1;
    x.val.array.lparray = nested;
    EXPECT_THROW(value_from_record(x), InvalidValueRecord);
    // The 8-bit width reads references through the same checks.
    XLOPER inverted{};
    inverted.xltype = xltypeSRef;
    inverted.val.sref.ref = XLREF{5, 2, 0, 0};
    EXPECT_THROW(value_from_record(inverted), InvalidValueRecord);
    XLOPER12 off_sheet{};
    off_sheet.xltype = xltypeSRef;
    off_sheet.val.sref.ref = XLREF12{0, 1048576, 0, 0}; // one row below the sheet
    EXPECT_THROW(value_from_record(off_sheet), InvalidValueRecord);
}

TEST(ValueRecords, NarrowReferencesReachTheLastRowAndColumnOfTheirSheet)
{
    OwnedXloper corner(Value(Ref{65535, 255, 65535, 255}));
    EXPECT_EQ(corner.record().xltype, static_cast<WORD>(xltypeSRef));
    EXPECT_EQ(value_from_record(corner.record()), Value(Ref{65535, 255, 65535, 255}));
    OwnedXloper beyond(Value(Ref{0, 0, 65536, 0})); // a wide sheet's range has no 8-bit form
    EXPECT_EQ(beyond.record().xltype, static_cast<WORD>(xltypeNil));
}

TEST(ResultStore, HandsOutAndFreesOnce)
{
    ResultStore store;
    XLOPER12 text{};
    store.hand_out(Value(u"abc"), text);
    EXPECT_EQ(text.xltype, static_cast<DWORD>(xltypeStr | xlbitXLFree));
    XLOPER array{};
    store.hand_out(sample_array(), array);
    EXPECT_EQ(array.xltype, static_cast<WORD>(xltypeMulti | xlbitXLFree));
    XLOPER12 number{};
    store.hand_out(Value(1.0), number);
    EXPECT_EQ(number.xltype, static_cast<DWORD>(xltypeNum)); // owns nothing
    EXPECT_EQ(store.outstanding(), 2u);

    XLOPER12 copy = text;
    store.release(text);
    EXPECT_EQ(store.outstanding(), 1u);
    store.release(copy); // a second free of the same storage is ignored
    store.release(number);
    store.release(array);
    EXPECT_EQ(store.outstanding(), 0u);
}

TEST(Output, CsvQuotesOnlyWhenNeeded)
{
    EXPECT_EQ(format_value(Value(u"'2014-05-31'"), OutputFormat::csv), "'2014-05-31'\n");
    EXPECT_EQ(format_value(sample_array(), OutputFormat::csv), "1.5,\"x,y\",TRUE\n#N/A,,Müller\n");
    EXPECT_EQ(csv_field(Value(u"say \"hi\"")), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csv_field(Value(u" lead")), "\" lead\"");
    EXPECT_EQ(csv_field(Value(u"two\nlines")), "\"two\nlines\"");
    EXPECT_EQ(csv_field(Value(0.1 + 0.2)), "0.3");
    EXPECT_EQ(csv_field(Value(Missing{})), "");
    EXPECT_EQ(csv_field(Value(ErrorCode::name)), "#NAME?");
}

TEST(Output, JsonAndGrid)
{
    EXPECT_EQ(format_value(sample_array(), OutputFormat::json),
              "[[1.5,\"x,y\",true],[{\"error\":\"#N/A\"},null,\"Müller\"]]\n");
    EXPECT_EQ(json_value(Value(u"a\"b\\\n")), "\"a\\\"b\\\\\\n\"");
    Array a(2, 2);
    a.set(0, 0, Value(u"name"));
    a.set(0, 1, 1.0);
    a.set(1, 0, Value(u"x"));
    a.set(1, 1, 100.0);
    EXPECT_EQ(format_value(a, OutputFormat::grid), "name    1\nx     100\n");
    EXPECT_EQ(format_value(Value(u"plain, text"), OutputFormat::grid), "plain, text\n");
}

} // namespace
} // namespace zorvane::host::test
