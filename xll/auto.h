// Hooks of the open and remove sequences: callback lists run by the entry points, and host-event
// bindings installed after registration.
#pragma once

#include <vector>

#include "xll/oper.h"

namespace xll {

// Tags of the callback lists.
struct Open; struct OpenAfter; struct Open12; struct OpenAfter12;
struct Close; struct Close12; struct Add; struct Add12;
struct RemoveBefore; struct Remove; struct RemoveBefore12; struct Remove12;

// A list of functions without arguments, non-zero meaning success. A static Auto<T> object adds
// its function to the list of T.
template <class T> class Auto {
public:
    using function = int (*)();
    explicit Auto(function f) { List().push_back(f); }
    static std::vector<function>& List()
    {
        static std::vector<function> list;
        return list;
    }
    // Runs the list in order; the first 0 stops it. An empty list succeeds.
    static int Call()
    {
        int result = 1;
        for (auto f : List()) {
            result = f();
            if (result == 0)
                return 0;
        }
        return result;
    }
};

// Tags of the host-event lists.
struct Data; struct Doubleclick; struct Entry; struct Key; struct Recalc; struct Sheet; struct Time; struct Window;

// Host-event bindings: each entry is an 8-bit column of 3 to 5 values, the command number and
// its arguments. Open() makes each call, Close() calls each command with its first argument only,
// which removes the binding.
template <class T> class On {
public:
    explicit On(const OPER& entry) { List().push_back(entry); }
    static std::vector<OPER>& List()
    {
        static std::vector<OPER> list;
        return list;
    }
    static int Open();
    static int Close();
};

} // namespace xll
