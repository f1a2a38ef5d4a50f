// The text of a response body: never more units than bytes, no zero unit, and valid UTF-8
// decodes to exactly its characters, a zero byte to U+FFFD.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "web/body_text.h"
#include "xll/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    xll::xstring text = xll::web::body_text(bytes);
    fuzz::expect(text.size() <= size);
    fuzz::expect(text.find(XCHAR(0)) == xll::xstring::npos);
    if (xll::is_valid_utf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        std::string expected;
        for (char c : bytes)
            expected += c == '\0' ? std::string_view("\xEF\xBF\xBD") : std::string_view(&c, 1);
        fuzz::expect(xll::xstring_to_utf8(text) == expected);
    } else {
        fuzz::expect(text.size() == size);
        for (size_t i = 0; i < size; ++i)
            fuzz::expect(text[i] == (bytes[i] == '\0' ? XCHAR(0xFFFD) : XCHAR(static_cast<unsigned char>(bytes[i]))));
    }
    return 0;
}
