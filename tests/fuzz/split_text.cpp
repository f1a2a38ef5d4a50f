// zSplit's routine with a number reader of its own (no host): whatever the text and delimiter
// sets, the result has the counted shape, no text cell holds a delimiter, and the fields come
// back in order. Fields: text, column delimiters, row delimiters.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "fuzz_input.h"
#include "xll/split_text.h"

namespace {

// A plain decimal number, digits only with an optional sign and fraction, else 0.
double read_plain_number(xll::xstring_view field)
{
    if (field.empty() || field.size() > 30)
        return 0;
    std::string ascii;
    for (XCHAR c : field) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+'))
            return 0;
        ascii += static_cast<char>(c);
    }
    char* end = nullptr;
    double d = std::strtod(ascii.c_str(), &end);
    return end == ascii.c_str() + ascii.size() && std::isfinite(d) ? d : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto f = fuzz::fields(data, size, 3);
    xll::xstring text = fuzz::units(f[2]), columns = fuzz::units(f[0]), rows = fuzz::units(f[1]);
    xll::OPER12 result;
    try {
        result = xll::split_text(text, columns, rows, read_plain_number);
    }
    catch (const std::runtime_error&) {
        return 0; // a shape over the worksheet's limits
    }
    auto is_delimiter = [&](XCHAR c) {
        return columns.find(c) != xll::xstring::npos || rows.find(c) != xll::xstring::npos;
    };
    fuzz::expect(result.is(xltypeMulti));
    // Joining the fields back with any delimiter gives the text's length again.
    size_t fields = 0, characters = 0;
    for (size_t i = 0; i < result.size(); ++i) {
        const xll::OPER12& cell = result[i];
        if (cell.is(xltypeStr)) {
            for (XCHAR c : cell.text())
                fuzz::expect(!is_delimiter(c));
            characters += cell.text().size();
            ++fields;
        } else if (cell.is(xltypeNum)) {
            fuzz::expect(cell.val.num != 0);
            ++fields;
        } else {
            fuzz::expect(cell.is(xltypeNil) || (i == 0 && cell.is(xltypeMissing)));
        }
    }
    size_t delimiters = 0;
    for (XCHAR c : text)
        delimiters += is_delimiter(c);
    fuzz::expect(characters <= text.size() - delimiters);
    fuzz::expect(fields <= delimiters + 1);
    return 0;
}
