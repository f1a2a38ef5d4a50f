// The user's Esc, as the host keeps it while it calculates (its break state). Work that may take
// long asks now and then, and stops when the user asked it to.
#pragma once

namespace xll {

// Whether Esc was pressed since the host last let go of it. The press is used up here (xlAbort
// with FALSE), so that one Esc stops one piece of work and the calculation carries on. A host that
// does not answer has no Esc to press.
bool take_escape() noexcept;

} // namespace xll
