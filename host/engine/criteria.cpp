#include "host/engine/criteria.h"

#include "host/engine/coerce.h"
#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"
#include "host/engine/wildcard.h"

#include <array>
#include <utility>

namespace zorvane::host {

Criterion::Criterion(const Value& criterion)
{
    const Value v = first_element(criterion);
    if (v.is_nil() || v.is_missing()) {
        operand_ = 0.0; // a reference to an empty cell asks for 0
        return;
    }
    if (!v.is_text()) {
        operand_ = v;
        return;
    }
    std::u16string_view text = v.text();
    // Two-character operators first, so "<=" is not read as "<" of "=...".
    static constexpr std::array<std::pair<std::u16string_view, Op>, 6> prefixes{{
        {u"<=", Op::less_equal},
        {u">=", Op::greater_equal},
        {u"<>", Op::not_equal},
        {u"<", Op::less},
        {u">", Op::greater},
        {u"=", Op::equal},
    }};
    bool has_operator = false;
    for (const auto& [prefix, op] : prefixes) {
        if (text.starts_with(prefix)) {
            op_ = op;
            text.remove_prefix(prefix.size());
            has_operator = true;
            break;
        }
    }
    ErrorCode error{};
    if (text.empty()) {
        empty_operand_ = true;
        blank_only_ = has_operator;
        operand_ = std::u16string();
    } else if (auto n = number_from_text(text)) {
        operand_ = *n;
    } else if (iequals_ascii(text, u"TRUE") || iequals_ascii(text, u"FALSE")) {
        operand_ = iequals_ascii(text, u"TRUE");
    } else if (error_from_name(utf16_to_utf8(text), error)) {
        operand_ = error;
    } else {
        operand_ = std::u16string(text);
    }
}

bool Criterion::matches(const Value& cell) const
{
    switch (op_) {
    case Op::equal:
        return equals(cell);
    case Op::not_equal:
        return !equals(cell);
    default:
        return ordered(cell);
    }
}

bool Criterion::equals(const Value& cell) const
{
    if (empty_operand_)
        return cell.is_nil() || (!blank_only_ && cell.is_text() && cell.text().empty());
    if (operand_.is_number()) {
        // Text that reads as the number counts as the number, for equality only.
        if (cell.is_text()) {
            const auto n = number_from_text(cell.text());
            return n && *n == operand_.number();
        }
        return cell.is_number() && cell.number() == operand_.number();
    }
    if (operand_.is_text())
        return cell.is_text() && wildcard_match(operand_.text(), cell.text());
    if (operand_.is_bool())
        return cell.is_bool() && cell.boolean() == operand_.boolean();
    return cell.is_error() && operand_.is_error() && cell.error() == operand_.error();
}

bool Criterion::ordered(const Value& cell) const
{
    // Only values of the operand's kind are in order with it: ">5" skips texts, "<b" numbers.
    if (!comparable(cell, operand_))
        return false;
    const int c = compare_values(cell, operand_);
    switch (op_) {
    case Op::less:
        return c < 0;
    case Op::less_equal:
        return c <= 0;
    case Op::greater:
        return c > 0;
    default:
        return c >= 0;
    }
}

} // namespace zorvane::host
