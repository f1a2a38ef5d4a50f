// Bounds of worksheet values, per width. Compared against these exact numbers everywhere.
#pragma once

#include "xll/xlcall.h"

namespace xll {

template <class X> struct limits;

template <> struct limits<XLOPER12> {
    static constexpr int maxchars = 32767;
    static constexpr int maxrows = 1048575;
    static constexpr int maxcols = 16383;
    static constexpr int maxargs = 255;
};

template <> struct limits<XLOPER> {
    static constexpr int maxchars = 255;
    static constexpr int maxrows = 65535;
    static constexpr int maxcols = 255;
    static constexpr int maxargs = 30;
};

} // namespace xll
