// Where each framework check says it failed. A failed check shows "file: traits\nline: 170" in a
// cell or an alert: these source names and numbers are fixed texts that users see and that tests
// compare, kept as they have always read. They are not the lines of this tree's files and never
// follow the code when it moves; a new check takes a new entry with a number of its own.
#pragma once

namespace xll {

struct CheckLocation {
    const char* source;
    int line;
};

namespace checks {

// traits: a text measured and a host call's arguments counted, per width.
inline constexpr CheckLocation strlen12{"traits", 170};
inline constexpr CheckLocation excel12{"traits", 141};
inline constexpr CheckLocation strlen8{"traits", 64};
inline constexpr CheckLocation excel8{"traits", 35};

// xloper: an element looked up by index, or by row and column.
inline constexpr CheckLocation index_const{"xloper", 124};
inline constexpr CheckLocation index{"xloper", 134};
inline constexpr CheckLocation index_row_const{"xloper", 145};
inline constexpr CheckLocation index_column_const{"xloper", 146};
inline constexpr CheckLocation index_row{"xloper", 156};
inline constexpr CheckLocation index_column{"xloper", 157};

// oper: an XOPER resized, appended to or stacked.
inline constexpr CheckLocation array_rows{"oper", 439};
inline constexpr CheckLocation array_columns{"oper", 440};
inline constexpr CheckLocation array_type{"oper", 441};
inline constexpr CheckLocation array_block{"oper", 452};
inline constexpr CheckLocation array_source{"oper", 459};
inline constexpr CheckLocation text_type{"oper", 423};
inline constexpr CheckLocation text_block{"oper", 425};
inline constexpr CheckLocation bigdata_type{"oper", 470};
inline constexpr CheckLocation bigdata_block{"oper", 474};
inline constexpr CheckLocation append_type{"oper", 215};
inline constexpr CheckLocation push_back_row{"oper", 337};

// args: a registration's descriptors and the arguments handed to the host.
inline constexpr CheckLocation arg_index{"args", 303};
inline constexpr CheckLocation pointers_count{"args", 580};
inline constexpr CheckLocation pointers_help_path{"args", 588};

// register: the host's answer to a registration.
inline constexpr CheckLocation register_answer_kind{"register", 88};
inline constexpr CheckLocation register_answer_id{"register", 100};

// registry: a setting read, and its key made.
inline constexpr CheckLocation registry_query{"registry", 59};
inline constexpr CheckLocation registry_query_type{"registry", 60};
inline constexpr CheckLocation registry_create{"registry", 103};

// paste: the formula XLL.PASTE.CREATE starts from, and the register id it looks up.
inline constexpr CheckLocation paste_formula_is_text{"paste", 96};
inline constexpr CheckLocation paste_formula_starts{"paste", 97};
inline constexpr CheckLocation paste_register_id{"paste", 104};

// auto: the steps of the add-in's load, unload, add and remove entry points.
inline constexpr CheckLocation open_auto{"auto", 12};
inline constexpr CheckLocation open_register{"auto", 13};
inline constexpr CheckLocation open_after{"auto", 14};
inline constexpr CheckLocation open_auto12{"auto", 17};
inline constexpr CheckLocation open_register12{"auto", 18};
inline constexpr CheckLocation open_after12{"auto", 19};
inline constexpr CheckLocation open_on_data{"auto", 23};
inline constexpr CheckLocation open_on_doubleclick{"auto", 24};
inline constexpr CheckLocation open_on_entry{"auto", 25};
inline constexpr CheckLocation open_on_key{"auto", 26};
inline constexpr CheckLocation open_on_recalc{"auto", 27};
inline constexpr CheckLocation open_on_sheet{"auto", 28};
inline constexpr CheckLocation open_on_time{"auto", 29};
inline constexpr CheckLocation open_on_window{"auto", 30};
inline constexpr CheckLocation close_auto{"auto", 46};
inline constexpr CheckLocation close_auto12{"auto", 49};
inline constexpr CheckLocation add_auto{"auto", 66};
inline constexpr CheckLocation add_auto12{"auto", 68};
inline constexpr CheckLocation remove_before{"auto", 85};
inline constexpr CheckLocation remove_unregister{"auto", 86};
inline constexpr CheckLocation remove_auto{"auto", 87};
inline constexpr CheckLocation remove_before12{"auto", 90};
inline constexpr CheckLocation remove_unregister12{"auto", 91};
inline constexpr CheckLocation remove_auto12{"auto", 92};
inline constexpr CheckLocation remove_on_data{"auto", 96};
inline constexpr CheckLocation remove_on_doubleclick{"auto", 97};
inline constexpr CheckLocation remove_on_entry{"auto", 98};
inline constexpr CheckLocation remove_on_key{"auto", 99};
inline constexpr CheckLocation remove_on_recalc{"auto", 100};
inline constexpr CheckLocation remove_on_sheet{"auto", 101};
inline constexpr CheckLocation remove_on_time{"auto", 102};
inline constexpr CheckLocation remove_on_window{"auto", 103};

} // namespace checks

} // namespace xll
