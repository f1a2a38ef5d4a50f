#include "regex/pattern.h"

#include <stdexcept>

#include "regex/unit_text.h"

namespace xll::regex {

xstring prepare(xstring_view pattern)
{
    xstring prepared;
    prepared.reserve(pattern.size());
    for (XCHAR c : pattern) {
        if (c == 0x0085)
            prepared.append(3, XCHAR('.'));
        else
            prepared += c;
    }
    return prepared;
}

namespace {

bool hex(XCHAR c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// ECMAScript writes a UTF-16 unit as \uXXXX, which the library reads as \x{XXXX}. Every other
// escape is passed on whole, so an escaped backslash before a u stays what it was.
xstring unit_escapes(xstring_view pattern)
{
    xstring out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        XCHAR c = pattern[i];
        if (c != '\\' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        XCHAR next = pattern[++i];
        if (next == 'u' && i + 4 < pattern.size() && hex(pattern[i + 1]) && hex(pattern[i + 2]) &&
            hex(pattern[i + 3]) && hex(pattern[i + 4])) {
            out.append({XCHAR('\\'), XCHAR('x'), XCHAR('{')});
            out.append(pattern.substr(i + 1, 4));
            out += XCHAR('}');
            i += 4;
        }
        else {
            out += c;
            out += next;
        }
    }
    return out;
}

} // namespace

unit_regex compile(xstring_view pattern)
{
    unit_string units = to_units(unit_escapes(prepare(pattern)));
    try {
        return unit_regex(units.data(), units.data() + units.size(),
                          boost::regex_constants::ECMAScript | boost::regex_constants::no_mod_s);
    }
    catch (const boost::regex_error&) {
        // One text for every fault, the same the worksheet has always shown.
        throw std::runtime_error("regular expression error");
    }
}

} // namespace xll::regex
