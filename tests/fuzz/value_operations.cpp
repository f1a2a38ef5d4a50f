// Sequences of value operations on a few values of both widths: reshape, stacking, appending,
// copying and moving (onto themselves and onto their own elements too), comparing and indexing.
// Each byte is one operation on slots chosen by the following bytes. The value type's own checks
// may refuse an operation; memory errors, leaks and broken invariants are findings.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "fuzz_input.h"
#include "xll/oper.h"

namespace {

template <class X> struct Run {
    using V = xll::XOPER<X>;
    using xchar = typename V::xchar;
    static constexpr size_t slots = 4;
    V v[slots];
    const uint8_t* p;
    const uint8_t* end;

    uint8_t next() { return p < end ? *p++ : 0; }
    V& slot() { return v[next() % slots]; }

    // Every value is well formed: arrays have their elements, strings their counted units.
    static bool holds_array(const V& a)
    {
        for (size_t k = 0; a.is(xltypeMulti) && k < a.size(); ++k)
            if (a[k].is(xltypeMulti))
                return true;
        return false;
    }

    static void check(const X& x)
    {
        switch (xll::base_type(x.xltype)) {
        case xltypeStr:
            fuzz::expect(x.val.str != nullptr);
            fuzz::expect(xll::string_length(x) <= static_cast<size_t>(xll::limits<X>::maxchars));
            break;
        case xltypeMulti: {
            size_t n = xll::size(x);
            fuzz::expect(n > 0 && x.val.array.lparray != nullptr);
            for (size_t k = 0; k < n; ++k)
                check(x.val.array.lparray[k]);
            break;
        }
        default: break;
        }
    }

    void text_into(V& target)
    {
        size_t n = next() % 8;
        std::basic_string<xchar> s;
        for (size_t i = 0; i < n; ++i)
            s += static_cast<xchar>('a' + next() % 26);
        target = std::basic_string_view<xchar>(s);
    }

    void step(uint8_t op)
    {
        switch (op % 16) {
        case 0: slot() = static_cast<double>(next()); break;
        case 1: text_into(slot()); break;
        case 2: slot() = xll::xlerr::NA; break;
        case 3: {
            V& a = slot();
            int r = next() % 5, c = next() % 5;
            if (a.is(xltypeMulti) || r * c == 0)
                a.realloc(r, c);
            else
                a = V(r, c);
            break;
        }
        case 4: {
            V& a = slot();
            V& b = slot();
            if (a.size() + b.size() <= 64 && (a.is(xltypeMulti) || a.size() == 0) && !holds_array(b))
                a.push_back(b);
            break;
        }
        case 5: {
            V& a = slot();
            size_t n = next() % 6;
            std::basic_string<xchar> s(n, static_cast<xchar>('x'));
            if (a.is(xltypeStr) && a.text().size() + n > 200)
                break; // append leaves the total to its callers
            a.append(s.data(), n);
            break;
        }
        case 6: {
            V& a = slot();
            V& b = slot();
            a = b;
            fuzz::expect(a == static_cast<const X&>(b) || b.is(xltypeBigData));
            break;
        }
        case 7: {
            V& a = slot();
            V& b = slot();
            a = std::move(b);
            break;
        }
        case 8: {
            // A value takes one of its own elements, or an element takes its whole container.
            V& a = slot();
            if (a.size() == 0)
                break;
            size_t k = next() % a.size();
            if (next() & 1)
                a = static_cast<const V&>(a[k]);
            else if (a.is(xltypeMulti) && a.size() <= 16 && !holds_array(a))
                a[k] = static_cast<const V&>(a);
            break;
        }
        case 9: {
            V& a = slot();
            V& b = slot();
            bool less = a < b, greater = b < a;
            fuzz::expect(!(less && greater));
            fuzz::expect(!(a == static_cast<const X&>(b)) || (!less && !greater) || a.is(xltypeMulti));
            break;
        }
        case 10: {
            V& a = slot();
            size_t i = next() % 6, j = next() % 6;
            a(i, j) = static_cast<double>(i * 10 + j);
            break;
        }
        case 11: {
            V& a = slot();
            a[next() % 8] = true;
            break;
        }
        case 12: {
            V& a = slot();
            V copy(a);
            fuzz::expect(copy == static_cast<const X&>(a));
            a.swap(copy);
            break;
        }
        case 13: slot().release(); break;
        case 14: {
            V& a = slot();
            (void)a.to_number();
            (void)a.text();
            break;
        }
        case 15: {
            // Reshape with a copy of the first elements of another array.
            V& a = slot();
            V& b = slot();
            if (!b.is(xltypeMulti) || &a == &b)
                break;
            V source(b);
            V target(1, 1);
            target.realloc(static_cast<int>(source.rows()), static_cast<int>(source.columns()),
                           source.val.array.lparray, next() % (source.size() + 1));
            a = std::move(target);
            break;
        }
        }
    }

    void run(const uint8_t* data, size_t size)
    {
        p = data;
        end = data + size;
        while (p < end) {
            try {
                step(next());
            }
            catch (const std::runtime_error&) {
                // a check of the value type refused the operation
            }
            for (const auto& x : v)
                check(x);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Run<XLOPER12>().run(data, size);
    Run<XLOPER>().run(data, size);
    return 0;
}
