// The paste macros on a sheet, pressed with their keys as a user would: the cells, formulas,
// names, styles and alignment they leave, and how they fail.
#include <gtest/gtest.h>

#include "support/catalogue_names.h"
#include "text/sheet.h"

namespace {

// Runs the sheet with the add-in that carries the paste tests' own functions beside the catalogue:
// tCountRow12 (values default ={1,2,3}, _Label 7) and, registered through the 8-bit interface,
// tCountRow8 (values default ={1,2;3,4}, _Label "x"); both count their values.
test::Run paste_sheet(const std::string& lines)
{
    test::Run r = test::run_sheet(lines, {"--addin", ZORVANE_PASTE_ADDIN});
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
}

} // namespace

TEST(Paste, BasicWritesTheDefaultsBelowAndCallsThem)
{
    const auto r = paste_sheet("A1: =REGEX.MATCH\n"
                               "select A1\n"
                               "key ^+B\n"
                               "print formula A1\n"
                               "print formula A2\n"
                               "print formula A3\n"
                               "print formula A4\n"
                               "print selection\n"
                               "C1: =zJoin\n"
                               "C2: 'old\n"
                               "select C1\n"
                               "key ^+B\n"
                               "print formula C1\n"
                               "print C2:C3\n");
    EXPECT_EQ(r.out, "\"=REGEX.MATCH(A2, A3, A4)\"\n"
                     "=INT(1000*RAND())\n" // a default formula with one value is entered as a formula
                     "\"'\\d{2,3}\"\n"      // any other default is set as a value, as it is
                     "=REGEX_FORMAT_DEFAULT()\n"
                     "A1 A1\n"
                     "\"=zJoin(C2, C3)\"\n"
                     "\n\n"); // no default: the cells are cleared
    EXPECT_EQ(r.err, "");
}

TEST(Paste, BasicSpreadsAnArrayDefaultOverOneRowInEitherWidth)
{
    const auto r = paste_sheet("A1: =tCountRow12\n"
                               "select A1\n"
                               "key ^+B\n"
                               "print formula A1\n"
                               "print A1:C3\n"
                               "E1: =tCountRow8\n"
                               "select E1\n"
                               "key ^+B\n"
                               "print formula E1\n"
                               "print E1:H3\n");
    EXPECT_EQ(r.out, "\"=tCountRow12(A2:C2, A3)\"\n"
                     "3,,\n1,2,3\n7,,\n"
                     "\"=tCountRow8(E2:H2, E3)\"\n"
                     "4,,,\n1,2,3,4\nx,,,\n"); // a 2x2 default spreads in row order
    EXPECT_EQ(r.err, "");
}

TEST(Paste, CreateFromTheLabelCellNamesStylesAndAlignsTheBlock)
{
    const auto r = paste_sheet("B2: 'Row\n"
                               "C2: =tCountRow12(1,2)\n" // a call with arguments is cut back to its name
                               "select B2\n"
                               "key ^+C\n"
                               "print formula C2\n"
                               "print B2:C4\n"
                               "print formula C3\n"
                               "print names\n"
                               "print style C3\n"
                               "print style C4\n"
                               "print alignment B2\n"
                               "print alignment B4\n"
                               "print alignment C4\n"
                               "print selection\n");
    EXPECT_EQ(r.out, "\"=tCountRow12(RANGE.GET(Row.Values), Row._Label)\"\n"
                     "Row,3\nValues,1\n_Label,7\n"
                     "\"=RANGE.SET({1,2,3})\"\n"
                     "Row.Values,C3\nRow._Label,C4\n"
                     "Output\nOptional\n"
                     "right\nright\ngeneral\n"
                     "B2:C5 B2\n");
    EXPECT_EQ(r.err, "");
}

