// A host session with the test add-in loaded, for tests that go through the callbacks.
#pragma once

#include "host/bridge/host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace zorvane::host::test {

inline const char* test_addin_path()
{
    return ZORVANE_TEST_ADDIN;
}

class HostTest : public ::testing::Test {
protected:
    std::ostringstream shown;
    Host host{HostOptions{41790.75, AlertAnswer::ok, true}, shown};

    void SetUp() override { host.load_addin(test_addin_path()); }

    // A function the test add-in exports for the tests to look inside it.
    template <class F>
    F addin_symbol(const char* name)
    {
        void* module = dlopen(test_addin_path(), RTLD_NOW | RTLD_NOLOAD);
        void* symbol = module ? dlsym(module, name) : nullptr;
        if (module)
            dlclose(module);
        return reinterpret_cast<F>(symbol);
    }

    Value eval(const std::string& formula) { return host.evaluate_formula(formula); }
};

} // namespace zorvane::host::test
