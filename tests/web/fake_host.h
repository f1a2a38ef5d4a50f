// The little of the host that the web functions reach, exported from the test executable: VALUE
// reads plain decimal numbers, and alerts are recorded instead of shown.
#pragma once

#include <string>
#include <vector>

namespace fake {

std::vector<std::string>& alerts();

} // namespace fake
