// What differs between the two widths of worksheet values: character type, string measure,
// array index types, and which raw host entry carries a call.
#pragma once

#include <string>
#include <string_view>

#include "xll/ensure.h"
#include "xll/limits.h"
#include "xll/xlcall.h"

// A wide worksheet string literal: XCHAR is wchar_t on Windows and char16_t elsewhere.
#if defined(_WIN32)
#define XLL_T(s) L##s
#else
#define XLL_T(s) u##s
#endif

namespace xll {

using xstring = std::basic_string<XCHAR>;
using xstring_view = std::basic_string_view<XCHAR>;

// Raw host entries (host_call.cpp): the wide one finds the host's callback itself, the 8-bit one
// and the version query go to the host library.
int Excel12v(int xlfn, LPXLOPER12 result, int count, LPXLOPER12 opers[]);
int Excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]);
int XLCallVer();

template <class X> struct traits;

template <> struct traits<XLOPER12> {
    using xchar = XCHAR;
    using xrw = RW;
    using xcol = COL;
    using xbool = BOOL;
    using xerr = int;
    static constexpr const char* name = "struct xloper12";

    static int strlen(const xchar* s)
    {
        size_t n = 0;
        if (s)
            while (s[n] && n <= static_cast<size_t>(limits<XLOPER12>::maxchars))
                ++n;
        ensure(n <= static_cast<size_t>(limits<XLOPER12>::maxchars), checks::strlen12,
               "xll::traits<struct xloper12>::strlen", "n <= limits<XLOPER12>::maxchars");
        return static_cast<int>(n);
    }

    // Checked against maxargs before the host is reached.
    static int Excelv(int xlfn, XLOPER12* result, int count, XLOPER12* const* opers)
    {
        ensure(count <= limits<XLOPER12>::maxargs, checks::excel12, "xll::traits<struct xloper12>::Excel",
               "count <= limits<XLOPER12>::maxargs");
        XLOPER12* args[limits<XLOPER12>::maxargs];
        for (int i = 0; i < count; ++i)
            args[i] = opers[i];
        return Excel12v(xlfn, result, count, args);
    }
};

template <> struct traits<XLOPER> {
    using xchar = char;
    using xrw = WORD;
    using xcol = WORD;
    using xbool = WORD;
    using xerr = WORD;
    static constexpr const char* name = "struct xloper";

    static int strlen(const xchar* s)
    {
        size_t n = 0;
        if (s)
            while (s[n] && n <= static_cast<size_t>(limits<XLOPER>::maxchars))
                ++n;
        ensure(n <= static_cast<size_t>(limits<XLOPER>::maxchars), checks::strlen8,
               "xll::traits<struct xloper>::strlen", "n <= limits<XLOPER>::maxchars");
        return static_cast<int>(n);
    }

    static int Excelv(int xlfn, XLOPER* result, int count, XLOPER* const* opers)
    {
        ensure(count <= limits<XLOPER>::maxargs, checks::excel8, "xll::traits<struct xloper>::Excel",
               "count <= limits<XLOPER>::maxargs");
        XLOPER* args[limits<XLOPER>::maxargs];
        for (int i = 0; i < count; ++i)
            args[i] = opers[i];
        return Excel4v(xlfn, result, count, args);
    }
};

// "XOPER<struct xloper12>::append" and the like, as the check texts name member functions.
template <class X> std::string member_name(const char* member)
{
    return std::string("XOPER<") + traits<X>::name + ">::" + member;
}

} // namespace xll
