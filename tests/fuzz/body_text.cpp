// The text of a response body: never more units than bytes, no zero unit, and valid UTF-8
// decodes to exactly its characters.
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "web/body_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    xll::xstring text = xll::web::body_text(bytes);
    fuzz::expect(text.size() <= size);
    fuzz::expect(text.find(XCHAR(0)) == xll::xstring::npos);
    std::string_view kept = bytes.substr(0, bytes.find('\0'));
    if (xll::is_valid_utf8(kept)) {
        if (kept.substr(0, 3) == "\xEF\xBB\xBF")
            kept.remove_prefix(3);
        fuzz::expect(xll::xstring_to_utf8(text) == kept);
    } else {
        fuzz::expect(text == xll::widen_text(kept));
    }
    return 0;
}
