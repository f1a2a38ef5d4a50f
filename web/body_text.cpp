#include "web/body_text.h"

#include "xll/text.h"

namespace xll::web {

xstring body_text(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    if (!is_valid_utf8(bytes))
        return widen_text(bytes);
    static constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    if (bytes.substr(0, byte_order_mark.size()) == byte_order_mark)
        bytes.remove_prefix(byte_order_mark.size());
    return utf8_to_xstring(bytes);
}

} // namespace xll::web
