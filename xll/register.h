// The two process-wide lists of registration records and the register/unregister roads.
#pragma once

#include <map>
#include <vector>

#include "xll/args.h"

namespace xll {

// One record of a list, built by static initialisation and kept until unload.
template <class X> class XAddIn {
public:
    explicit XAddIn(const XArgs<X>& args);
    XAddIn(const XAddIn&) = delete;
    XAddIn& operator=(const XAddIn&) = delete;

    const XArgs<X>& args() const { return args_; }
    double register_id() const { return register_id_; }
    void* procedure_address() const { return procedure_; }

    // Registers the record; for functions and commands also finds its export in the library.
    XOPER<X> Register();
    XOPER<X> Unregister();

    static std::vector<XAddIn*>& List();
    static int RegisterAll();
    static int UnregisterAll();

private:
    XArgs<X> args_;
    double register_id_ = 0;
    void* procedure_ = nullptr;
};

using AddIn = XAddIn<XLOPER>;
using AddIn12 = XAddIn<XLOPER12>;

// Register ids the host handed out, per width, with their records.
template <class X> std::map<double, const XArgs<X>*>& RegisterIds();

// Registers a record (alias index i > 0 registers its alias); true for records that are not
// registered at all.
template <class X> XOPER<X> Register(const XArgs<X>& args, size_t i = 0);
template <class X> XOPER<X> Unregister(const XArgs<X>& args);

// Shows text with the host's own alert through the given width; never throws.
template <class X> void host_alert(std::basic_string_view<typename traits<X>::xchar> text) noexcept;

} // namespace xll
