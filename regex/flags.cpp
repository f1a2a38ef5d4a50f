#include "regex/flags.h"

namespace xll::regex {

boost::regex_constants::match_flag_type library_flags(int32_t worksheet_flags)
{
    namespace rc = boost::regex_constants;
    static const struct {
        int32_t bit;
        rc::match_flag_type flag;
    } map[] = {
        {format_first_only, rc::format_first_only}, {format_no_copy, rc::format_no_copy},
        {format_sed, rc::format_sed},               {match_any, rc::match_any},
        {match_continuous, rc::match_continuous},   {match_not_bol, rc::match_not_bol},
        {match_not_bow, rc::match_not_bow},         {match_not_eol, rc::match_not_eol},
        {match_not_eow, rc::match_not_eow},         {match_not_null, rc::match_not_null},
        {match_prev_avail, rc::match_prev_avail},
    };
    // Bits without a worksheet meaning (128, and those above 4096) are ignored rather than handed
    // on: the library would read them as its own, different flags.
    rc::match_flag_type flags = rc::match_default | rc::format_default | rc::match_single_line;
    for (const auto& m : map)
        if (worksheet_flags & m.bit)
            flags |= m.flag;
    return flags;
}

} // namespace xll::regex
