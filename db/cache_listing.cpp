#include "db/cache_listing.h"

#include <algorithm>

#include "xll/text.h"

namespace db {

using xll::OPER12;
using xll::xstring;
using xll::xstring_view;

namespace {

bool is_blank(XCHAR c) { return c == ' ' || c == '\t'; }

bool same_key(xstring_view key, std::string_view name)
{
    while (!key.empty() && is_blank(key.front()))
        key.remove_prefix(1);
    while (!key.empty() && is_blank(key.back()))
        key.remove_suffix(1);
    if (key.size() != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const XCHAR c = key[i] >= 'A' && key[i] <= 'Z' ? static_cast<XCHAR>(key[i] - 'A' + 'a') : key[i];
        if (c != static_cast<XCHAR>(name[i]))
            return false;
    }
    return true;
}

// Where the value starting at `from` ends: at the next ';', or for a value in braces (which may
// hold ';', and '}}' for a brace) at the first ';' after its closing brace.
size_t value_end(xstring_view text, size_t from)
{
    size_t i = from;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    if (i < text.size() && text[i] == '{') {
        for (++i; i < text.size(); ++i) {
            if (text[i] != '}')
                continue;
            if (i + 1 < text.size() && text[i + 1] == '}')
                ++i;
            else
                break;
        }
    }
    const size_t semicolon = text.find(';', i);
    return semicolon == xstring_view::npos ? text.size() : semicolon;
}

} // namespace

xstring connection_string_shown(xstring_view text)
{
    xstring shown;
    size_t start = 0;
    while (start < text.size()) {
        const size_t equals = text.find('=', start);
        const size_t semicolon = text.find(';', start);
        if (equals == xstring_view::npos || (semicolon != xstring_view::npos && semicolon < equals)) {
            // An attribute without a value: as written, up to and with its ';'.
            const size_t end = semicolon == xstring_view::npos ? text.size() : semicolon + 1;
            shown.append(text.substr(start, end - start));
            start = end;
            continue;
        }
        const size_t end = value_end(text, equals + 1);
        const xstring_view key = text.substr(start, equals - start);
        shown.append(text.substr(start, equals + 1 - start));
        if (same_key(key, "pwd") || same_key(key, "password") || same_key(key, "passwd"))
            shown.append(XLL_T("***"));
        else
            shown.append(text.substr(equals + 1, end - equals - 1));
        if (end < text.size())
            shown.push_back(';');
        start = end + 1;
    }
    return shown;
}

OPER12 cache_listing(const ResultCache& cache, bool labels)
{
    const auto& entries = cache.entries();
    const size_t start = labels ? 1 : 0;
    OPER12 list(static_cast<int>(std::max(cache_listing_rows, start + entries.size())), 7);
    for (size_t i = 0; i < list.size(); ++i)
        list[i] = xll::xlerr::NA;
    if (labels) {
        const XCHAR* names[7] = {XLL_T("Time stamp"), XLL_T("ms"), XLL_T("Rows"), XLL_T("Cols"),
                                 XLL_T("Connection string"), XLL_T("Statement"), XLL_T("Results")};
        for (size_t j = 0; j < 7; ++j)
            list(0, j) = names[j];
    }
    size_t r = start;
    for (const auto& e : entries) {
        list(r, 0) = e.time_stamp;
        list(r, 1) = e.elapsed_ms;
        list(r, 2) = static_cast<double>(e.last_row) + 1;
        list(r, 3) = static_cast<double>(e.last_column) + 1;
        // A key longer than a cell holds is shown up to the cell's limit.
        auto cell_text = [](const xll::xstring& s) {
            return xll::cut_units(s, xll::max_cell_text);
        };
        list(r, 4) = cell_text(connection_string_shown(e.connection_string));
        list(r, 5) = cell_text(e.parameters ? e.statement + parameters_shown(*e.parameters) : e.statement);
        // A result without cells (a statement with no result set) shows as empty text.
        if (e.result.size() == 0)
            list(r, 6) = xstring_view();
        else
            list(r, 6) = e.result(0, 0);
        ++r;
    }
    return list;
}

double cache_memory_used(const ResultCache& cache, const std::function<double(const XLOPER12& cell)>& len)
{
    double total = 0;
    for (const auto& e : cache.entries()) {
        total += 8 + 8 + 4 + 4;
        total += static_cast<double>(e.connection_string.size() + e.statement.size());
        if (e.parameters)
            total += parameters_size(*e.parameters);
        for (size_t i = 0; i < e.result.size(); ++i)
            total += len(e.result[i]);
    }
    return total;
}

} // namespace db
