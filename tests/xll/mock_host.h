// A scripted stand-in for the spreadsheet, linked into framework tests: it exports the host's
// callbacks from the test executable and records what the add-in asks of it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "xll/xlcall.h"

namespace mock {

// A value as the tests see it: type tag, number, text (UTF-8 of the units) and array elements.
struct Value {
    unsigned type = xltypeNil;
    double num = 0;
    std::string text;
    std::vector<Value> items;
    int rows = 0, columns = 0;
};

struct Call {
    int xlfn;
    std::vector<Value> args;
    bool wide = false; // through the UTF-16 callback
};

struct Host {
    int version = 0x0C00;
    std::string workspace_version;           // GET.WORKSPACE(2); empty: an unknown function
    std::vector<Call> calls;                 // every callback, both widths
    std::vector<Value> registered;           // arguments of successful register calls, flattened per call
    std::vector<std::vector<Value>> register_calls;
    std::vector<std::string> alerts;         // xlcAlert texts
    std::vector<std::string> boxes;          // "Caption: text" of message boxes
    std::deque<int> box_answers;             // default IDOK
    std::set<std::string> refuse;            // procedures whose registration is refused
    std::function<int(int xlfn)> fail;       // a non-zero code fails that call
    std::function<Value(const Value& table)> dialog; // answer of DIALOG.BOX
    std::string library = "/opt/addins/Zorvane.xll";
    double next_id = 100;
    std::map<std::string, double> ids;       // procedure -> id
    int frees = 0;
    int outstanding = 0;                     // host allocations not yet freed

    void reset();
    size_t count(int xlfn) const;
};

Host& host();

} // namespace mock
