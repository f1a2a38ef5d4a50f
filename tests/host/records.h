// Value records for calling through the C interface by hand, in the host's tests and in the test
// add-in: counted texts over a buffer the record keeps alive, and numbers and booleans of a width.
#pragma once

#include "xll/xlcall.h"

#include <string>
#include <string_view>
#include <type_traits>

namespace zorvane::test_records {

template <class X> struct Text {
    using Char = std::remove_pointer_t<decltype(X{}.val.str)>;
    std::basic_string<Char> buffer;
    X x{};
    explicit Text(std::basic_string_view<Char> s)
    {
        buffer.push_back(static_cast<Char>(s.size()));
        buffer.append(s);
        x.xltype = xltypeStr;
        x.val.str = buffer.data();
    }
};
using Text12 = Text<XLOPER12>;
using Text8 = Text<XLOPER>;

template <class X = XLOPER12> X number(double d)
{
    X x{};
    x.xltype = xltypeNum;
    x.val.num = d;
    return x;
}

template <class X = XLOPER12> X boolean(bool b)
{
    X x{};
    x.xltype = xltypeBool;
    x.val.xbool = b;
    return x;
}

} // namespace zorvane::test_records