TEST(Paste, CreateFromTheRegisterIdCellUsesBareNames)
{
    const auto r = paste_sheet("E1: =REGEX.REPLACE\n"
                               "select E1\n"
                               "key ^+C\n"
                               "print formula E1\n"
                               "print D1:D5\n"
                               "print names\n"
                               "print style E4\n"
                               "print style E5\n"
                               "print alignment D1\n"
                               "G1: 'Eight\n"
                               "H1: =tCountRow8\n"
                               "select H1\n"
                               "key ^+C\n"
                               "print formula H1\n"
                               "print H1\n");
    EXPECT_EQ(r.out, "\"=REGEX.REPLACE(Subject, Pattern, Replace, _Flags)\"\n"
                     "\nSubject\nPattern\nReplace\n_Flags\n"
                     "Pattern,E3\nReplace,E4\nSubject,E2\n_Flags,E5\n"
                     "Output\nOptional\n"
                     "general\n"
                     "\"=tCountRow8(RANGE.GET(Eight.Values), Eight._Label)\"\n"
                     "4\n");
    EXPECT_EQ(r.err, "");
}

TEST(Paste, FailuresAlertAndKeepWhatIsWritten)
{
    // Each failure gives screen updating back, as a success does.
    // A number that is no register id.
    auto r = paste_sheet("A1: 12345\nselect A1\nkey ^+B\nprint A1:A2\nprint screen updating\n");
    EXPECT_EQ(r.out, "12345\n\nTRUE\n");
    EXPECT_EQ(r.err, "Error: XLL.PASTE.FUNCTION: register id not found\n");

    // A formula beside the label whose value is no register id.
    r = paste_sheet("A1: 'L\nB1: =12345\nselect A1\nkey ^+C\nprint A2:B2\nprint screen updating\n");
    EXPECT_EQ(r.out, ",\nTRUE\n");
    EXPECT_EQ(r.err, "Warning: XLL.PASTE.CREATE: could not find register id of function\n");

    // A label with no formula beside it.
    r = paste_sheet("A1: 'L\nselect A1\nkey ^+C\nprint screen updating\n");
    EXPECT_EQ(r.out, "TRUE\n");
    EXPECT_EQ(r.err, "Error: file: paste\nline: 97\nfunction: xll_paste_create\nensure: \"xFor.val.str[1] == '='\" failed\n");

    // The host refuses "L.Connection string" as a name: the labels written so far stay.
    r = paste_sheet("A1: 'L\nB1: =zStatement\nselect A1\nkey ^+C\nprint A2:B3\nprint names\nprint screen updating\n");
    EXPECT_EQ(r.out, "Connection string,\n,\n\nTRUE\n");
    EXPECT_EQ(r.err, "Error: Excel returned command failed\n");

    // A paste that works.
    r = paste_sheet("A1: =zJoin\nselect A1\nkey ^+B\nprint screen updating\n");
    EXPECT_EQ(r.out, "TRUE\n");
}

TEST(Paste, TheIdOfAMacroChangesNothing)
{
    const auto r = paste_sheet("A1: =zClearCache\n"
                               "B1: =XLL.PASTE.CREATE\n"
                               "select A1\n"
                               "key ^+B\n"
                               "select B1\n"
                               "key ^+B\n"
                               "key ^+C\n"
                               "print formula A1\n"
                               "print formula B1\n"
                               "print A2:C3\n"
                               "print names\n");
    EXPECT_EQ(r.out, "=zClearCache\n=XLL.PASTE.CREATE\n,,\n,,\n\n");
    EXPECT_EQ(r.err, "");
}

TEST(Paste, FunctionsListsTheMacrosWithTheWholeCatalogue)
{
    const auto r = test::run({test::host_path(), "functions"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("ALERT.FILTER  (command)\nXLL.PASTE.BASIC  (command)\nXLL.PASTE.CREATE  (command)\nzVersion()\n", 0), 0u)
        << r.out.substr(0, 200);
    const auto catalogue = test::catalogue_names();
    ASSERT_GT(catalogue.size(), 3u) << "no catalogue read from " ZORVANE_CATALOGUE;
    EXPECT_EQ(test::listed_names(r.out), catalogue); // the 8-bit list's macros, then the wide list
}
