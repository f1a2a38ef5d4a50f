#include "host/sheet/cell_entry.h"

#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"

namespace zorvane::host {

Value constant_from_entry(const std::string& text)
{
    if (text.empty())
        return Nil{};
    if (text[0] == '\'')
        return utf8_to_utf16(text.substr(1));
    const std::u16string wide = utf8_to_utf16(text);
    if (iequals_ascii(wide, u"TRUE"))
        return true;
    if (iequals_ascii(wide, u"FALSE"))
        return false;
    ErrorCode code{};
    if (error_from_name(text, code))
        return code;
    if (auto n = number_from_text(wide))
        return *n;
    return wide;
}

} // namespace zorvane::host
