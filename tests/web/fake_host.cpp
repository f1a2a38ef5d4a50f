#include "fake_host.h"

#include <cstdlib>

#include "xll/xlcall.h"

namespace fake {

std::vector<std::string>& alerts()
{
    static std::vector<std::string> list;
    return list;
}

namespace {

void value(const XLOPER12& text, XLOPER12& result)
{
    std::string s;
    for (int i = 1; text.xltype == xltypeStr && i <= text.val.str[0]; ++i)
        s += text.val.str[i] < 0x80 ? static_cast<char>(text.val.str[i]) : '?';
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    char* end = nullptr;
    double d = s.empty() ? 0 : std::strtod(s.c_str(), &end);
    if (!s.empty() && *end == '\0') {
        result.xltype = xltypeNum;
        result.val.num = d;
    } else {
        result.xltype = xltypeErr;
        result.val.err = xlerrValue;
    }
}

} // namespace

} // namespace fake

extern "C" {

__attribute__((visibility("default"))) int MdCallBack12(int xlfn, int count, LPXLOPER12* opers, LPXLOPER12 result)
{
    if (xlfn == xlFree)
        return xlretSuccess; // VALUE hands back nothing that owns storage
    if (xlfn == xlfValue && count == 1 && result) {
        fake::value(*opers[0], *result);
        return xlretSuccess;
    }
    return xlretInvXlfn;
}

__attribute__((visibility("default"))) int MessageBoxA(void*, const char* text, const char* caption, unsigned)
{
    fake::alerts().push_back(std::string(caption) + ": " + text);
    return 1;
}
}
