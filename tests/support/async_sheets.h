// Sheets of asynchronous calculation over the asynchronous test add-in (tests/host/async_addin.cpp)
// with what each prints. tests/host/async_test.cpp runs them in the host's own process (under the
// thread sanitizer too), tests/e2e/async_test.cpp through the Linux host and both Windows hosts.
#pragma once

#include <string>
#include <vector>

namespace test {

struct AsyncSheet {
    const char* name;
    std::string lines;
    std::string printed;
};

inline std::vector<AsyncSheet> async_sheets()
{
    // Twenty-four quarter-second calls, all running at once; what reads them, nested calls, one
    // answered within the call, a batch answered in one return.
    std::string concurrent, values;
    for (int i = 1; i <= 24; ++i) {
        concurrent += "A" + std::to_string(i) + ": =tAsyncAfter(0.25," + std::to_string(i) + ")\n";
        values += std::to_string(i) + "\n";
    }
    concurrent += "B1: =SUM(A1:A24)\n"
                  "B2: =SUM(A24)\n"
                  "B3: =INDEX(tAsyncAfter(0.1,7),1,2)\n"
                  "B4: =SUM(tAsyncAfter(0.1,2))+tAsyncNow(5)\n"
                  "B5: =tAsyncNow(\"text\")&B3\n"
                  "C1: =tAsyncBatch(1,3)\n"
                  "C2: =tAsyncBatch(2,3)\n"
                  "C3: =tAsyncBatch(3,3)\n"
                  "print A1:A24\n"
                  "print B1:B5\n"
                  "print C1:C3\n"
                  "print =tAsyncPeak()>=24\n"
                  "print =tAsyncNow(4)+tAsyncAfter(0,1)\n";
    values += "300\n264\n70\n27\ntext70\n1\n2\n3\nTRUE\n5,14\n";

    // Esc while calls wait: the add-in answers one in its CalculationCanceled command, the other
    // cell and what reads it show #N/A, and its late answer is refused. A change calculates them
    // again, and they wait again.
    const std::string escape = "A1: =tAsyncHold(TRUE)\n"
                               "A2: =tAsyncHold(FALSE)\n"
                               "A3: =A1&\"!\"\n"
                               "A4: =tAsyncAfter(0.05,3)\n"
                               "A5: =SUM(A4)+LEN(A2)\n"
                               "esc after 0.2\n"
                               "print A1:A5\n"
                               "print =tEvents()\n"
                               "print =tRefused()\n"
                               "B1: =1\n"
                               "esc after 0.2\n"
                               "print A2:A3\n"
                               "print =tEvents()\n";
    // A value given back while the pass runs, after its cell was calculated, with nothing left
    // pending: the calculation takes it instead of ending with the cell still waiting.
    const std::string during_pass = "A1: =tAsyncHold(FALSE)\n"
                                    "A2: =tAsyncRelease(\"in \")&A1\n"
                                    "print A1:A2\n";
    return {{"Concurrent", concurrent, values},
            {"AnsweredDuringThePass", during_pass, "released\nin released\n"},
            {"Escape", escape,
             "cancelled\n#N/A\ncancelled!\n3\n#N/A\ncanceled ended\n1\n#N/A\ncancelled!\n"
             "canceled ended ended ended canceled ended\n"}};
}

} // namespace test
