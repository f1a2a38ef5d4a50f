// The add-in's whole public surface as the host sees it: every register call of both lists, in
// order, value by value, against a table written from the published catalogue rather than from
// the records themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "mock_host.h"
#include "xll/xll.h"

using namespace xll;

extern "C" {
int xlAutoOpen(void);
int xlAutoRemove(void);
}

namespace {

struct Argument {
    const char* name;
    const char* help;
    const char* init = nullptr; // the default the paste macros lay out
};

struct Record {
    const char* function;
    const char* procedure;
    const char* category = nullptr; // commands carry only procedure and function text
    const char* type_text = nullptr;
    const char* argument_text = nullptr;
    const char* help = nullptr;
    std::vector<Argument> args = {};
};

const char* const none_required = "No argument required. ";
const char* const connection = "An ODBC connection string. ";
const char* const headers = "Optional. By default is FALSE. ";
const char* const flags_help = "are optional flags describing the type of match to perform ";

// The REGEX constants are exported as _xll_NAME@0.
Record constant(const char* name, const char* help)
{
    return {name, nullptr, "Regex", "Q", "", help};
}

std::vector<Record> wide_list()
{
    std::vector<Record> list = {
        {"zVersion", "?zVersion", "Zorvane", "Q!U", "", "Returns the current version of this add-in.", {{"", none_required}}},
        {"zFileLocation", "?zFileLocation", "Zorvane", "QU", "", "Returns the location of this add-in file.", {{"", none_required}}},
        {"zStatement", "?zStatement", "Zorvane", "QC%C%A", "Connection string, SQL statement, Headers",
         "Description of what function does.",
         {{"Connection string", connection}, {"SQL statement", "A valid SQL statement. "}, {"Headers", headers}}},
        {"zSELECT", "?zSELECT", "Zorvane", "QC%C%C%C%C%C%A", "Connection string, SELECT, FROM, WHERE, GROUP BY, ORDER BY, Headers",
         "There is no need to include the SQL keywords presented as field names.",
         {{"Connection string", connection},
          {"SELECT", "A combination of TOP x | ALL | DISTINCT | * | column1, column2. "},
          {"FROM", "The name of the table or view. "},
          {"WHERE", "Optional. One or several conditions. i.e. PRICE>5 "},
          {"GROUP BY", "Optional. How the results are grouped. "},
          {"ORDER BY", "Optional. A column name|number of column and [ ASC | DESC ]. "},
          {"Headers", headers}}},
        {"zEXECUTE", "?zEXECUTE", "Zorvane", "QC%C%C%C%C%C%C%C%C%C%C%C%A",
         "Connection string, Store procedure, Param1, Param2, Param3, Param4, Param5, Param6, Param7, Param8, Param9, Param10, Headers",
         "The stored procedure should return rows.",
         {{"Connection string", connection},
          {"Store procedure", "The name of sp excluding the key word EXEC. "},
          {"Param1", "Optional. The value for parameter 1. "},
          {"Param2", "Optional. The value for parameter 2. "},
          {"Param3", "Optional. The value for parameter 3. "},
          {"Param4", "Optional. The value for parameter 4. "},
          {"Param5", "Optional. The value for parameter 5. "},
          {"Param6", "Optional. The value for parameter 6. "},
          {"Param7", "Optional. The value for parameter 7. "},
          {"Param8", "Optional. The value for parameter 8. "},
          {"Param9", "Optional. The value for parameter 9. "},
          {"Param10", "Optional. The value for parameter 10. "},
          {"Headers", headers}}},
        {"zListTables", "?zListTables", "Zorvane", "QC%A", "Connection string, Headers", "List all available tables in database.",
         {{"Connection string", connection}, {"Headers", headers}}},
        {"zListProcedures", "?zListProcedures", "Zorvane", "QC%A", "Connection string, Headers",
         "List all available stored procedures in database.", {{"Connection string", connection}, {"Headers", headers}}},
        {"zListViews", "?zListViews", "Zorvane", "QC%A", "Connection string, Headers", "List all available views in database.",
         {{"Connection string", connection}, {"Headers", headers}}},
        {"zListColumns", "?zListColumns", "Zorvane", "QC%C%A", "Connection string, Table name, Headers",
         "List all available columns in the specified table or view.",
         {{"Connection string", connection}, {"Table name", "The name of an existing table or view. "}, {"Headers", headers}}},
        {"zSQLDate", "?zSQLDate", "Zorvane", "QB", "Excel date", "Returns a single quote ISO formatted date. Same as zD().",
         {{"Excel date", "An Excel date. "}}},
        {"zD", "?zSQLDate", "Zorvane", "QB", "Excel date", "Returns a single quote ISO formatted date. Same as zSQLDate().",
         {{"Excel date", "An Excel date. "}}},
        {"zSQLDateTime", "?zSQLDateTime", "Zorvane", "QB", "Excel date",
         "Returns a single-quoted ISO formatted date and time. Same as zDT().", {{"Excel date", "An Excel date. "}}},
        {"zDT", "?zSQLDateTime", "Zorvane", "QB", "Excel date",
         "Returns a single-quoted ISO formatted date and time. Same as zSQLDateTime().", {{"Excel date", "An Excel date. "}}},
        {"zSQLString", "?zSQLString", "Zorvane", "QC%", "String", "Returns a single-quoted string. Same as zS().",
         {{"String", "Any string. "}}},
        {"zS", "?zSQLString", "Zorvane", "QC%", "String", "Returns a single-quoted string. Same as zSQLString.",
         {{"String", "Any string. "}}},
        {"zJoin", "?zJoin", "Zorvane", "QQC%", "Range, Delimiter", "Returns a string of joined cells separated by the separator string.",
         {{"Range", "Cells to be joined in the string. "}, {"Delimiter", "Optional. If omitted, a space \" \" is used. "}}},
        {"zSplit", "?zSplit", "Zorvane", "QC%C%C%", "String, Columns delimiter, Row delimiter",
         "Returns an array of cells split by the separator strings.",
         {{"String", "is a string to split.", "1,2,3;4,5,6"},
          {"Columns delimiter", "is the delimiter for columns. Default is \",\"."},
          {"Row delimiter", "is the delimiter for rows. Default is \";\". "}}},
        {"zCache_List", "?zCache_List", "Zorvane", "Q!A", "Labels", "An array functions that displays current cached data.",
         {{"Labels", "List data cached in memory. "}}},
        constant("REGEX_FORMAT_DEFAULT", "Use ECMAScript format rules. "),
        constant("REGEX_FORMAT_FIRST_ONLY", "Do not search for matches after the first one. "),
        constant("REGEX_FORMAT_NO_COPY", "Do not copy text that does not match the regular expression. "),
        constant("REGEX_FORMAT_SED", "Use sed format rules. "),
        constant("REGEX_MATCH_ANY", "If more than one match is possible any match is acceptable. "),
        constant("REGEX_MATCH_CONTINUOUS", "Do not search for matches other than at the beginning of the target sequence. "),
        constant("REGEX_MATCH_DEFAULT", "Use default matching rules. "),
        constant("REGEX_MATCH_NOT_BOL", "Do not treat the first position in the target sequence as the beginning of a line. "),
        constant("REGEX_MATCH_NOT_BOW", "Do not treat the first position in the target sequence as the beginning of a word. "),
        constant("REGEX_MATCH_NOT_EOL", "Do not treat the past-the-end position in the target sequence as the end of a line. "),
        constant("REGEX_MATCH_NOT_EOW", "Do not treat the past-the-end position in the target sequence as the end of a word. "),
        constant("REGEX_MATCH_NOT_NULL", "Do not treat an empty subsequence as a match. "),
        constant("REGEX_MATCH_PREV_AVAIL", "First is a valid iterator; ignore match_not_bol and match_not_bow if set. "),
        {"REGEX.MATCH", "?xll_regex_match", "Regex", "QQC%J", "Subject, Pattern, Flags",
         "Returns TRUE for cells in Subject exactly matching Pattern and FALSE if not.",
         {{"Subject", "is the text to be matched", "=INT(1000*RAND())"},
          {"Pattern", "is the regular expression", "'\\d{2,3}"},
          {"Flags", flags_help, "=REGEX_FORMAT_DEFAULT()"}}},
        {"REGEX.REPLACE", "?xll_regex_replace", "Regex", "QQC%C%J", "Subject, Pattern, Replace, _Flags",
         "Replace text in Subject matching Pattern.",
         {{"Subject", "is the text to be searched"},
          {"Pattern", "is the regular expression"},
          {"Replace", "is the replacement text "},
          {"_Flags", flags_help}}},
        {"REGEX.SEARCH", "?xll_regex_search", "Regex", "QC%C%J", "Subject, Pattern, Flags",
         "Return a one column array of all submatches from Subject that match Pattern.",
         {{"Subject", "is the text to be searched"}, {"Pattern", "is the regular expression"}, {"Flags", flags_help}}},
        {"zWebQuery", "?xll_zWebQuery", "Zorvane", "QC%", "URL",
         "Retrieves content from the web. Don't forget to include 'http://' prefix.",
         {{"URL", "is the internet address to be retrieved."}}},
        {"zWebQueryJSON", "?xll_zWebQueryJSON", "Zorvane", "QC%C%", "URL, Key",
         "Retrieves a simple JSON string from the web. Don't forget to include 'http://' prefix.",
         {{"URL", "is the internet address to be retrieved."}, {"Key", "Optional. Is the 'Key' to be searched."}}},
        {"zCache_Clear", "?zCache_Clear", "Zorvane", "QA", "", "Clears current cached data.", {{"", none_required}}},
        {"zClearCache", "?zmClear_Cache"},
        {"zCache_MemoryUsed", "?zCache_MemoryUsed", "Zorvane", "QA", "", "Approximate size of memory used by cache expressed in bytes.",
         {{"", none_required}}},
        {"zClearMsg", "?xll_ClearMsg"},
        {"zShowLoadMsg", "?xll_macro"},
        {"zQuery", "?zQuery", "Zorvane", "QC%C%QA", "Connection, Statement, Parameters, Headers",
         "Runs a SQL statement with cell values bound to its ? markers; no value becomes part of the SQL text.",
         {{"Connection", connection},
          {"Statement", "A SQL statement with a ? marker where each value goes. "},
          {"Parameters", "The values for the markers: a value, or a range or array read row by row. An empty cell is NULL. "},
          {"Headers", headers}}},
        {"zQuery.CalculationCanceled", "?zQueryCalculationCanceled"},
        {"zQuery.CalculationEnded", "?zQueryCalculationEnded"},
    };
    return list;
}

const std::vector<Record> eight_bit_list = {
    {"ALERT.FILTER", "_xll_alert_filter@0"},
    {"XLL.PASTE.BASIC", "_xll_paste_basic@0"},
    {"XLL.PASTE.CREATE", "_xll_paste_create@0"},
};

std::string procedure_of(const Record& r)
{
    return r.procedure ? r.procedure : std::string("_xll_") + r.function + "@0";
}

uint32_t hash(const std::string& s) { return help_hash(s.data(), s.size()); }

std::string text_of(const OPER12& x)
{
    std::string s;
    for (auto c : x.text())
        s += static_cast<char>(c);
    return s;
}

// One register call against its row of the table.
void expect_register_call(const std::vector<mock::Value>& call, const Record& r)
{
    SCOPED_TRACE(r.function);
    const bool command = r.type_text == nullptr;
    ASSERT_EQ(call.size(), 10 + r.args.size());
    EXPECT_EQ(call[0].text, "/opt/addins/Zorvane.xll");
    EXPECT_EQ(call[1].text, procedure_of(r));
    EXPECT_EQ(call[3].text, r.function);
    EXPECT_EQ(call[5].type, unsigned(xltypeNum));
    EXPECT_EQ(call[5].num, command ? 2 : 1);
    EXPECT_EQ(call[7].type, unsigned(xltypeNil)); // no shortcut text
    if (command) {
        for (size_t slot : {2u, 4u, 6u, 8u, 9u})
            EXPECT_EQ(call[slot].type, unsigned(xltypeNil)) << "slot " << slot;
        return;
    }
    for (size_t slot : {2u, 4u, 6u, 8u, 9u})
        EXPECT_EQ(call[slot].type, unsigned(xltypeStr)) << "slot " << slot;
    EXPECT_EQ(call[2].text, r.type_text);
    EXPECT_EQ(call[4].text, r.argument_text);
    EXPECT_EQ(call[6].text, r.category);
    EXPECT_EQ(call[8].text, "/opt/addins/Zorvane.chm!" + std::to_string(hash(r.function)));
    EXPECT_EQ(call[9].text, r.help);
    for (size_t i = 0; i < r.args.size(); ++i)
        EXPECT_EQ(call[10 + i].text, r.args[i].help) << "argument " << i + 1;
}

// The argument descriptors the paste macros read: names and defaults.
void expect_descriptors(const Args12& args, const Record& r)
{
    SCOPED_TRACE(r.function);
    ASSERT_EQ(args.ArgCount(), r.type_text ? r.args.size() + 1 : 0u);
    for (size_t i = 0; i < r.args.size(); ++i) {
        const auto& d = args.Arg(i + 1);
        EXPECT_EQ(text_of(d.name), r.args[i].name);
        if (r.args[i].init) {
            EXPECT_TRUE(d.init.is(xltypeStr)) << "default of argument " << i + 1;
            EXPECT_EQ(text_of(d.init), r.args[i].init);
        }
        else {
            EXPECT_TRUE(d.init.is(xltypeNil)) << "argument " << i + 1 << " has a default";
        }
    }
}

} // namespace

