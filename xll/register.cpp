#include "xll/register.h"

#include <memory>
#include <string>

#include "xll/host_version.h"
#include "xll/platform.h"
#include "xll/text.h"

namespace xll {

namespace {

template <class X> std::string narrow(std::basic_string_view<typename traits<X>::xchar> s)
{
    std::string out;
    for (auto c : s)
        out += static_cast<char>(c);
    return out;
}

// The host's raw entry for a width.
inline int raw(int xlfn, XLOPER12* result, int count, XLOPER12** opers) { return Excel12v(xlfn, result, count, opers); }
inline int raw(int xlfn, XLOPER* result, int count, XLOPER** opers) { return Excel4v(xlfn, result, count, opers); }

// Alerts procedure + suffix through the host, joined by the host as the text it shows.
template <class X> void alert_procedure(const XOPER<X>& procedure, const char* suffix) noexcept
{
    try {
        auto text = Excel<X>(xlfConcatenate, procedure, XOPER<X>(widen_bytes<X>(suffix)));
        Excel<X>(xlcAlert, text);
    }
    catch (...) {
    }
}

// The record as this host registers it: its asynchronous form where the host runs such functions.
template <class X> XArgs<X> form_for_host(const XArgs<X>& args)
{
    if (args.has_asynchronous_form() && host_runs_asynchronous_functions())
        return args.asynchronous_form();
    return args;
}

} // namespace

template <class X> void host_alert(std::basic_string_view<typename traits<X>::xchar> text) noexcept
{
    try {
        if (text.size() > static_cast<size_t>(limits<X>::maxchars))
            text = text.substr(0, static_cast<size_t>(limits<X>::maxchars));
        Excel<X>(xlcAlert, XOPER<X>(text));
    }
    catch (...) {
    }
}

template <class X> const X& library_path()
{
    // Host-owned and kept until unload.
    static HostResult<X> path = Excel<X>(xlGetName);
    return path;
}

template <class X> X** XArgs<X>::pointers()
{
    ensure(size() < static_cast<size_t>(limits<X>::maxargs), checks::pointers_count,
           std::string("xll::XArgs<") + traits<X>::name + ">::pointers", "size() < limits<X>::maxargs");
    const X& path = library_path<X>();
    if (help_context_ != 0) {
        auto search = Excel<X>(xlfSearch, XOPER<X>(widen_bytes<X>(".?ll")), path);
        ensure(search.type() == xltypeNum, checks::pointers_help_path,
               std::string("xll::XArgs<") + traits<X>::name + ">::pointers", "search.xltype == xltypeNum");
        auto left = Excel<X>(xlfLeft, path, XOPER<X>(search.val.num));
        auto topic = Excel<X>(xlfConcatenate, left, XOPER<X>(widen_bytes<X>("chm!")),
                              XOPER<X>(static_cast<double>(help_context_)));
        args_[slot_help_topic] = topic.copy();
    }
    pointers_.assign(args_.size(), nullptr);
    pointers_[0] = const_cast<X*>(&path);
    for (size_t i = 1; i < args_.size(); ++i)
        pointers_[i] = &args_[i];
    return pointers_.data();
}

template <class X> std::map<double, const XArgs<X>*>& RegisterIds()
{
    static std::map<double, const XArgs<X>*> ids;
    return ids;
}

template <class X> XOPER<X> Register(const XArgs<X>& args, size_t i)
{
    XOPER<X> result(true);
    if (!args.registrable())
        return result;
    XArgs<X> copy = form_for_host(args);
    if (i > 0)
        copy[slot_function_text] = args.aliases().at(i - 1);
    X** opers = copy.pointers();
    HostResult<X> x;
    static_cast<X&>(x) = result;
    int code = raw(xlfRegister, &x, static_cast<int>(copy.size()), opers);
    if (code == xlretSuccess)
        x.own();
    ensure(x.type() != xltypeStr && x.type() != xltypeMulti, checks::register_answer_kind,
           std::string("xll::Register<") + traits<X>::name + ">", "x.xltype != xltypeStr && x.xltype != xltypeMulti");
    if (code != xlretSuccess || x.type() == xltypeErr) {
        alert_procedure<X>(args[slot_procedure], ": failed to register.\nDid you forget #pragma XLLEXPORT?");
        result = static_cast<const X&>(x);
        return result;
    }
    ensure(x.type() == xltypeNum, checks::register_answer_id, std::string("xll::Register<") + traits<X>::name + ">",
           "x.xltype == xltypeNum");
    result = static_cast<const X&>(x);
    RegisterIds<X>()[x.val.num] = &args;
    if (i == 0)
        for (size_t k = 1; k <= args.aliases().size(); ++k)
            Register(args, k);
    return result;
}

template <class X> XOPER<X> Unregister(const XArgs<X>& args)
{
    XOPER<X> result;
    try {
        auto path = Excel<X>(xlGetName);
        auto id = Excel<X>(xlfRegisterId, path, form_for_host(args)[slot_procedure]);
        result = Excel<X>(xlfUnregister, id).copy();
    }
    catch (...) {
        alert_procedure<X>(args[slot_procedure], ": failed to unregister.\n");
    }
    return result;
}

template <class X> XAddIn<X>::XAddIn(const XArgs<X>& args) : args_(args)
{
    args_.finish();
    List().push_back(this);
}

template <class X> std::vector<XAddIn<X>*>& XAddIn<X>::List()
{
    static std::vector<XAddIn*> list;
    return list;
}

template <class X> XOPER<X> XAddIn<X>::Register()
{
    XOPER<X> result = xll::Register(args_, 0);
    if (args_.registrable()) {
        procedure_ = platform::library_export(narrow<X>(std::basic_string_view<typename traits<X>::xchar>(
                                                  library_path<X>().val.str + 1, string_length(library_path<X>()))),
                                              narrow<X>(form_for_host(args_)[slot_procedure].text()));
        if (result.is(xltypeNum))
            register_id_ = result.val.num;
    }
    return result;
}

template <class X> XOPER<X> XAddIn<X>::Unregister() { return xll::Unregister(args_); }

template <class X> int XAddIn<X>::RegisterAll()
{
    std::vector<XAddIn*> list = List();
    for (auto* addin : list)
        if (addin->Register().to_number() == 0)
            return 0;
    return 1;
}

template <class X> int XAddIn<X>::UnregisterAll()
{
    for (auto* addin : List()) {
        if (addin->args_.macro_type() == macro_documentation)
            continue;
        addin->register_id_ = 0;
        if (addin->Unregister().to_number() == 0)
            return 0;
    }
    return 1;
}

template class XArgs<XLOPER>;
template class XArgs<XLOPER12>;
template class XAddIn<XLOPER>;
template class XAddIn<XLOPER12>;
template const XLOPER& library_path<XLOPER>();
template const XLOPER12& library_path<XLOPER12>();
template std::map<double, const XArgs<XLOPER>*>& RegisterIds<XLOPER>();
template std::map<double, const XArgs<XLOPER12>*>& RegisterIds<XLOPER12>();
template XOPER<XLOPER> Register(const XArgs<XLOPER>&, size_t);
template XOPER<XLOPER12> Register(const XArgs<XLOPER12>&, size_t);
template XOPER<XLOPER> Unregister(const XArgs<XLOPER>&);
template XOPER<XLOPER12> Unregister(const XArgs<XLOPER12>&);
template void host_alert<XLOPER>(std::basic_string_view<char>) noexcept;
template void host_alert<XLOPER12>(std::basic_string_view<XCHAR>) noexcept;

} // namespace xll
