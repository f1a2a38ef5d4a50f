// XLL.PASTE.BASIC writes each argument's default below the register-id cell and turns that cell
// into a call on them; XLL.PASTE.CREATE builds a labelled, named and styled input block. The
// active cell is read through the 8-bit interface; the cells of a function are written through
// the interface its record was registered with.
#include "xll/paste.h"

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xll/alert.h"
#include "xll/export.h"
#include "xll/guarded.h"
#include "xll/register.h"
#include "xll/text.h"

namespace xll {

const char* paste_style_name(PasteStyle style)
{
    static const char* const names[] = {"Input", "Output", "Handle", "Optional"};
    return names[static_cast<int>(style)];
}

OPER key_binding(const char* key_text, const char* macro)
{
    OPER entry(3, 1);
    entry[0] = OPER(static_cast<double>(xlcOnKey));
    entry[1] = OPER(key_text);
    entry[2] = OPER(macro);
    return entry;
}

} // namespace xll

namespace {

using namespace xll;

template <class X> using text_of = std::basic_string<typename traits<X>::xchar>;
template <class X> using view_of = std::basic_string_view<typename traits<X>::xchar>;

// A text past maxchars fails the framework's length check instead of wrapping the count.
template <class X> XOPER<X> value_of(const text_of<X>& text) { return XOPER<X>(view_of<X>(text)); }

// The host's answer, copied; the host's own value is released at once.
template <class X, class... Args> XOPER<X> ask(int xlfn, const Args&... args)
{
    return Excel<X>(xlfn, args...).copy();
}

// Relative-move text selecting the cell one row down, built at load for both widths.
const OPER one_row_down8("R[1]C[0]");
const OPER12 one_row_down12(XLL_T("R[1]C[0]"));
const XLOPER& one_row_down(const XLOPER*) { return one_row_down8; }
const XLOPER12& one_row_down(const XLOPER12*) { return one_row_down12; }

constexpr int align_right = 4;
constexpr int formula_info = 6; // GET.CELL: the cell's formula as text

// Screen updating is off while a macro writes its cells and on again however the macro ends: a
// failure, or a function that is not found, must not leave the spreadsheet without a screen.
class ScreenUpdatingOff {
public:
    ScreenUpdatingOff() { Excel4(xlfEcho, OPER(false)); }
    ~ScreenUpdatingOff()
    {
        try {
            Excel4(xlfEcho, OPER(true));
        }
        catch (...) { // a host that refuses has nothing more to be told here
        }
    }
    ScreenUpdatingOff(const ScreenUpdatingOff&) = delete;
    ScreenUpdatingOff& operator=(const ScreenUpdatingOff&) = delete;
};

template <class X> bool is_formula_text(const XOPER<X>& x)
{
    const auto t = x.text();
    return !t.empty() && t[0] == '=';
}

template <class X> bool is_function(const XArgs<X>& args) { return args.macro_type() == macro_function; }

template <class X> const XArgs<X>* registered(double id)
{
    const auto& ids = RegisterIds<X>();
    auto it = ids.find(id);
    return it == ids.end() ? nullptr : it->second;
}

// Moves the selection by rows and columns from the active cell.
template <class X> void move_selection(int rows, int columns)
{
    const XOPER<X> active = ask<X>(xlfActiveCell);
    Excel<X>(xlcSelect, ask<X>(xlfOffset, active, XOPER<X>(rows), XOPER<X>(columns)));
}

// Puts default d into the active cell q and answers the reference text, relative to a, of what
// the call should take: q itself, or the row an array default was spread over.
template <class X> XOPER<X> place_default(const XOPER<X>& d, const XOPER<X>& q, const XOPER<X>& a)
{
    const XOPER<X> reference = ask<X>(xlfRelref, q, a);
    if (!is_formula_text(d)) {
        Excel<X>(xlSet, q, d);
        return reference;
    }
    XOPER<X> values = ask<X>(xlfEvaluate, d);
    const size_t n = values.size();
    if (n < 2) {
        Excel<X>(xlcFormula, d);
        return reference;
    }
    values.realloc(1, n); // one row, in the order the host gave the values
    const XOPER<X> row = ask<X>(xlfOffset, q, XOPER<X>(0), XOPER<X>(0), XOPER<X>(1), XOPER<X>(static_cast<double>(n)));
    Excel<X>(xlSet, row, values);
    return ask<X>(xlfRelref, row, a);
}

template <class X> void paste_basic(const XArgs<X>& args)
{
    const XOPER<X> a = ask<X>(xlfActiveCell);
    text_of<X> formula = widen_bytes<X>("=");
    formula += args[slot_function_text].text();
    formula += widen_bytes<X>("(");
    for (size_t i = 1; i < args.ArgCount(); ++i) {
        Excel<X>(xlcSelect, one_row_down(static_cast<const X*>(nullptr)));
        const XOPER<X> q = ask<X>(xlfActiveCell);
        const XOPER<X> reference = place_default(args.Arg(i).init, q, a);
        if (i > 1)
            formula += widen_bytes<X>(", ");
        formula += reference.text();
    }
    formula += widen_bytes<X>(")");
    Excel<X>(xlcSelect, a);
    Excel<X>(xlcFormula, value_of<X>(formula));
}

// The block below the start cell h, which is active: one labelled, named and styled row per
// argument, then the call on those names beside h.
template <class X> void paste_create(const XArgs<X>& args, std::string_view prefix8)
{
    const text_of<X> prefix = widen_bytes<X>(prefix8);
    const XOPER<X> h = ask<X>(xlfActiveCell);
    const XOPER<X> right(align_right);
    text_of<X> call = widen_bytes<X>("=");
    call += args[slot_function_text].text();
    call += widen_bytes<X>("(");
    const size_t k = args.ArgCount() - 1;
    for (size_t i = 1; i <= k; ++i) {
        const auto& arg = args.Arg(i);
        move_selection<X>(1, 0);
        Excel<X>(xlcFormula, arg.name);
        Excel<X>(xlcAlignment, right);
        text_of<X> name = prefix;
        name += arg.name.text();
        move_selection<X>(0, 1);
        Excel<X>(xlcDefineName, value_of<X>(name));
        if (is_formula_text(arg.init) && ask<X>(xlfEvaluate, arg.init).size() >= 2) {
            text_of<X> keep = widen_bytes<X>("=RANGE.SET(");
            keep += arg.init.text().substr(1);
            keep += widen_bytes<X>(")");
            Excel<X>(xlcFormula, value_of<X>(keep));
            name = widen_bytes<X>("RANGE.GET(") + name + widen_bytes<X>(")");
        }
        else {
            Excel<X>(xlcFormula, arg.init);
        }
        const bool optional = !arg.name.text().empty() && arg.name.text()[0] == '_';
        const XOPER<X> style(widen_bytes<X>(paste_style_name(optional ? PasteStyle::optional : PasteStyle::output)));
        Excel<X>(xlcDefineStyle, style);
        Excel<X>(xlcApplyStyle, style);
        if (i > 1)
            call += widen_bytes<X>(", ");
        call += name;
        move_selection<X>(0, -1);
    }
    call += widen_bytes<X>(")");
    Excel<X>(xlcSelect, h);
    move_selection<X>(0, 1);
    Excel<X>(xlcFormula, value_of<X>(call));
    move_selection<X>(0, -1);
    const XOPER<X> block = ask<X>(xlfOffset, h, XOPER<X>(0), XOPER<X>(0), XOPER<X>(static_cast<double>(k + 2)), XOPER<X>(2));
    Excel<X>(xlcSelect, block);
}

int paste_basic_macro()
{
    const ScreenUpdatingOff quiet;
    const OPER a = ask<XLOPER>(xlfActiveCell);
    const OPER value = ask<XLOPER>(xlCoerce, a);
    // Only a number can be a register id; a text would otherwise count as its length.
    const XArgs<XLOPER>* record = value.is(xltypeNum) ? registered<XLOPER>(value.val.num) : nullptr;
    const XArgs<XLOPER12>* record12 = value.is(xltypeNum) && !record ? registered<XLOPER12>(value.val.num) : nullptr;
    if (record) {
        if (is_function(*record))
            paste_basic(*record);
    }
    else if (record12) {
        if (is_function(*record12))
            paste_basic(*record12);
    }
    else {
        throw std::runtime_error("XLL.PASTE.FUNCTION: register id not found");
    }
    return 1;
}

int paste_create_macro()
{
    const char* const fn = "xll_paste_create";
    const ScreenUpdatingOff quiet;
    OPER h = ask<XLOPER>(xlfActiveCell);
    OPER g = ask<XLOPER>(xlCoerce, h);
    if (g.is(xltypeNum)) { // on the register-id cell: the label is to its left
        move_selection<XLOPER>(0, -1);
        h = ask<XLOPER>(xlfActiveCell);
        g = ask<XLOPER>(xlCoerce, h);
    }
    std::string prefix;
    if (g.is(xltypeStr)) {
        Excel4(xlcAlignment, OPER(align_right));
        prefix = std::string(g.text()) + ".";
    }
    OPER f = ask<XLOPER>(xlfGetCell, OPER(formula_info), ask<XLOPER>(xlfOffset, h, OPER(0), OPER(1)));
    ensure(f.is(xltypeStr), checks::paste_formula_is_text, fn, "xFor.xltype == xltypeStr");
    ensure(is_formula_text(f), checks::paste_formula_starts, fn, "xFor.val.str[1] == '='");
    // A call with arguments is cut back to the equals sign and the name.
    const OPER paren = ask<XLOPER>(xlfFind, OPER("("), f);
    if (paren.is(xltypeNum))
        f = ask<XLOPER>(xlfLeft, f, OPER(paren.val.num - 1));
    const OPER id = ask<XLOPER>(xlfEvaluate, f);
    ensure(id.is(xltypeNum), checks::paste_register_id, fn, "xFor.xltype == xltypeNum");
    const XArgs<XLOPER>* record = registered<XLOPER>(id.val.num);
    const XArgs<XLOPER12>* record12 = record ? nullptr : registered<XLOPER12>(id.val.num);
    if (!record && !record12) {
        xll_alert_warning("XLL.PASTE.CREATE: could not find register id of function");
        return 0;
    }
    // A command has no arguments to lay out; like XLL.PASTE.BASIC, it changes nothing.
    if (record && is_function(*record))
        paste_create(*record, prefix);
    else if (record12 && is_function(*record12))
        paste_create(*record12, prefix);
    return 1;
}

} // namespace

XLL_EXPORT(int, xll_paste_basic, (void))
{
    return xll::guarded(xll::answer(0, xll::alerting("XLL.PASTE.BASIC failed.")), paste_basic_macro);
}

XLL_EXPORT(int, xll_paste_create, (void))
{
    return xll::guarded(xll::answer(0, xll::alerting("XLL.PASTE.CREATE failed.")), paste_create_macro);
}
