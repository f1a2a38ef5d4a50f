// Bounds of worksheet values, per width. Compared against these exact numbers everywhere; the
// member names appear in the check texts users see ("n <= limits<XLOPER12>::maxchars").
#pragma once

#include <cstddef>

#include "xll/xlcall.h"

namespace xll {

template <class X> struct limits;

// The sheet has 1048576 rows and 16384 columns; an array the add-in builds takes one fewer of each.
template <> struct limits<XLOPER12> {
    static constexpr int maxchars = 32767;
    static constexpr int maxrows = 1048575;
    static constexpr int maxcols = 16383;
    static constexpr int maxargs = 255;
};

// The older sheet of the 8-bit interface: byte-counted texts, 16-bit counts.
template <> struct limits<XLOPER> {
    static constexpr int maxchars = 255;
    static constexpr int maxrows = 65535;
    static constexpr int maxcols = 255;
    static constexpr int maxargs = 30;
};

// The wide bounds as sizes, for code that measures text and arrays in size_t.
// UTF-16 units of a cell's text.
inline constexpr size_t max_cell_text = static_cast<size_t>(limits<XLOPER12>::maxchars);
// Rows of an array the add-in returns.
inline constexpr size_t max_result_rows = static_cast<size_t>(limits<XLOPER12>::maxrows);

} // namespace xll
