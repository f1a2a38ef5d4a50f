#include "host/bridge/type_text.h"
#include "host/engine/sheet_limits.h"

#include <algorithm>

namespace zorvane::host {

namespace {

std::optional<ArgType> read_code(std::string_view text, std::size_t& i)
{
    const char c = text[i++];
    const bool wide = i < text.size() && text[i] == '%';
    auto widen = [&](ArgType narrow, ArgType wide_type) {
        if (wide) {
            ++i;
            return wide_type;
        }
        return narrow;
    };
    switch (c) {
    case 'A':
        return ArgType::boolean_short;
    case 'B':
        return ArgType::real;
    case 'C':
        return widen(ArgType::text8, ArgType::text16);
    case 'D':
        return widen(ArgType::counted8, ArgType::counted16);
    case 'E':
        return ArgType::real_pointer;
    case 'H':
        return ArgType::unsigned_short;
    case 'I':
        return ArgType::short_int;
    case 'J':
        return ArgType::int32;
    case 'P':
        return ArgType::oper8;
    case 'Q':
        return ArgType::oper12;
    case 'R':
        return ArgType::ref8;
    case 'U':
        return ArgType::ref12;
    case '>':
        return ArgType::nothing;
    case 'X':
        return ArgType::async_handle;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<TypeText> parse_type_text(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    TypeText out;
    std::size_t i = 0;
    auto result = read_code(text, i);
    if (!result)
        return std::nullopt;
    out.result = *result;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '!' || c == '#' || c == '$' || c == '&') {
            out.is_volatile |= c == '!';
            out.macro_equivalent |= c == '#';
            out.thread_safe |= c == '$';
            out.cluster_safe |= c == '&';
            ++i;
            continue;
        }
        auto arg = read_code(text, i);
        if (!arg)
            return std::nullopt;
        out.args.push_back(*arg);
    }
    if (out.args.size() > static_cast<std::size_t>(max_arguments))
        return std::nullopt;
    // Nothing to return is only the mark of an asynchronous function, whose one handle is where
    // its value comes back to; the handle means nothing without it.
    const auto handles = std::count(out.args.begin(), out.args.end(), ArgType::async_handle);
    if (out.result == ArgType::async_handle || std::count(out.args.begin(), out.args.end(), ArgType::nothing) > 0 ||
        handles != (out.is_async() ? 1 : 0))
        return std::nullopt;
    return out;
}

std::string type_code(ArgType type)
{
    switch (type) {
    case ArgType::boolean_short:
        return "A";
    case ArgType::real:
        return "B";
    case ArgType::text8:
        return "C";
    case ArgType::text16:
        return "C%";
    case ArgType::counted8:
        return "D";
    case ArgType::counted16:
        return "D%";
    case ArgType::real_pointer:
        return "E";
    case ArgType::unsigned_short:
        return "H";
    case ArgType::short_int:
        return "I";
    case ArgType::int32:
        return "J";
    case ArgType::oper8:
        return "P";
    case ArgType::oper12:
        return "Q";
    case ArgType::ref8:
        return "R";
    case ArgType::ref12:
        return "U";
    case ArgType::nothing:
        return ">";
    case ArgType::async_handle:
        return "X";
    }
    return "?";
}

} // namespace zorvane::host
