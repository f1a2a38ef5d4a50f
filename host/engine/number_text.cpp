#include "host/engine/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zorvane::host {

namespace {

struct Decimal {
    bool negative = false;
    std::string digits; // 15 significant digits, the first one not 0
    int exponent = 0;   // of the first digit
};

// The number rounded once to 15 significant digits; ROUND, fixed places and the General text all
// start here.
Decimal fifteen_digits(double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    const std::string text(buf);
    const auto e_pos = text.find('e');
    Decimal d;
    d.negative = text[0] == '-';
    d.exponent = std::atoi(text.c_str() + e_pos + 1);
    for (std::size_t i = d.negative ? 1 : 0; i < e_pos; ++i)
        if (text[i] != '.')
            d.digits.push_back(text[i]);
    return d;
}

// Whether the digits from `keep` on take the kept ones up by one unit.
bool rounds_up(const Decimal& d, long long keep, Rounding rounding)
{
    const auto from = static_cast<std::size_t>(std::max(keep, 0LL));
    switch (rounding) {
    case Rounding::half_away_from_zero:
        return keep >= 0 && from < d.digits.size() && d.digits[from] >= '5';
    case Rounding::away_from_zero:
        return d.digits.find_first_not_of('0', from) != std::string::npos;
    case Rounding::toward_zero:
        break;
    }
    return false;
}

// The first `keep` of the 15 digits, rounded at the digit after them, behind a leading 0 that
// takes the carry out of the first digit (9.99 -> 10.0).
std::string kept_digits(const Decimal& d, long long keep, Rounding rounding = Rounding::half_away_from_zero)
{
    std::string kept = "0" + d.digits.substr(0, static_cast<std::size_t>(keep));
    if (rounds_up(d, keep, rounding)) {
        std::size_t i = kept.size();
        while (kept[--i] == '9')
            kept[i] = '0';
        ++kept[i];
    }
    return kept;
}

} // namespace

double round_decimal(double x, int digits, Rounding rounding)
{
    if (!std::isfinite(x) || x == 0.0)
        return x;
    const Decimal d = fifteen_digits(x);
    // How many of the significant digits stay; the rest round away.
    const long long keep = static_cast<long long>(d.exponent) + 1 + digits;
    if (keep >= static_cast<long long>(d.digits.size()))
        return x;
    // The kept digits are a whole number of units of 10^-digits; strtod rounds the decimal once.
    // With none kept the number is below one unit: it becomes 0, or one unit away from zero.
    const std::string kept = keep < 0 ? (rounds_up(d, keep, rounding) ? "1" : "0") : kept_digits(d, keep, rounding);
    const std::string text = (d.negative ? "-" : "") + kept + "e" + std::to_string(-static_cast<long long>(digits));
    const double rounded = std::strtod(text.c_str(), nullptr);
    return rounded == 0.0 ? 0.0 : rounded; // no -0
}

std::string fixed_number_text(double x, int decimals)
{
    // The digits of the number, `point` of them before the decimal point (fewer than none for a
    // small number: the point then stands that far before the first digit).
    std::string digits;
    long long point = 0;
    if (std::isfinite(x) && x != 0.0) {
        const Decimal d = fifteen_digits(std::fabs(x));
        const long long keep = static_cast<long long>(d.exponent) + 1 + decimals;
        if (keep >= static_cast<long long>(d.digits.size())) {
            digits = d.digits;
            point = d.exponent + 1;
        } else if (keep >= 0) {
            digits = kept_digits(d, keep);
            point = d.exponent + 2;
        }
    }
    auto digit_at = [&](long long i) { return i >= 0 && i < static_cast<long long>(digits.size()) ? digits[static_cast<std::size_t>(i)] : '0'; };
    std::string out;
    for (long long i = 0; i < point; ++i)
        if (!out.empty() || digit_at(i) != '0')
            out += digit_at(i);
    if (out.empty())
        out = "0";
    if (decimals > 0) {
        out += '.';
        for (long long i = point; i < point + decimals; ++i)
            out += digit_at(i);
    }
    return out;
}

std::string general_number_text(double x)
{
    if (std::isnan(x) || std::isinf(x))
        return "#NUM!";
    if (x == 0.0)
        return "0"; // also -0
    // Both notations are cut from the same 15 digits.
    Decimal d = fifteen_digits(x);
    const int exponent = d.exponent;
    const bool negative = d.negative;
    std::string& digits = d.digits;
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
