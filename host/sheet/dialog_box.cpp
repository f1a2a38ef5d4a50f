#include "host/sheet/dialog_box.h"

#include "host/engine/text_to_number.h"
#include "host/engine/utf.h"

#include <cmath>

namespace zorvane::host {

namespace {

enum ItemType { default_ok = 1, cancel_button = 2, ok_button = 3, plain_cancel = 4, text_edit = 6 };

int item_type(const Array& table, int row)
{
    const Value& v = table.at(row, 0);
    if (!v.is_number())
        return 0;
    return static_cast<int>(std::fabs(v.number())) % 100; // +100 and +200 mark trigger and disabled items
}

Value entry_value(int type, const std::u16string& text)
{
    if (type == text_edit)
        return text;
    if (iequals_ascii(text, u"TRUE"))
        return true;
    if (iequals_ascii(text, u"FALSE"))
        return false;
    if (auto n = number_from_text(text))
        return *n;
    return text;
}

} // namespace

Value answer_dialog(const Value& definition, const std::optional<DialogAnswer>& answer)
{
    if (!definition.is_array() || definition.array().rows < 1)
        return ErrorCode::value;
    const Array& in = definition.array();
    Array table(in.rows, std::max(in.columns, dialog_columns));
    for (int r = 0; r < in.rows; ++r)
        for (int c = 0; c < in.columns; ++c)
            table.set(r, c, in.at(r, c));

    if (answer && answer->cancel)
        return false;
    int chosen = answer ? answer->item : 0;
    if (chosen <= 0 || chosen >= table.rows) {
        chosen = 0;
        for (int r = 1; r < table.rows && chosen == 0; ++r)
            if (item_type(table, r) == default_ok)
                chosen = r;
        for (int r = 1; r < table.rows && chosen == 0; ++r)
            if (item_type(table, r) == ok_button)
                chosen = r;
    }
    if (chosen > 0 && (item_type(table, chosen) == cancel_button || item_type(table, chosen) == plain_cancel))
        return false;
    if (answer)
        for (const auto& [row, text] : answer->values)
            if (row >= 1 && row < table.rows)
                table.set(row, 6, entry_value(item_type(table, row), text));
    table.set(0, 6, static_cast<double>(chosen));
    return table;
}

} // namespace zorvane::host
