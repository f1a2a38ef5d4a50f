// Shape of worksheet values and element access with bounds checks; a scalar behaves as a 1x1 array.
#pragma once

#include <cstddef>
#include <type_traits>

#include "xll/traits.h"

namespace xll {

template <class X> class XOPER;

// The tag without the ownership bits.
inline unsigned base_type(unsigned xltype) { return xltype & ~(xlbitXLFree | xlbitDLLFree); }

// ASCII-only case folding: the same answer on every platform and in every locale.
template <class C> inline C fold_case(C c) { return (c >= 'A' && c <= 'Z') ? static_cast<C>(c - 'A' + 'a') : c; }

template <class X> inline size_t string_length(const X& x)
{
    using uchar = std::make_unsigned_t<typename traits<X>::xchar>;
    return x.val.str ? static_cast<uchar>(x.val.str[0]) : 0;
}

// Shape of any record, references included.
template <class X> inline size_t rows(const X& x)
{
    switch (base_type(x.xltype)) {
    case xltypeMulti: return static_cast<size_t>(x.val.array.rows);
    case xltypeSRef: return static_cast<size_t>(x.val.sref.ref.rwLast - x.val.sref.ref.rwFirst + 1);
    case xltypeRef:
        return x.val.mref.lpmref && x.val.mref.lpmref->count
                   ? static_cast<size_t>(x.val.mref.lpmref->reftbl[0].rwLast - x.val.mref.lpmref->reftbl[0].rwFirst + 1)
                   : 0;
    case xltypeMissing:
    case xltypeNil: return 0;
    default: return 1;
    }
}

template <class X> inline size_t columns(const X& x)
{
    switch (base_type(x.xltype)) {
    case xltypeMulti: return static_cast<size_t>(x.val.array.columns);
    case xltypeSRef: return static_cast<size_t>(x.val.sref.ref.colLast - x.val.sref.ref.colFirst + 1);
    case xltypeRef:
        return x.val.mref.lpmref && x.val.mref.lpmref->count
                   ? static_cast<size_t>(x.val.mref.lpmref->reftbl[0].colLast - x.val.mref.lpmref->reftbl[0].colFirst + 1)
                   : 0;
    case xltypeMissing:
    case xltypeNil: return 0;
    default: return 1;
    }
}

template <class X> inline size_t size(const X& x) { return rows(x) * columns(x); }


template <class X> const X& index(const X& x, size_t i)
{
    ensure(i < size(x), checks::index_const, "xll::index", "i < size(x)");
    return base_type(x.xltype) == xltypeMulti ? x.val.array.lparray[i] : x;
}

template <class X> X& index(X& x, size_t i)
{
    ensure(i < size(x), checks::index, "xll::index", "i < size(x)");
    return base_type(x.xltype) == xltypeMulti ? x.val.array.lparray[i] : x;
}

template <class X> const X& index(const X& x, size_t i, size_t j)
{
    ensure(i < rows(x), checks::index_row_const, "xll::index", "i < rows(x)");
    ensure(j < columns(x), checks::index_column_const, "xll::index", "j < columns(x)");
    return base_type(x.xltype) == xltypeMulti ? x.val.array.lparray[i * columns(x) + j] : x;
}

template <class X> X& index(X& x, size_t i, size_t j)
{
    ensure(i < rows(x), checks::index_row, "xll::index", "i < rows(x)");
    ensure(j < columns(x), checks::index_column, "xll::index", "j < columns(x)");
    return base_type(x.xltype) == xltypeMulti ? x.val.array.lparray[i * columns(x) + j] : x;
}

template <class X> const XOPER<X>& index(const XOPER<X>& x, size_t i)
{
    return static_cast<const XOPER<X>&>(index<X>(static_cast<const X&>(x), i));
}
template <class X> XOPER<X>& index(XOPER<X>& x, size_t i)
{
    return static_cast<XOPER<X>&>(index<X>(static_cast<X&>(x), i));
}
template <class X> const XOPER<X>& index(const XOPER<X>& x, size_t i, size_t j)
{
    return static_cast<const XOPER<X>&>(index<X>(static_cast<const X&>(x), i, j));
}
template <class X> XOPER<X>& index(XOPER<X>& x, size_t i, size_t j)
{
    return static_cast<XOPER<X>&>(index<X>(static_cast<X&>(x), i, j));
}

} // namespace xll
