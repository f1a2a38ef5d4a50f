// Web functions against servers that fail them, through the real host: every failure of the
// exchange is the text #No internet in the cell, the host lives on, and the next request works.
#include <gtest/gtest.h>

#include <cstdlib>

#include "faulty_server.h"
#include "support/host_eval.h"
#include "support/process.h"
#include "web/http_client.h"

using reliability::Fault;
using reliability::FaultyServer;

namespace {

// Every time-out a thirtieth of its default: a stall of 30 s ends after one.
const std::string short_timeouts = "ZORVANE_HTTP_TIMEOUT_SCALE=0.034";

std::string call(const std::string& function, const std::string& url, const std::string& key = "")
{
    return "=" + function + "(" + test::formula_string(url) + (key.empty() ? "" : "," + test::formula_string(key)) + ")";
}

// The faulty exchange for both functions, then a healthy one in the same host process.
void expect_no_internet_then_recovery(Fault fault)
{
    FaultyServer bad(fault), good(Fault::none);
    std::vector<std::string> formulas{call("zWebQuery", bad.url("/lines")), call("zWebQueryJSON", bad.url("/j"), "a"),
                                      call("zWebQuery", good.url("/"))};
    auto r = test::eval_csv(formulas, short_timeouts);
    ASSERT_EQ(r.status, test::printed_failure_status) << r.err;
    EXPECT_EQ(r.out, formulas[0] + "\n#No internet\n" + formulas[1] + "\n#No internet\n" + formulas[2] + "\nok\n\n")
        << r.err;
    EXPECT_GE(bad.connections(), 2);
}

} // namespace

TEST(WebFaults, ConnectionResetBeforeAnyResponse) { expect_no_internet_then_recovery(Fault::reset); }

TEST(WebFaults, ServerThatNeverAnswersTimesOut) { expect_no_internet_then_recovery(Fault::stall_head); }

TEST(WebFaults, BodyThatStopsHalfwayTimesOut) { expect_no_internet_then_recovery(Fault::stall_body); }

TEST(WebFaults, TruncatedChunkedBody) { expect_no_internet_then_recovery(Fault::truncated_chunks); }

// The claimed length is never reserved up front: the few bytes that came, then the close, make a
// failed exchange, not a gigabyte of memory.
TEST(WebFaults, GigabyteContentLengthClaim) { expect_no_internet_then_recovery(Fault::gigabyte_claim); }

// The shortening applies only to a factor strictly between 0 and 1; anything else in the variable
// leaves users' time-outs as they are.
TEST(WebFaults, TimeoutScaleOnlyShortens)
{
    const char* name = "ZORVANE_HTTP_TIMEOUT_SCALE";
    unsetenv(name);
    EXPECT_EQ(xll::web::timeout_milliseconds(30), 30000);
    for (const char* ignored : {"0", "1", "2", "abc", "-1", "0.5x", ""}) {
        setenv(name, ignored, 1);
        EXPECT_EQ(xll::web::timeout_milliseconds(30), 30000) << ignored;
    }
    setenv(name, "0.034", 1);
    EXPECT_EQ(xll::web::timeout_milliseconds(30), 1020);
    setenv(name, "1e-9", 1);
    EXPECT_EQ(xll::web::timeout_milliseconds(30), 1); // never "no time-out at all"
    unsetenv(name);
}
