// A process-wide object that is built on first use and never destroyed. For state whose
// destruction would call into other libraries at the wrong time: static destructors run while the
// process exits, or on Windows under the loader lock while the library unloads, where a driver
// must not be called. What it holds is left to the operating system then, on purpose.
#pragma once

#include <utility>

namespace xll {

template <class T> union Immortal {
    T value;

    template <class... Args> explicit Immortal(Args&&... args) : value(std::forward<Args>(args)...) {}
    ~Immortal() {}
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;
};

} // namespace xll
