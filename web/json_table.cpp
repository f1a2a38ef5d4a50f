#include "web/json_table.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "xll/text.h"

namespace xll::web {

namespace {

using json = nlohmann::ordered_json;

OPER12 text_cell(const std::string& utf8)
{
    xstring text = utf8_to_xstring(utf8);
    replace_nul(text); // a key or value may write one as \u0000
    if (text.size() > max_cell_text)
        return OPER12(xlerr::Value); // one cell the worksheet cannot hold spoils only itself
    return OPER12(xstring_view(text));
}

OPER12 cell(const json& value)
{
    switch (value.type()) {
    case json::value_t::string: return text_cell(value.get_ref<const std::string&>());
    case json::value_t::boolean: return OPER12(value.get<bool>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float: {
        double d = value.get<double>();
        return std::isfinite(d) ? OPER12(d) : OPER12(xlerr::Num);
    }
    case json::value_t::object:
    case json::value_t::array: return text_cell(value.dump());
    default: return OPER12(xlerr::NA); // null
    }
}

XCHAR fold_ascii(XCHAR c) { return c >= 'a' && c <= 'z' ? static_cast<XCHAR>(c - 'a' + 'A') : c; }

bool same_key(xstring_view a, xstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold_ascii(a[i]) != fold_ascii(b[i]))
            return false;
    return true;
}

} // namespace

OPER12 json_table(std::string_view utf8)
{
    // The members of the top-level object (or elements of the top-level array) are taken as the
    // parser finishes each one: a keyed container would keep only one of two equal keys.
    bool object = false;
    std::vector<std::string> keys;
    std::vector<json> values;
    std::vector<bool> too_deep;
    int deepest = 0; // of the member being read
    auto take = [&](int depth, json::parse_event_t event, json& parsed) {
        if (depth == 0 && event == json::parse_event_t::object_start)
            object = true;
        if (depth > deepest)
            deepest = depth;
        if (depth != 1)
            return true;
        switch (event) {
        case json::parse_event_t::key: keys.push_back(parsed.get<std::string>()); return true;
        case json::parse_event_t::value:
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            too_deep.push_back(static_cast<size_t>(deepest) > max_json_nesting);
            deepest = 0;
            values.push_back(std::move(parsed));
            return false;
        default: return true;
        }
    };
    json top = json::parse(utf8.begin(), utf8.end(), take, false);
    if (top.is_discarded())
        return OPER12(xlerr::Value);
    if (!top.is_structured())
        return cell(top);
    if (values.empty())
        return OPER12(xlerr::NA);
    OPER12 table(static_cast<int>(values.size()), object ? 2 : 1);
    for (size_t i = 0; i < values.size(); ++i) {
        OPER12 value = too_deep.at(i) ? OPER12(xlerr::Value) : cell(values[i]);
        if (object) {
            table(i, 0) = text_cell(keys.at(i));
            table(i, 1) = std::move(value);
        } else {
            table(i, 0) = std::move(value);
        }
    }
    return table;
}

OPER12 json_lookup(const OPER12& table, xstring_view key)
{
    if (table.is(xltypeMulti) && table.columns() == 2)
        for (size_t i = 0; i < table.rows(); ++i)
            if (table(i, 0).is(xltypeStr) && same_key(table(i, 0).text(), key))
                return table(i, 1);
    return OPER12(xlerr::NA);
}

} // namespace xll::web
