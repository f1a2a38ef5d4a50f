#include "host/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zorvane::host {

std::string general_number_text(double x)
{
    if (std::isnan(x) || std::isinf(x))
        return "#NUM!";
    if (x == 0.0)
        return "0"; // also -0
    // Round to 15 significant digits once; both notations are cut from these digits.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    std::string text(buf);
    const auto e_pos = text.find('e');
    const int exponent = std::atoi(text.c_str() + e_pos + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e_pos; ++i)
        if (text[i] != '.')
            digits.push_back(text[i]);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -9) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        char exp_buf[16];
        std::snprintf(exp_buf, sizeof exp_buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += exp_buf;
        return out;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const auto int_digits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= int_digits) {
        out += digits;
        out.append(int_digits - digits.size(), '0');
    } else {
        out.append(digits, 0, int_digits);
        out += '.';
        out.append(digits, int_digits, std::string::npos);
    }
    return out;
}

} // namespace zorvane::host
