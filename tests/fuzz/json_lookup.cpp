// The JSON table and its key lookup on any body: #VALUE! for text that is not JSON, otherwise a
// table of cells the worksheet can hold, and a lookup that answers a cell of the table or #N/A.
// Fields: key, body.
#include <cstdint>

#include "fuzz_input.h"
#include "web/json_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto f = fuzz::fields(data, size, 2);
    xll::OPER12 table = xll::web::json_table(f[1]);
    for (size_t i = 0; i < table.size(); ++i) {
        const auto& cell = table[i];
        fuzz::expect(!cell.is(xltypeMulti));
        if (cell.is(xltypeStr))
            fuzz::expect(cell.text().size() <= static_cast<size_t>(xll::limits<XLOPER12>::maxchars));
    }
    xll::OPER12 found = xll::web::json_lookup(table, fuzz::units(f[0]));
    fuzz::expect(!found.is(xltypeMulti));
    return 0;
}
