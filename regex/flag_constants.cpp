// REGEX_FORMAT_DEFAULT ... REGEX_MATCH_PREV_AVAIL: names for the flag values, to be added up.
#include "regex/flags.h"
#include "xll/xll.h"

#define ZORVANE_REGEX_CONSTANT(NAME, VALUE)                                          \
    XLL_EXPORT(LPXLOPER12, xll_##NAME, (void))                                       \
    {                                                                                \
        return xll::guarded(xll::answer<LPXLOPER12>(nullptr), [] {                   \
            static xll::OPER12 value(static_cast<double>(xll::regex::VALUE));        \
            return &value;                                                           \
        });                                                                          \
    }

ZORVANE_REGEX_CONSTANT(REGEX_FORMAT_DEFAULT, format_default)
ZORVANE_REGEX_CONSTANT(REGEX_FORMAT_FIRST_ONLY, format_first_only)
ZORVANE_REGEX_CONSTANT(REGEX_FORMAT_NO_COPY, format_no_copy)
ZORVANE_REGEX_CONSTANT(REGEX_FORMAT_SED, format_sed)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_ANY, match_any)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_CONTINUOUS, match_continuous)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_DEFAULT, match_default)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_NOT_BOL, match_not_bol)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_NOT_BOW, match_not_bow)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_NOT_EOL, match_not_eol)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_NOT_EOW, match_not_eow)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_NOT_NULL, match_not_null)
ZORVANE_REGEX_CONSTANT(REGEX_MATCH_PREV_AVAIL, match_prev_avail)
