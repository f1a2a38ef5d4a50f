#include "host/engine/coerce.h"

#include "host/engine/number_text.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"

namespace zorvane::host {

Converted<double> to_number(const Value& value)
{
    if (value.is_array())
        return to_number(first_element(value));
    const Value& v = value;
    if (v.is_number())
        return v.number();
    if (v.is_bool())
        return v.boolean() ? 1.0 : 0.0;
    if (v.is_nil() || v.is_missing())
        return 0.0;
    if (v.is_error())
        return v.error();
    if (v.is_text()) {
        if (auto n = number_from_text(v.text()))
            return *n;
        return ErrorCode::value;
    }
    return ErrorCode::value;
}

Converted<std::u16string> to_text(const Value& value)
{
    if (value.is_array())
        return to_text(first_element(value));
    const Value& v = value;
    if (v.is_text())
        return v.text();
    if (v.is_number())
        return utf8_to_utf16(general_number_text(v.number()));
    if (v.is_bool())
        return std::u16string(v.boolean() ? u"TRUE" : u"FALSE");
    if (v.is_nil() || v.is_missing())
        return std::u16string();
    if (v.is_error())
        return v.error();
    return ErrorCode::value;
}

Converted<bool> to_bool(const Value& value)
{
    if (value.is_array())
        return to_bool(first_element(value));
    const Value& v = value;
    if (v.is_bool())
        return v.boolean();
    if (v.is_number())
        return v.number() != 0.0;
    if (v.is_nil() || v.is_missing())
        return false;
    if (v.is_error())
        return v.error();
    if (v.is_text()) {
        if (iequals_ascii(v.text(), u"TRUE"))
            return true;
        if (iequals_ascii(v.text(), u"FALSE"))
            return false;
    }
    return ErrorCode::value;
}

std::u16string display_text(const Value& value)
{
    if (value.is_array())
        return display_text(first_element(value));
    const Value& v = value;
    if (v.is_error())
        return utf8_to_utf16(error_name(v.error()));
    auto text = to_text(v);
    return failed(text) ? std::u16string() : std::get<std::u16string>(text);
}

int kind_rank(const Value& v)
{
    if (v.is_number())
        return 0;
    if (v.is_text())
        return 1;
    if (v.is_bool())
        return 2;
    return -1;
}

bool comparable(const Value& a, const Value& b)
{
    const int rank = kind_rank(a);
    return rank >= 0 && rank == kind_rank(b);
}

int compare_values(const Value& a_in, const Value& b_in)
{
    if (a_in.is_array() || b_in.is_array())
        return compare_values(first_element(a_in), first_element(b_in));
    const Value& a = a_in;
    const Value& b = b_in;
    int ra = kind_rank(a);
    int rb = kind_rank(b);
    // A blank takes the kind of the other side: 0, "" or FALSE.
    Value blank_a, blank_b;
    const Value* pa = &a;
    const Value* pb = &b;
    if (ra < 0 && rb < 0)
        return 0;
    auto blank_as = [](int rank) -> Value {
        if (rank == 0)
            return 0.0;
        if (rank == 1)
            return std::u16string();
        return false;
    };
    if (ra < 0) {
        blank_a = blank_as(rb);
        pa = &blank_a;
        ra = rb;
    }
    if (rb < 0) {
        blank_b = blank_as(ra);
        pb = &blank_b;
        rb = ra;
    }
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0)
        return pa->number() < pb->number() ? -1 : (pa->number() > pb->number() ? 1 : 0);
    if (ra == 2)
        return static_cast<int>(pa->boolean()) - static_cast<int>(pb->boolean());
    const auto x = fold_upper(pa->text());
    const auto y = fold_upper(pb->text());
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool same_value(const Value& a, const Value& b)
{
    if (a.v.index() != b.v.index())
        return false;
    if (a.is_text())
        return a.text().size() == b.text().size() && fold_upper(a.text()) == fold_upper(b.text());
    if (a.is_number() || a.is_bool() || a.is_error() || a.is_nil())
        return a == b;
    return false;
}

Value plain(Value value)
{
    if (value.is_missing())
        return Nil{};
    return value;
}

} // namespace zorvane::host
