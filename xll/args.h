// Registration records: everything the host's register call needs to know of one worksheet
// function or macro, plus the argument descriptors the paste macros read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xll/host_call.h"

namespace xll {

// Help context of a function: h = 5381, h = h*33 + c per UTF-16 unit, modulo 2^32.
template <class C> uint32_t help_hash(const C* text, size_t n)
{
    uint32_t h = 5381;
    for (size_t i = 0; i < n; ++i)
        h = h * 33 + static_cast<uint32_t>(static_cast<std::make_unsigned_t<C>>(text[i]));
    return h;
}

// Slots of the register call.
enum register_slot : size_t {
    slot_module = 0,
    slot_procedure = 1,
    slot_type_text = 2,
    slot_function_text = 3,
    slot_argument_text = 4,
    slot_macro_type = 5,
    slot_category = 6,
    slot_shortcut = 7,
    slot_help_topic = 8,
    slot_function_help = 9,
    fixed_slots = 10,
};

inline constexpr double macro_function = 1, macro_command = 2, macro_documentation = -1;

template <class X> class XArgs {
public:
    using xchar = typename traits<X>::xchar;
    using value = XOPER<X>;

    struct Descriptor {
        value type, name, help, init;
    };

    XArgs() = default;

    // A worksheet function returning the type code rtype.
    XArgs(const xchar* rtype, const xchar* procedure, const xchar* function_text) : args_(fixed_slots)
    {
        args_[slot_procedure] = procedure;
        args_[slot_type_text] = rtype;
        args_[slot_function_text] = function_text;
        args_[slot_argument_text] = static_cast<const xchar*>(nullptr);
        args_[slot_macro_type] = macro_function;
        desc_.push_back({value(rtype), value(function_text), value(static_cast<const xchar*>(nullptr)), value()});
    }

    // A command macro.
    XArgs(const xchar* procedure, const xchar* function_text) : args_(fixed_slots)
    {
        args_[slot_procedure] = procedure;
        args_[slot_function_text] = function_text;
        args_[slot_macro_type] = macro_command;
    }

    // A documentation record: kept in its list for its category, never registered.
    static XArgs Documentation(const xchar* category)
    {
        XArgs a;
        a.args_.resize(7);
        a.args_[slot_macro_type] = macro_documentation;
        a.args_[slot_category] = category;
        a.help_context_ = help_hash(category, static_cast<size_t>(traits<X>::strlen(category)));
        return a;
    }

    XArgs& Arg(const xchar* type, const xchar* name, const xchar* help, const value& init = value())
    {
        value code(type);
        std::basic_string<xchar> kept;
        for (xchar c : code.text())
            if (c != '1' && c != '2')
                kept += c;
        args_[slot_type_text].append(kept.data(), kept.size());
        value& text = args_[slot_argument_text];
        if (traits<X>::strlen(name) > 0) {
            if (text.text().size() > 0)
                text.append(sep());
            text.append(name);
        }
        args_.emplace_back(help);
        desc_.push_back({value(type), value(name), value(help), init});
        return *this;
    }

    XArgs& Category(const xchar* category)
    {
        args_[slot_category] = category;
        return *this;
    }
    XArgs& FunctionHelp(const xchar* help)
    {
        args_[slot_function_help] = help;
        return *this;
    }
    XArgs& HelpContext(uint32_t context)
    {
        help_context_ = context;
        return *this;
    }
    XArgs& Alias(const xchar* function_text)
    {
        aliases_.emplace_back(function_text);
        return *this;
    }
    // The function is asynchronous where the host runs such functions: there it is registered
    // with this procedure, returning nothing, with the call's handle after its arguments. The
    // handle has no name, help or descriptor: the function wizard and the paste macros never see
    // it. Elsewhere the record registers as written.
    XArgs& asynchronous(const xchar* procedure)
    {
        asynchronous_procedure_ = procedure;
        return *this;
    }
    bool has_asynchronous_form() const { return asynchronous_procedure_.is(xltypeStr); }
    // The record as a host that runs asynchronous functions takes it.
    XArgs asynchronous_form() const
    {
        XArgs form = *this;
        const auto types = args_[slot_type_text].text();
        std::basic_string<xchar> text(1, xchar('>'));
        text.append(types.substr(desc_.front().type.text().size()));
        text += xchar('X');
        form.args_[slot_procedure] = asynchronous_procedure_;
        form.args_[slot_type_text] = value(std::basic_string_view<xchar>(text));
        return form;
    }

    // Descriptor i: 0 is the result, 1.. the arguments.
    const Descriptor& Arg(size_t i) const
    {
        ensure(i < ArgCount(), checks::arg_index, std::string("xll::XArgs<") + traits<X>::name + ">::Arg",
               "i < ArgCount()");
        return desc_[i];
    }
    size_t ArgCount() const { return desc_.size(); }

    // Register arguments.
    size_t size() const { return args_.size(); }
    value& operator[](size_t i) { return args_.at(i); }
    const value& operator[](size_t i) const { return args_.at(i); }

    uint32_t help_context() const { return help_context_; }
    const std::vector<value>& aliases() const { return aliases_; }
    double macro_type() const { return args_.size() > slot_macro_type ? args_[slot_macro_type].to_number() : 0; }
    bool registrable() const
    {
        return args_.size() > slot_macro_type && (args_[slot_macro_type] == 1.0 || args_[slot_macro_type] == 2.0);
    }

    // Before a function record is stored, its help context defaults to the hash of its name.
    void finish()
    {
        if (help_context_ == 0 && macro_type() == macro_function) {
            auto name = args_[slot_function_text].text();
            help_context_ = help_hash(name.data(), name.size());
        }
    }

    // The pointers handed to the register call; slot 0 becomes the library's path and slot 8 the
    // help topic. The pointers stay valid until the record changes.
    X** pointers();

private:
    static const xchar* sep()
    {
        static const xchar s[] = {',', ' ', 0};
        return s;
    }

    std::vector<value> args_;
    std::vector<Descriptor> desc_;
    uint32_t help_context_ = 0;
    std::vector<value> aliases_;
    value asynchronous_procedure_;
    std::vector<X*> pointers_;
};

using Args = XArgs<XLOPER>;
using Args12 = XArgs<XLOPER12>;

// The library's full path, fetched from the host once per width and kept.
template <class X> const X& library_path();

} // namespace xll
