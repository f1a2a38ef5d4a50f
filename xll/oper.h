// The worksheet value: the host's record plus ownership. An XOPER<X> is bit-for-bit an X, so a
// pointer to one is handed to the host wherever it expects the record, and array elements are
// XOPERs themselves. Storage comes from realloc/free, never from the host.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "xll/traits.h"
#include "xll/xloper.h"

namespace xll {

// A check of an XOPER member; the member's full name is only spelled out when the check fails.
template <class X> inline void ensure_member(bool ok, CheckLocation at, const char* member, const char* condition)
{
    if (!ok) [[unlikely]]
        ensure_failed(at, member_name<X>(member), condition);
}

// The same for a block the allocator refused.
template <class X> inline void ensure_allocated(bool ok, CheckLocation at, const char* member, const char* condition)
{
    if (!ok) [[unlikely]]
        allocation_failed(at, member_name<X>(member), condition);
}

enum class xlerr : int {
    Null = xlerrNull,
    Div0 = xlerrDiv0,
    Value = xlerrValue,
    Ref = xlerrRef,
    Name = xlerrName,
    Num = xlerrNum,
    NA = xlerrNA,
    GettingData = xlerrGettingData,
};

// Numeric reading used as the add-in's truth test: non-zero is true.
template <class X> double to_number(const X& x)
{
    switch (base_type(x.xltype)) {
    case xltypeNum: return x.val.num;
    case xltypeStr: return static_cast<double>(string_length(x));
    case xltypeBool: return x.val.xbool ? 1 : 0;
    case xltypeInt: return x.val.w;
    case xltypeErr:
    case xltypeMissing:
    case xltypeNil: return 0;
    case xltypeMulti: {
        size_t n = size(x);
        for (size_t i = 0; i < n; ++i) {
            double d = to_number(x.val.array.lparray[i]);
            if (d != 0)
                return d;
        }
        return 0;
    }
    default: return std::numeric_limits<double>::quiet_NaN();
    }
}

template <class X> bool equal(const X& a, const X& b)
{
    unsigned ta = base_type(a.xltype), tb = base_type(b.xltype);
    if (ta != tb)
        return false;
    switch (ta) {
    case xltypeNum: return a.val.num == b.val.num;
    case xltypeStr: {
        size_t n = string_length(a);
        if (n != string_length(b))
            return false;
        for (size_t i = 1; i <= n; ++i)
            if (fold_case(a.val.str[i]) != fold_case(b.val.str[i]))
                return false;
        return true;
    }
    case xltypeBool: return (a.val.xbool != 0) == (b.val.xbool != 0);
    case xltypeErr: return a.val.err == b.val.err;
    case xltypeInt: return a.val.w == b.val.w;
    case xltypeMulti: {
        if (a.val.array.rows != b.val.array.rows || a.val.array.columns != b.val.array.columns)
            return false;
        size_t n = size(a);
        for (size_t i = 0; i < n; ++i)
            if (!equal(a.val.array.lparray[i], b.val.array.lparray[i]))
                return false;
        return true;
    }
    case xltypeMissing:
    case xltypeNil: return true;
    case xltypeSRef:
        return a.val.sref.ref.rwFirst == b.val.sref.ref.rwFirst && a.val.sref.ref.rwLast == b.val.sref.ref.rwLast &&
               a.val.sref.ref.colFirst == b.val.sref.ref.colFirst && a.val.sref.ref.colLast == b.val.sref.ref.colLast;
    default: return false; // flow, big data and multi-area references never compare equal
    }
}

template <class X> bool less(const X& a, const X& b)
{
    unsigned ta = base_type(a.xltype), tb = base_type(b.xltype);
    if (ta != tb)
        return ta < tb;
    switch (ta) {
    case xltypeNum: return a.val.num < b.val.num;
    case xltypeStr: {
        size_t na = string_length(a), nb = string_length(b), n = na < nb ? na : nb;
        for (size_t i = 1; i <= n; ++i) {
            auto ca = fold_case(a.val.str[i]), cb = fold_case(b.val.str[i]);
            if (ca != cb)
                return ca < cb;
        }
        return na < nb;
    }
    case xltypeBool: return (a.val.xbool != 0) < (b.val.xbool != 0);
    case xltypeErr: return a.val.err < b.val.err;
    case xltypeInt: return a.val.w < b.val.w;
    case xltypeMulti: {
        if (b.val.array.rows < a.val.array.rows || b.val.array.columns < a.val.array.columns)
            return false;
        size_t n = size(a);
        for (size_t i = 0; i < n; ++i) {
            const X& ea = a.val.array.lparray[i];
            const X& eb = b.val.array.lparray[i];
            if (!equal(ea, eb))
                return less(ea, eb);
        }
        return false;
    }
    default: return false;
    }
}

template <class X> class XOPER : public X {
public:
    using xchar = typename traits<X>::xchar;
    using string_view = std::basic_string_view<xchar>;

    XOPER() noexcept { set_nil(); }
    XOPER(double num) noexcept
    {
        this->xltype = xltypeNum;
        this->val.num = num;
    }
    XOPER(int num) noexcept : XOPER(static_cast<double>(num)) {}
    XOPER(bool b) noexcept
    {
        this->xltype = xltypeBool;
        this->val.xbool = b;
    }
    XOPER(xlerr e) noexcept
    {
        this->xltype = xltypeErr;
        this->val.err = static_cast<typename traits<X>::xerr>(e);
    }
    // Null or empty text gives an empty string.
    XOPER(const xchar* s) : XOPER() { set_text(s, traits<X>::strlen(s)); }
    XOPER(const xchar* s, int n) : XOPER() { set_text(s, n); }
    XOPER(string_view s) : XOPER() { set_text(s.data(), measured(s)); }
    // An array of r rows and c columns of nil.
    XOPER(int r, int c) : XOPER()
    {
        this->xltype = xltypeMulti;
        this->val.array.lparray = nullptr;
        this->val.array.rows = 0;
        this->val.array.columns = 0;
        realloc(r, c);
    }
    XOPER(const XOPER& o) : XOPER() { copy_from(o); }
    explicit XOPER(const X& o) : XOPER() { copy_from(o); }
    XOPER(XOPER&& o) noexcept
    {
        static_cast<X&>(*this) = static_cast<const X&>(o);
        o.set_nil();
    }
    ~XOPER() { release(); }

    XOPER& operator=(const XOPER& o)
    {
        if (this != &o) {
            XOPER copy(o); // a copy of an element of ourselves must survive the release
            swap(copy);
        }
        return *this;
    }
    XOPER& operator=(XOPER&& o) noexcept
    {
        if (this != &o) {
            release();
            static_cast<X&>(*this) = static_cast<const X&>(o);
            o.set_nil();
        }
        return *this;
    }
    XOPER& operator=(const X& o)
    {
        if (this != &o) {
            XOPER copy(o);
            swap(copy);
        }
        return *this;
    }
    XOPER& operator=(double num) { return *this = XOPER(num); }
    XOPER& operator=(int num) { return *this = XOPER(num); }
    XOPER& operator=(bool b) { return *this = XOPER(b); }
    XOPER& operator=(xlerr e) { return *this = XOPER(e); }
    XOPER& operator=(const xchar* s)
    {
        XOPER t(s);
        swap(t);
        return *this;
    }
    XOPER& operator=(string_view s)
    {
        XOPER t(s);
        swap(t);
        return *this;
    }

    void swap(XOPER& o) noexcept
    {
        X t = static_cast<X&>(*this);
        static_cast<X&>(*this) = static_cast<X&>(o);
        static_cast<X&>(o) = t;
    }

    unsigned type() const { return base_type(this->xltype); }
    bool is(unsigned t) const { return type() == t; }

    size_t rows() const { return xll::rows<X>(*this); }
    size_t columns() const { return xll::columns<X>(*this); }
    size_t size() const { return xll::size<X>(*this); }

    // Element access; a scalar behaves as a 1x1 array.
    XOPER& operator[](size_t i);
    const XOPER& operator[](size_t i) const;
    XOPER& operator()(size_t i, size_t j);
    const XOPER& operator()(size_t i, size_t j) const;

    // Text of a string value (empty for anything else).
    string_view text() const
    {
        if (!is(xltypeStr) || !this->val.str)
            return {};
        return string_view(this->val.str + 1, string_length<X>(*this));
    }

    double to_number() const { return xll::to_number<X>(*this); }
    explicit operator double() const { return to_number(); }
    explicit operator bool() const { return to_number() != 0; }

    bool operator==(const X& o) const { return equal<X>(*this, o); }
    bool operator==(double num) const
    {
        if (is(xltypeNum))
            return this->val.num == num;
        if (is(xltypeInt))
            return this->val.w == num;
        if (is(xltypeMulti) && size() == 1)
            return base_type(this->val.array.lparray[0].xltype) == xltypeNum && this->val.array.lparray[0].val.num == num;
        return false;
    }
    bool operator<(const X& o) const { return less<X>(*this, o); }

    // Array reshape: r x c keeping the elements in storage order; then, when a source is
    // given, its first n elements (all when n is 0) are copied in.
    template <class R, class C, std::enable_if_t<std::is_integral_v<R> && std::is_integral_v<C>, int> = 0>
    XOPER& realloc(R rows_, C columns_, const X* source = nullptr, size_t n = 0)
    {
        const size_t r = rows_ < 0 ? 0 : static_cast<size_t>(rows_);
        const size_t c = columns_ < 0 ? 0 : static_cast<size_t>(columns_);
        const char* fn = "realloc";
        if (r * c == 0 || r == 0 || c == 0) {
            release();
            return *this;
        }
        ensure_member<X>(r <= static_cast<size_t>(limits<X>::maxrows), checks::array_rows, fn,
               "r <= xll::limits<X>::maxrows");
        ensure_member<X>(c <= static_cast<size_t>(limits<X>::maxcols), checks::array_columns, fn,
               "c <= xll::limits<X>::maxcols");
        ensure_member<X>(type() == xltypeMulti, checks::array_type, fn, "xltype == xltypeMulti");
        size_t old = size();
        size_t count = r * c;
        // An element count whose block cannot be addressed (or that the 8-bit record cannot count)
        // fails like a failed allocation, before anything is touched.
        bool representable = count <= std::numeric_limits<size_t>::max() / sizeof(X) &&
                             (sizeof(typename traits<X>::xrw) > 2 || count <= 0xFFFF);
        if (count != old) {
            X* block = nullptr;
            if (representable) {
                for (size_t k = count; k < old; ++k)
                    element(k).release();
                block = static_cast<X*>(::realloc(this->val.array.lparray, count * sizeof(X)));
                if (block)
                    this->val.array.lparray = block;
            }
            ensure_allocated<X>(block != nullptr, checks::array_block, fn,
                   "0 != (val.array.lparray = static_cast<X*>(::realloc(val.array.lparray, r*c*sizeof(X))))");
            if (count < old)
                old = count;
        }
        this->val.array.rows = static_cast<typename traits<X>::xrw>(r);
        this->val.array.columns = static_cast<typename traits<X>::xcol>(c);
        for (size_t k = old; k < count; ++k)
            this->val.array.lparray[k].xltype = xltypeNil;
        if (source) {
            if (n == 0)
                n = count;
            ensure_member<X>(n <= size(), checks::array_source, fn, "na <= size()");
            for (size_t k = 0; k < n; ++k)
                if (&this->val.array.lparray[k] != &source[k])
                    element(k) = source[k];
        }
        return *this;
    }

    // String resize: n characters copied from text.
    XOPER& realloc(const xchar* text, size_t n)
    {
        ensure_member<X>(type() == xltypeStr, checks::text_type, "realloc", "xltype == xltypeStr");
        grow_text(n + 1);
        this->val.str[0] = static_cast<xchar>(n);
        if (n)
            std::memmove(this->val.str + 1, text, n * sizeof(xchar));
        return *this;
    }

    // Big data: a length of 0 stores the pointer as a handle.
    XOPER& realloc(const BYTE* data, long cbData)
    {
        ensure_member<X>(type() == xltypeBigData, checks::bigdata_type, "realloc", "xltype == xltypeBigData");
        if (cbData == 0) {
            if (this->val.bigdata.cbData > 0)
                std::free(this->val.bigdata.h.lpbData);
            this->val.bigdata.h.lpbData = const_cast<BYTE*>(data);
            this->val.bigdata.cbData = 0;
            return *this;
        }
        BYTE* old = this->val.bigdata.cbData > 0 ? this->val.bigdata.h.lpbData : nullptr;
        BYTE* p = static_cast<BYTE*>(::realloc(old, static_cast<size_t>(cbData)));
        ensure_allocated<X>(p != nullptr, checks::bigdata_block, "realloc",
               "0 != (val.bigdata.h.lpbData = static_cast<BYTE*>(::realloc(val.bigdata.h.lpbData, cbData)))");
        this->val.bigdata.h.lpbData = p;
        this->val.bigdata.cbData = cbData;
        std::memmove(p, data, static_cast<size_t>(cbData));
        return *this;
    }

    // Appends n characters (the measured text when n is 0). Callers keep the total within maxchars.
    XOPER& append(const xchar* text, size_t n = 0)
    {
        if (n == 0) {
            n = static_cast<size_t>(traits<X>::strlen(text));
            if (n == 0)
                return *this;
        }
        if (is(xltypeMissing) || is(xltypeNil))
            set_text(nullptr, 0);
        ensure_member<X>(type() == xltypeStr, checks::append_type, "append", "xltype == xltypeStr");
        size_t old = string_length<X>(*this);
        grow_text(old + n + 1);
        std::memmove(this->val.str + 1 + old, text, n * sizeof(xchar));
        this->val.str[0] = static_cast<xchar>(old + n);
        return *this;
    }
    XOPER& append(string_view s) { return s.empty() ? *this : append(s.data(), s.size()); }

    // Stacks x below (same column count) or, for a single row, beside.
    XOPER& push_back(const X& x)
    {
        size_t n = size();
        if (n == 0) {
            *this = x;
            return *this;
        }
        XOPER copy(x); // x may be an element of this array
        size_t nx = copy.size();
        if (columns() == copy.columns())
            realloc(rows() + copy.rows(), columns());
        else {
            ensure_member<X>(rows() == 1, checks::push_back_row, "push_back", "rows() == 1");
            realloc(1, n + nx);
        }
        for (size_t k = 0; k < nx; ++k)
            element(n + k) = std::move(copy.is(xltypeMulti) ? copy.element(k) : copy);
        return *this;
    }

    // Frees what the value holds; it is left missing.
    void release() noexcept
    {
        switch (type()) {
        case xltypeStr: std::free(this->val.str); break;
        case xltypeMulti: {
            size_t n = size();
            // Numbers, truth values and errors own nothing: a large result is mostly those.
            for (size_t k = 0; k < n; ++k)
                if (element(k).type() & (xltypeStr | xltypeRef | xltypeMulti)) // big data has the text bit
                    element(k).release();
            std::free(this->val.array.lparray);
            break;
        }
        case xltypeBigData:
            if (this->val.bigdata.cbData > 0)
                std::free(this->val.bigdata.h.lpbData);
            break;
        case xltypeRef: std::free(this->val.mref.lpmref); break;
        default: break;
        }
        std::memset(&this->val, 0, sizeof(this->val));
        this->xltype = xltypeMissing;
    }

private:
    XOPER& element(size_t k) { return static_cast<XOPER&>(this->val.array.lparray[k]); }

    void set_nil() noexcept
    {
        std::memset(&this->val, 0, sizeof(this->val));
        this->xltype = xltypeNil;
    }

    static int measured(string_view s)
    {
        if (s.size() > static_cast<size_t>(limits<X>::maxchars))
            ensure_failed(std::is_same_v<X, XLOPER12> ? checks::strlen12 : checks::strlen8,
                          std::string("xll::traits<") + traits<X>::name + ">::strlen",
                          std::is_same_v<X, XLOPER12> ? "n <= limits<XLOPER12>::maxchars"
                                                      : "n <= limits<XLOPER>::maxchars");
        return static_cast<int>(s.size());
    }

    void grow_text(size_t count)
    {
        xchar* p = static_cast<xchar*>(::realloc(this->val.str, count * sizeof(xchar)));
        ensure_allocated<X>(p != nullptr, checks::text_block, "realloc",
               "0 != (val.str = static_cast<xll::traits<X>::xchar*>(::realloc(val.str, (count + 1)*sizeof(xchar))))");
        this->val.str = p;
    }

    void set_text(const xchar* s, int n)
    {
        release();
        this->xltype = xltypeStr;
        this->val.str = nullptr;
        realloc(s, static_cast<size_t>(n < 0 ? 0 : n));
    }

    void copy_from(const X& o)
    {
        release();
        unsigned t = base_type(o.xltype);
        switch (t) {
        case xltypeStr:
            set_text(o.val.str ? o.val.str + 1 : nullptr, static_cast<int>(string_length(o)));
            return;
        case xltypeMulti: {
            size_t r = static_cast<size_t>(o.val.array.rows), c = static_cast<size_t>(o.val.array.columns);
            this->xltype = xltypeMulti;
            this->val.array.lparray = nullptr;
            this->val.array.rows = 0;
            this->val.array.columns = 0;
            if (r && c)
                realloc(r, c, o.val.array.lparray, r * c);
            else
                release();
            return;
        }
        case xltypeBigData:
            this->xltype = xltypeBigData;
            this->val.bigdata.cbData = 0;
            this->val.bigdata.h.lpbData = nullptr;
            realloc(o.val.bigdata.h.lpbData, o.val.bigdata.cbData);
            return;
        case xltypeRef: {
            size_t count = o.val.mref.lpmref ? o.val.mref.lpmref->count : 0;
            size_t bytes = sizeof(*o.val.mref.lpmref) + (count ? count - 1 : 0) * sizeof(o.val.mref.lpmref->reftbl[0]);
            void* p = std::malloc(bytes);
            if (!p)
                throw std::bad_alloc();
            if (o.val.mref.lpmref)
                std::memcpy(p, o.val.mref.lpmref, bytes);
            else
                std::memset(p, 0, bytes);
            this->val.mref.lpmref = static_cast<decltype(this->val.mref.lpmref)>(p);
            this->val.mref.idSheet = o.val.mref.idSheet;
            this->xltype = xltypeRef;
            return;
        }
        default:
            this->val = o.val;
            this->xltype = t;
            return;
        }
    }
};

using OPER12 = XOPER<XLOPER12>;
using OPER = XOPER<XLOPER>;

template <class X> XOPER<X>& XOPER<X>::operator[](size_t i) { return index(*this, i); }
template <class X> const XOPER<X>& XOPER<X>::operator[](size_t i) const { return index(*this, i); }
template <class X> XOPER<X>& XOPER<X>::operator()(size_t i, size_t j) { return index(*this, i, j); }
template <class X> const XOPER<X>& XOPER<X>::operator()(size_t i, size_t j) const { return index(*this, i, j); }

} // namespace xll