TEST(Catalogue, EveryRegistrationAsTheHostReceivesIt)
{
    mock::host().reset();
    ASSERT_EQ(xlAutoOpen(), 1);
    EXPECT_TRUE(mock::host().alerts.empty());

    std::vector<const mock::Call*> registers;
    for (const auto& c : mock::host().calls)
        if (c.xlfn == xlfRegister)
            registers.push_back(&c);
    const std::vector<Record> wide = wide_list();
    ASSERT_EQ(registers.size(), eight_bit_list.size() + wide.size());
    for (size_t i = 0; i < registers.size(); ++i) {
        const bool eight_bit = i < eight_bit_list.size();
        EXPECT_EQ(registers[i]->wide, !eight_bit) << i;
        expect_register_call(registers[i]->args, eight_bit ? eight_bit_list[i] : wide[i - eight_bit_list.size()]);
    }

    // The lists themselves: the documentation records sit in their places and are never
    // registered; every other record knows its register id.
    std::vector<std::string> order;
    for (const auto* a : AddIn12::List()) {
        if (a->args().macro_type() == macro_documentation) {
            order.push_back("doc:" + text_of(a->args()[slot_category]));
            EXPECT_EQ(a->register_id(), 0);
            continue;
        }
        order.push_back(text_of(a->args()[slot_function_text]));
        EXPECT_GT(a->register_id(), 0) << order.back();
    }
    std::vector<std::string> expected;
    for (const auto& r : wide) {
        if (std::string(r.function) == "REGEX_FORMAT_DEFAULT")
            expected.push_back("doc:Regex");
        expected.push_back(r.function);
        if (std::string(r.function) == "zWebQueryJSON")
            expected.push_back("doc:Zorvane");
    }
    EXPECT_EQ(order, expected);
    for (size_t i = 0, k = 0; i < AddIn12::List().size(); ++i)
        if (AddIn12::List()[i]->args().macro_type() != macro_documentation)
            expect_descriptors(AddIn12::List()[i]->args(), wide[k++]);
    ASSERT_EQ(AddIn::List().size(), eight_bit_list.size());

    // The key bindings come after registration, through the 8-bit callback.
    std::vector<std::vector<std::string>> keys;
    for (const auto& c : mock::host().calls)
        if (c.xlfn == xlcOnKey) {
            EXPECT_FALSE(c.wide);
            keys.push_back({});
            for (const auto& v : c.args)
                keys.back().push_back(v.text);
        }
    EXPECT_EQ(keys, (std::vector<std::vector<std::string>>{{"^+B", "XLL.PASTE.BASIC"}, {"^+C", "XLL.PASTE.CREATE"}}));

    // xlAutoRemove unregisters every registered record and removes both bindings.
    mock::host().calls.clear();
    ASSERT_EQ(xlAutoRemove(), 1);
    std::vector<std::string> unregistered;
    keys.clear();
    for (const auto& c : mock::host().calls) {
        if (c.xlfn == xlfRegisterId)
            unregistered.push_back(c.args.at(1).text);
        if (c.xlfn == xlcOnKey)
            keys.push_back({c.args.at(0).text + "/" + std::to_string(c.args.size())});
    }
    std::vector<std::string> procedures;
    for (const auto& r : eight_bit_list)
        procedures.push_back(procedure_of(r));
    for (const auto& r : wide)
        procedures.push_back(procedure_of(r));
    EXPECT_EQ(unregistered, procedures);
    EXPECT_EQ(mock::host().count(xlfUnregister), procedures.size());
    EXPECT_EQ(keys, (std::vector<std::vector<std::string>>{{"^+B/1"}, {"^+C/1"}}));
}

