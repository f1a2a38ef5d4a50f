// Reading type texts, keeping registrations, and answering dialog boxes.
#include "host/bridge/registry.h"
#include "host/bridge/type_text.h"
#include "host/sheet/dialog_box.h"

#include <gtest/gtest.h>

namespace zorvane::host::test {
namespace {

TEST(TypeText, CodesAndFlags)
{
    auto t = parse_type_text("QC%BAJ!");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->result, ArgType::oper12);
    EXPECT_EQ(t->args, (std::vector<ArgType>{ArgType::text16, ArgType::real, ArgType::boolean_short, ArgType::int32}));
    EXPECT_TRUE(t->is_volatile);
    EXPECT_FALSE(t->thread_safe);

    t = parse_type_text("D%D%CUPRIHE#$&");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->result, ArgType::counted16);
    EXPECT_EQ(t->args.size(), 8u);
    EXPECT_EQ(t->args[0], ArgType::counted16);
    EXPECT_EQ(t->args[1], ArgType::text8); // '%' belongs to the code before it only
    EXPECT_TRUE(t->macro_equivalent && t->thread_safe && t->cluster_safe);
    EXPECT_FALSE(t->is_volatile);

    // An asynchronous function returns nothing and takes its handle, anywhere among its arguments.
    t = parse_type_text(">QXB");
    ASSERT_TRUE(t.has_value());
    EXPECT_TRUE(t->is_async());
    EXPECT_EQ(t->args, (std::vector<ArgType>{ArgType::oper12, ArgType::async_handle, ArgType::real}));
    EXPECT_EQ(t->formula_arguments(), 2u);
    EXPECT_EQ(parse_type_text("QBJ")->formula_arguments(), 2u);

    for (const char* bad : {"", "Z", "QZ", "%Q", "Q%", ">", ">Q", "QX", ">XX", "X", "XQ", ">Q>X"})
        EXPECT_FALSE(parse_type_text(bad).has_value()) << bad;
    EXPECT_TRUE(parse_type_text("Q" + std::string(255, 'Q')).has_value());
    EXPECT_FALSE(parse_type_text("Q" + std::string(256, 'Q')).has_value());
}

TEST(Registry, IdsNamesAndReplacement)
{
    Registry registry;
    Registration a;
    a.module = "/m.xll";
    a.procedure = "fA";
    a.function_text = "Alpha";
    a.argument_text = " x, y ,z";
    const double id = registry.add(a);
    Registration alias = a;
    alias.function_text = "A";
    const double alias_id = registry.add(alias);
    EXPECT_NE(id, alias_id);
    a.function_help = "again";
    EXPECT_EQ(registry.add(a), id); // the same name again keeps its id
    EXPECT_EQ(registry.all().size(), 2u);
    EXPECT_EQ(registry.find_name("ALPHA")->function_help, "again");
    EXPECT_EQ(registry.find_name("alpha")->argument_names(), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(registry.find_procedure("/m.xll", "fA")->id, id);
    EXPECT_EQ(registry.find_name(""), nullptr);
    EXPECT_TRUE(registry.remove(id));
    EXPECT_FALSE(registry.remove(id));
    EXPECT_EQ(registry.find_name("Alpha"), nullptr);
    EXPECT_NE(registry.find_id(alias_id), nullptr);
}

Value definition()
{
    Array t(5, 7);
    t.set(1, 0, 5.0); // static text
    t.set(2, 0, 2.0); // Cancel
    t.set(3, 0, 101.0); // default OK, marked as a trigger
    t.set(4, 0, 6.0); // text box
    t.set(4, 6, Value(u"initial"));
    return t;
}

TEST(DialogBox, DefaultButtonEntriesAndCancel)
{
    const Value plain = answer_dialog(definition(), std::nullopt);
    ASSERT_TRUE(plain.is_array());
    EXPECT_EQ(plain.array().at(0, 6), Value(3.0)); // the default OK button, whatever its flags
    EXPECT_EQ(plain.array().at(4, 6), Value(u"initial"));

    const Value typed = answer_dialog(definition(), DialogAnswer{false, 0, {{4, u"42"}, {1, u"TRUE"}, {9, u"ignored"}}});
    EXPECT_EQ(typed.array().at(4, 6), Value(u"42")); // a text box keeps text
    EXPECT_EQ(typed.array().at(1, 6), Value(true));
    EXPECT_EQ(typed.array().rows, 5);

    EXPECT_EQ(answer_dialog(definition(), DialogAnswer{true, 0, {}}), Value(false));
    EXPECT_EQ(answer_dialog(definition(), DialogAnswer{false, 2, {}}), Value(false)); // its Cancel button
    EXPECT_EQ(answer_dialog(Value(1.0), std::nullopt), Value(ErrorCode::value));

    Array narrow(2, 3); // fewer than seven columns grow to seven
    narrow.set(1, 0, 1.0);
    const Value grown = answer_dialog(narrow, std::nullopt);
    EXPECT_EQ(grown.array().columns, 7);
    EXPECT_EQ(grown.array().at(0, 6), Value(1.0));
}

} // namespace
} // namespace zorvane::host::test
