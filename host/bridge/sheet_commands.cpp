// The callbacks through which macros read and change the sheet: the active cell and selection,
// values, formulas, names, styles and alignment. A command the sheet cannot carry out answers
// xlretFailed, as the spreadsheet does, and changes nothing.
#include "host/bridge/host.h"
#include "host/engine/cell_address.h"
#include "host/engine/coerce.h"
#include "host/engine/errors.h"
#include "host/engine/evaluator.h"
#include "host/engine/formula_parser.h"
#include "host/engine/utf.h"
#include "host/sheet/cell_entry.h"

namespace zorvane::host {

namespace {

constexpr int formula_info = 6; // GET.CELL: the formula as text

bool too_large(const Ref& r) { return static_cast<long long>(r.rows()) * r.columns() > max_range_cells; }

int arg_count(const std::vector<Value>& args) { return static_cast<int>(args.size()); }

bool given(const std::vector<Value>& args, std::size_t i) { return i < args.size() && !args[i].is_missing(); }

} // namespace

std::optional<Ref> Host::macro_reference(const Value& value) const
{
    if (value.is_ref())
        return value.ref();
    if (!value.is_text())
        return std::nullopt;
    const std::string text = utf16_to_utf8(value.text());
    if (auto r = parse_r1c1_range(text, sheet_.active_cell()))
        return r;
    if (auto r = parse_range(text))
        return r;
    if (auto named = sheet_.name(text); named && named->is_ref())
        return named->ref();
    return std::nullopt;
}

std::optional<int> Host::sheet_command(int xlfn, std::vector<Value>& args, Value& result)
{
    const int count = arg_count(args);
    switch (xlfn) {
    case xlfActiveCell:
        if (count != 0)
            return xlretInvCount;
        result = Ref{sheet_.active_cell().row, sheet_.active_cell().column, sheet_.active_cell().row, sheet_.active_cell().column};
        return xlretSuccess;
    case xlcSelect:
        return count < 1 || count > 2 ? xlretInvCount : select(args, result);
    case xlSet:
        return count < 1 || count > 2 ? xlretInvCount : set_values(args, result);
    case xlfGetCell:
        return count < 1 || count > 2 ? xlretInvCount : cell_info(args, result);
    case xlcFormula:
        return count < 1 || count > 2 ? xlretInvCount : enter(args, result);
    case xlcAlignment:
        return count > 9 ? xlretInvCount : align(args, result);
    case xlcDefineName:
        return count < 1 || count > 7 ? xlretInvCount : define_name(args, result);
    case xlcDefineStyle:
        return count < 1 ? xlretInvCount : define_style(args, result);
    case xlcApplyStyle:
        return count > 1 ? xlretInvCount : apply_style(args, result);
    default:
        return std::nullopt;
    }
}

// SELECT(selection, [active cell]): references or texts, R1C1 texts relative to the active cell.
int Host::select(const std::vector<Value>& args, Value& result)
{
    const auto range = macro_reference(args[0]);
    if (!range)
        return xlretFailed;
    std::optional<CellAddress> active;
    if (given(args, 1)) {
        const auto cell = macro_reference(args[1]);
        if (!cell)
            return xlretFailed;
        active = CellAddress{cell->first_row, cell->first_column};
    }
    if (!sheet_.select(*range, active))
        return xlretFailed;
    result = true;
    return xlretSuccess;
}

// Values into the referenced cells: an array cell by cell (#N/A where it is too small), anything
// else into every cell; without a value the cells are cleared.
int Host::set_values(const std::vector<Value>& args, Value& result)
{
    if (!args[0].is_ref() || too_large(args[0].ref()))
        return xlretFailed;
    const Ref target = args[0].ref();
    Value values = args.size() > 1 ? args[1] : Value(Missing{});
    if (values.is_ref())
        values = dereference(values.ref());
    for (int r = 0; r < target.rows(); ++r) {
        for (int c = 0; c < target.columns(); ++c) {
            Value v = values;
            if (values.is_array()) {
                const Array& a = values.array();
                v = r < a.rows && c < a.columns ? a.at(r, c) : Value(ErrorCode::na);
            }
            sheet_.set_constant({target.first_row + r, target.first_column + c}, v.is_missing() ? Value(Nil{}) : std::move(v));
        }
    }
    result = true;
    return xlretSuccess;
}

// GET.CELL(6, [reference]): the formula of the reference's first cell (the active cell when
// omitted) in A1 style, or its constant as it reads; other kinds of information are not kept.
int Host::cell_info(const std::vector<Value>& args, Value& result)
{
    const auto kind = to_number(args[0]);
    if (failed(kind) || std::get<double>(kind) != formula_info) {
        result = ErrorCode::value;
        return xlretSuccess;
    }
    CellAddress at = sheet_.active_cell();
    if (given(args, 1)) {
        if (!args[1].is_ref()) {
            result = ErrorCode::value;
            return xlretSuccess;
        }
        at = {args[1].ref().first_row, args[1].ref().first_column};
    }
    if (auto formula = sheet_.formula(at))
        result = utf8_to_utf16(*formula);
    else
        result = display_text(sheet_.value(at, *this));
    return xlretSuccess;
}

// FORMULA(text, [reference]): enters the text as typed into the cell (the active cell when no
// reference is given); a formula may use R1C1 references relative to that cell and is kept in
// A1 style.
int Host::enter(const std::vector<Value>& args, Value& result)
{
    CellAddress at = sheet_.active_cell();
    if (given(args, 1)) {
        const auto target = macro_reference(args[1]);
        if (!target)
            return xlretFailed;
        at = {target->first_row, target->first_column};
    }
    const Value& content = first_element(args[0]);
    if (content.is_text() && !content.text().empty() && content.text()[0] == u'=') {
        try {
            NodePtr ast = parse_formula(content.text(), at);
            check_calls(*ast, *this, UnknownNames::allow);
            const std::string text = utf16_to_utf8(formula_in_a1_style(content.text(), *ast));
            sheet_.set_formula(at, text, std::shared_ptr<const Node>(std::move(ast)));
        } catch (const UsageError&) {
            return xlretFailed; // the spreadsheet refuses a formula it cannot read
        }
    } else if (content.is_text()) {
        sheet_.set_constant(at, constant_from_entry(utf16_to_utf8(content.text())));
    } else {
        sheet_.set_constant(at, content.is_missing() ? Value(Nil{}) : content);
    }
    result = true;
    return xlretSuccess;
}

// ALIGNMENT(horizontal, ...): the horizontal code 1 to 7 for the selection; the other settings
// are not kept.
int Host::align(const std::vector<Value>& args, Value& result)
{
    if (given(args, 0)) {
        const auto code = to_number(args[0]);
        if (failed(code) || std::get<double>(code) < 1 || std::get<double>(code) > 7 ||
            std::get<double>(code) != static_cast<int>(std::get<double>(code)) || too_large(sheet_.selection()))
            return xlretFailed;
        sheet_.set_alignment(sheet_.selection(), static_cast<int>(std::get<double>(code)));
    }
    result = true;
    return xlretSuccess;
}

// DEFINE.NAME(name, [refers to]): without a second value the name refers to the selection.
int Host::define_name(const std::vector<Value>& args, Value& result)
{
    if (!args[0].is_text() || !is_valid_defined_name(args[0].text()))
        return xlretFailed;
    Value refers_to = sheet_.selection();
    if (given(args, 1))
        refers_to = args[1].is_ref() ? args[1] : first_element(args[1]);
    if (refers_to.is_nil())
        return xlretFailed;
    sheet_.define_name(utf16_to_utf8(args[0].text()), std::move(refers_to));
    result = true;
    return xlretSuccess;
}

// DEFINE.STYLE(name, ...): the style exists from then on; its formats are not kept.
int Host::define_style(const std::vector<Value>& args, Value& result)
{
    if (!args[0].is_text() || args[0].text().empty())
        return xlretFailed;
    sheet_.define_style(args[0].text());
    result = true;
    return xlretSuccess;
}

// APPLY.STYLE([name]): a defined style ("Normal" when omitted) for the selection.
int Host::apply_style(const std::vector<Value>& args, Value& result)
{
    const std::u16string name = given(args, 0) && args[0].is_text() ? args[0].text() : std::u16string(u"Normal");
    if ((given(args, 0) && !args[0].is_text()) || !sheet_.has_style(name) || too_large(sheet_.selection()))
        return xlretFailed;
    sheet_.apply_style(sheet_.selection(), name);
    result = true;
    return xlretSuccess;
}

} // namespace zorvane::host