// From version 14 the host runs asynchronous functions: zQuery is then registered with its
// asynchronous procedure, returning nothing and taking the call's handle last, and keeps its
// names, helps, place and the descriptors the paste macros read; an older host gets it as ever.
TEST(Catalogue, ZQueryIsAsynchronousWhereTheHostRunsSuchFunctions)
{
    const struct {
        const char* version;
        const char* procedure;
        const char* type_text;
    } cases[] = {{"14.0", "?zQueryAsync", ">C%C%QAX"}, {"16.0", "?zQueryAsync", ">C%C%QAX"},
                 {"12.0", "?zQuery", "QC%C%QA"}, {"", "?zQuery", "QC%C%QA"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        mock::host().reset();
        mock::host().workspace_version = c.version;
        ASSERT_EQ(xlAutoOpen(), 1);
        // Found by its name: where it stands is the catalogue's to say.
        const auto& calls = mock::host().register_calls;
        const auto zquery_call = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
            return call.size() > 3 && call.at(3).text == "zQuery";
        });
        ASSERT_NE(zquery_call, calls.end());
        const auto& zquery = *zquery_call;
        EXPECT_EQ(zquery.at(1).text, c.procedure);
        EXPECT_EQ(zquery.at(2).text, c.type_text);
        EXPECT_EQ(zquery.at(4).text, "Connection, Statement, Parameters, Headers");
        EXPECT_EQ(zquery.size(), 14u) << "one help per named argument, none for the handle";
        const auto& records = AddIn12::List();
        const auto zquery_record = std::find_if(records.begin(), records.end(), [](const AddIn12* record) {
            return record->args()[slot_function_text].text() == xstring_view(XLL_T("zQuery"));
        });
        ASSERT_NE(zquery_record, records.end());
        EXPECT_EQ((*zquery_record)->args().ArgCount(), 5u);

        mock::host().calls.clear();
        ASSERT_EQ(xlAutoRemove(), 1);
        size_t unregistered = 0;
        for (const auto& call : mock::host().calls)
            if (call.xlfn == xlfRegisterId && call.args.at(1).text == c.procedure)
                ++unregistered;
        EXPECT_EQ(unregistered, 1u);
    }
}
