// The driver's timestamp text: parts read, or one of the five failure texts users know.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "db/timestamp_text.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        db::parse_timestamp_text(text);
        fuzz::expect(size >= 17);
    }
    catch (const std::exception& e) {
        static const char* const known[] = {"invalid string position", "invalid stol argument",
                                            "stol argument out of range", "invalid stod argument",
                                            "stod argument out of range"};
        bool listed = false;
        for (const char* k : known)
            listed = listed || std::strcmp(e.what(), k) == 0;
        fuzz::expect(listed);
    }
    return 0;
}
