#include "xll/host_version.h"

#include "xll/host_call.h"

namespace xll {

int host_major_version() noexcept
{
    try {
        if (!host_has_wide_interface())
            return 0;
        const auto version = Excel12(xlfGetWorkspace, OPER12(2.0));
        if (version.type() != xltypeStr || version.val.str == nullptr)
            return 0;
        int major = 0;
        for (int i = 1; i <= version.val.str[0] && version.val.str[i] >= '0' && version.val.str[i] <= '9'; ++i)
            if ((major = major * 10 + (version.val.str[i] - '0')) > 1000)
                return 0; // no version of the spreadsheet reads so
        return major;
    }
    catch (...) { // a host that refuses the question is an old one
        return 0;
    }
}

bool host_runs_asynchronous_functions() noexcept { return host_major_version() >= 14; }

} // namespace xll
