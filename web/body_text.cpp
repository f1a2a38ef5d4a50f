#include "web/body_text.h"

#include "xll/text.h"

namespace xll::web {

xstring body_text(std::string_view bytes)
{
    xstring text;
    if (!is_valid_utf8(bytes)) {
        text = widen_bytes<XLOPER12>(bytes);
    } else {
        static constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
        if (bytes.substr(0, byte_order_mark.size()) == byte_order_mark)
            bytes.remove_prefix(byte_order_mark.size());
        text = utf8_to_xstring(bytes);
    }
    replace_nul(text);
    return text;
}

} // namespace xll::web
