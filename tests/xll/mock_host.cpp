#include "mock_host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace mock {

Host& host()
{
    static Host h;
    return h;
}

void Host::reset()
{
    Host fresh;
    fresh.outstanding = outstanding;
    *this = fresh;
}

size_t Host::count(int xlfn) const
{
    size_t n = 0;
    for (const auto& c : calls)
        n += c.xlfn == xlfn;
    return n;
}

namespace {

template <class X> struct width;
template <> struct width<XLOPER12> {
    using xchar = XCHAR;
};
template <> struct width<XLOPER> {
    using xchar = char;
};

template <class X> std::string text_of(const X& x)
{
    std::string s;
    if (!x.val.str)
        return s;
    using uchar = std::make_unsigned_t<typename width<X>::xchar>;
    size_t n = static_cast<uchar>(x.val.str[0]);
    for (size_t i = 1; i <= n; ++i) {
        unsigned c = static_cast<uchar>(x.val.str[i]);
        if (c < 0x80)
            s += static_cast<char>(c);
        else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

template <class X> Value read(const X& x)
{
    Value v;
    v.type = x.xltype & ~(xlbitXLFree | xlbitDLLFree);
    switch (v.type) {
    case xltypeNum: v.num = x.val.num; break;
    case xltypeBool: v.num = x.val.xbool; break;
    case xltypeErr: v.num = x.val.err; break;
    case xltypeInt: v.num = x.val.w; break;
    case xltypeStr: v.text = text_of(x); break;
    case xltypeMulti:
        v.rows = x.val.array.rows;
        v.columns = x.val.array.columns;
        for (int i = 0; i < v.rows * v.columns; ++i)
            v.items.push_back(read(x.val.array.lparray[i]));
        break;
    default: break;
    }
    return v;
}

template <class X> void write_text(X* x, const std::string& s)
{
    using xchar = typename width<X>::xchar;
    auto* p = static_cast<xchar*>(std::malloc((s.size() + 1) * sizeof(xchar)));
    p[0] = static_cast<xchar>(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        p[i + 1] = static_cast<xchar>(static_cast<unsigned char>(s[i]));
    x->val.str = p;
    x->xltype = xltypeStr | xlbitXLFree;
    ++host().outstanding;
}

template <class X> void write(X* x, const Value& v)
{
    if (!x)
        return;
    switch (v.type) {
    case xltypeStr: write_text(x, v.text); return;
    case xltypeMulti: {
        auto* a = static_cast<X*>(std::calloc(v.items.size(), sizeof(X)));
        for (size_t i = 0; i < v.items.size(); ++i) {
            write(&a[i], v.items[i]);
            a[i].xltype &= ~xlbitXLFree;
        }
        x->val.array.lparray = a;
        x->val.array.rows = static_cast<decltype(x->val.array.rows)>(v.rows);
        x->val.array.columns = static_cast<decltype(x->val.array.columns)>(v.columns);
        x->xltype = xltypeMulti | xlbitXLFree;
        ++host().outstanding;
        return;
    }
    case xltypeNum: x->val.num = v.num; break;
    case xltypeBool: x->val.xbool = v.num != 0; break;
    case xltypeErr: x->val.err = static_cast<int>(v.num); break;
    default: break;
    }
    x->xltype = v.type;
}

template <class X> void release(X* x)
{
    if (!x || !(x->xltype & xlbitXLFree))
        return;
    unsigned t = x->xltype & ~xlbitXLFree;
    if (t == xltypeStr)
        std::free(x->val.str);
    if (t == xltypeMulti) {
        int n = x->val.array.rows * x->val.array.columns;
        for (int i = 0; i < n; ++i)
            if ((x->val.array.lparray[i].xltype & ~xlbitXLFree) == xltypeStr)
                std::free(x->val.array.lparray[i].val.str);
        std::free(x->val.array.lparray);
    }
    --host().outstanding;
    x->xltype = t == xltypeStr || t == xltypeMulti ? xltypeNil : t;
}

Value num(double d)
{
    Value v;
    v.type = xltypeNum;
    v.num = d;
    return v;
}
Value str(const std::string& s)
{
    Value v;
    v.type = xltypeStr;
    v.text = s;
    return v;
}
Value err(int code)
{
    Value v;
    v.type = xltypeErr;
    v.num = code;
    return v;
}
Value boolean(bool b)
{
    Value v;
    v.type = xltypeBool;
    v.num = b;
    return v;
}

std::string general(const Value& v)
{
    if (v.type == xltypeStr)
        return v.text;
    if (v.type == xltypeNum) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v.num);
        return buf;
    }
    if (v.type == xltypeBool)
        return v.num ? "TRUE" : "FALSE";
    return "";
}

std::string lower(std::string s)
{
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// SEARCH with ? as any one character.
Value search(const std::string& pattern, const std::string& text)
{
    std::string p = lower(pattern), t = lower(text);
    for (size_t i = 0; i + p.size() <= t.size(); ++i) {
        bool ok = true;
        for (size_t k = 0; k < p.size() && ok; ++k)
            ok = p[k] == '?' || p[k] == t[i + k];
        if (ok)
            return num(static_cast<double>(i + 1));
    }
    return err(xlerrValue);
}

template <class X> int dispatch(int xlfn, int count, X** opers, X* result)
{
    Host& h = host();
    if (xlfn == xlFree) {
        for (int i = 0; i < count; ++i)
            release(opers[i]);
        ++h.frees;
        return xlretSuccess;
    }
    Call call{xlfn, {}, std::is_same_v<X, XLOPER12>};
    for (int i = 0; i < count; ++i)
        call.args.push_back(read(*opers[i]));
    h.calls.push_back(call);
    if (h.fail) {
        if (int code = h.fail(xlfn))
            return code;
    }
    const auto& a = call.args;
    switch (xlfn) {
    case xlGetName: write(result, str(h.library)); return xlretSuccess;
    case xlfSearch: write(result, search(a.at(0).text, a.at(1).text)); return xlretSuccess;
    case xlfLeft: write(result, str(a.at(0).text.substr(0, static_cast<size_t>(a.at(1).num)))); return xlretSuccess;
    case xlfConcatenate: {
        std::string s;
        for (const auto& v : a) {
            if (v.type == xltypeErr) {
                write(result, v);
                return xlretSuccess;
            }
            s += general(v);
        }
        write(result, str(s));
        return xlretSuccess;
    }
    case xlfRegister: {
        h.register_calls.push_back(a);
        const std::string& proc = a.at(1).text;
        if (h.refuse.count(proc)) {
            write(result, err(xlerrValue));
            return xlretSuccess;
        }
        double id = h.ids[proc] = h.next_id++;
        write(result, num(id));
        return xlretSuccess;
    }
    case xlfRegisterId: {
        auto it = h.ids.find(a.at(1).text);
        write(result, it == h.ids.end() ? err(xlerrValue) : num(it->second));
        return xlretSuccess;
    }
    case xlfUnregister: write(result, boolean(true)); return xlretSuccess;
    case xlcAlert:
        h.alerts.push_back(a.at(0).text);
        write(result, boolean(true));
        return xlretSuccess;
    case xlfDialogBox:
        write(result, h.dialog ? h.dialog(a.at(0)) : boolean(false));
        return xlretSuccess;
    case xlcOnKey:
    case xlcMessage:
    case xlcOnTime: write(result, boolean(true)); return xlretSuccess;
    case xlfNow: write(result, num(41790.5)); return xlretSuccess;
    case xlfGetWorkspace:
        if (h.workspace_version.empty())
            return xlretInvXlfn;
        write(result, str(h.workspace_version));
        return xlretSuccess;
    default: return xlretInvXlfn;
    }
}

} // namespace

} // namespace mock

extern "C" {

__attribute__((visibility("default"))) int MdCallBack12(int xlfn, int count, LPXLOPER12* opers, LPXLOPER12 result)
{
    return mock::dispatch<XLOPER12>(xlfn, count, opers, result);
}

__attribute__((visibility("default"))) int Excel4v(int xlfn, LPXLOPER result, int count, LPXLOPER opers[])
{
    return mock::dispatch<XLOPER>(xlfn, count, opers, result);
}

__attribute__((visibility("default"))) int XLCallVer(void) { return mock::host().version; }

__attribute__((visibility("default"))) int MessageBoxA(void*, const char* text, const char* caption, unsigned)
{
    auto& h = mock::host();
    h.boxes.push_back(std::string(caption) + ": " + text);
    if (h.box_answers.empty())
        return 1;
    int a = h.box_answers.front();
    h.box_answers.pop_front();
    return a;
}
}
