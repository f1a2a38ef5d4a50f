// Registration records built from any texts: the type text is the result code followed by every
// argument's code without the width digits, the argument text the non-empty names joined by
// ", ", one help slot per argument, and a copy of a record is the record. Fields, all texts:
// result code, procedure, function name, category, function help, alias, then (code, name, help)
// per argument.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "xll/args.h"

namespace {

xll::xstring terminated(std::string_view field, size_t limit)
{
    xll::xstring s = fuzz::units(field);
    s = s.substr(0, std::min(s.find(XCHAR(0)), limit));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto f = fuzz::fields(data, size, 64);
    constexpr size_t limit = 40;
    std::vector<xll::xstring> t;
    for (auto field : f)
        t.push_back(terminated(field, limit));

    xll::Args12 args(t[0].c_str(), t[1].c_str(), t[2].c_str());
    args.Category(t[3].c_str()).FunctionHelp(t[4].c_str());
    if (!t[5].empty())
        args.Alias(t[5].c_str());
    xll::xstring type_text = t[0], argument_text;
    size_t arguments = 0;
    for (size_t i = 6; i + 2 < t.size() && arguments < 60; i += 3, ++arguments) {
        if (t[i].empty() && t[i + 1].empty() && t[i + 2].empty())
            break;
        args.Arg(t[i].c_str(), t[i + 1].c_str(), t[i + 2].c_str());
        for (XCHAR c : t[i])
            if (c != '1' && c != '2')
                type_text += c;
        if (!t[i + 1].empty())
            argument_text += (argument_text.empty() ? xll::xstring() : xll::xstring(XLL_T(", "))) + t[i + 1];
    }
    args.finish();

    fuzz::expect(args[xll::slot_type_text].text() == type_text);
    fuzz::expect(args[xll::slot_argument_text].text() == argument_text);
    fuzz::expect(args.size() == xll::fixed_slots + arguments);
    fuzz::expect(args.ArgCount() == arguments + 1);
    fuzz::expect(args.help_context() == xll::help_hash(t[2].data(), t[2].size()));
    for (size_t i = 1; i <= arguments; ++i)
        fuzz::expect(args[xll::fixed_slots + i - 1].text() == args.Arg(i).help.text());
    try {
        args.Arg(arguments + 1);
        fuzz::expect(false);
    }
    catch (const std::runtime_error&) {
    }

    xll::Args12 copy = args;
    for (size_t i = 0; i < args.size(); ++i)
        fuzz::expect(copy[i] == static_cast<const XLOPER12&>(args[i]));
    auto documentation = xll::Args12::Documentation(t[3].c_str());
    fuzz::expect(!documentation.registrable());
    return 0;
}
