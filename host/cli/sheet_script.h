// Sheet files: a line-based script that fills cells, plays the user (alerts, dialogs, keys,
// time) and prints values. The format is described in host/README.md.
#pragma once

#include "host/bridge/host.h"
#include "host/cli/output_format.h"

#include <istream>
#include <ostream>
#include <string>

namespace zorvane::host {

struct PrintOptions {
    OutputFormat format = OutputFormat::csv;
    std::u16string number_format; // for numbers without a format of their cell; empty: General
};

// Runs the script; `folder` is what ${SHEET_DIR} stands for, ${NAME} stands for the environment
// variable NAME. Throws UsageError naming "name:line" for a line it cannot read. Returns how many
// printed values were failures (is_printed_failure).
std::size_t run_sheet_script(Host& host, std::istream& script, const std::string& name, const std::string& folder,
                             std::ostream& out, const PrintOptions& options);

} // namespace zorvane::host
