// The date readers of both kinds of engine: whatever the bytes, a text is a date, time or time
// stamp with every field in its range, or it is none. Nothing throws, nothing reads past the text.
#include <cstdint>
#include <string_view>

#include "db/civil_days.h"
#include "db/sqlite_time_text.h"
#include "db/timestamp_text.h"
#include "fuzz_input.h"

namespace {

bool in_range(const db::Moment& m)
{
    if (!m.has_day && !m.has_time)
        return false;
    if (m.has_day && (m.month < 1 || m.month > 12 || m.day < 1 || m.day > db::days_in_month(m.year, m.month)))
        return false;
    return !m.has_time ||
           (m.hour >= 0 && m.hour <= 23 && m.minute >= 0 && m.minute <= 59 && m.second >= 0 && m.second < 60);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool zone : {false, true})
        if (auto m = db::server_moment(text, zone))
            fuzz::expect(in_range(*m) && m->year >= 0 && m->year <= 9999);
    if (auto v = db::sqlite_time_value(text))
        fuzz::expect(in_range(v->moment) && v->moment.has_day && v->moment.year <= 10000);
    return 0;
}
