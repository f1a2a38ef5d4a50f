#include "host/engine/value.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zorvane::host {

Array::Array(int rows_, int columns_)
    : rows(rows_), columns(columns_), storage_(std::make_unique<Storage>())
{
    storage_->cells.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_));
}

Array::Array(const Array& other)
    : rows(other.rows), columns(other.columns), storage_(other.storage_ ? std::make_unique<Storage>(*other.storage_) : nullptr)
{
}

Array& Array::operator=(const Array& other)
{
    if (this != &other)
        *this = Array(other);
    return *this;
}

Array::Storage& Array::storage()
{
    if (!storage_)
        storage_ = std::make_unique<Storage>();
    return *storage_;
}

Value CellView::value() const
{
    switch (kind_) {
    case CellKind::number:
        return number_;
    case CellKind::boolean:
        return boolean();
    case CellKind::text:
        return std::u16string(text_);
    case CellKind::error:
        return error_;
    case CellKind::missing:
        return Missing{};
    case CellKind::nil:
        break;
    }
    return Nil{};
}

CellView::operator Value() const
{
    return value();
}

CellView Array::cell(std::size_t index) const
{
    const Cell& c = storage_->cells[index];
    switch (c.kind) {
    case CellKind::number:
        return {c.kind, c.number, ErrorCode::null, {}};
    case CellKind::text:
        return {c.kind, 0, ErrorCode::null, std::u16string_view(storage_->pool.data() + c.offset, c.length)};
    case CellKind::boolean:
        return {c.kind, static_cast<double>(c.code), ErrorCode::null, {}};
    case CellKind::error:
        return {c.kind, 0, static_cast<ErrorCode>(c.code), {}};
    default:
        return {c.kind, 0, ErrorCode::null, {}};
    }
}

Value Array::at(int row, int column) const
{
    return cell(row, column).value();
}

Value Array::front() const
{
    return cell(std::size_t{0}).value();
}

Array::Cell Array::cell_of(const Value& value)
{
    Storage& s = storage();
    if (value.is_array())
        return value.array().empty() ? Cell::of_kind(CellKind::nil, 0) : cell_of(value.array().front());
    const CellView view = view_of(value);
    switch (view.kind()) {
    case CellKind::number:
        return Cell::of_number(view.number());
    case CellKind::text: {
        const std::size_t offset = s.pool.size();
        s.pool.insert(s.pool.end(), view.text().begin(), view.text().end());
        return Cell::of_text(offset, view.text().size());
    }
    case CellKind::boolean:
        return Cell::of_kind(CellKind::boolean, view.boolean() ? 1 : 0);
    case CellKind::error:
        return Cell::of_kind(CellKind::error, static_cast<int>(view.error()));
    default:
        return Cell::of_kind(view.kind(), 0);
    }
}

void Array::set(int row, int column, const Value& value)
{
    Storage& s = storage();
    Cell& old = s.cells[index_of(row, column)];
    if (old.kind == CellKind::text) {
        // A text no longer than the one it replaces takes its place in the pool.
        if (value.is_text() && value.text().size() <= old.length) {
            const std::u16string& text = value.text();
            std::copy(text.begin(), text.end(), s.pool.begin() + static_cast<std::ptrdiff_t>(old.offset));
            s.unused_units += old.length - text.size();
            old.length = static_cast<std::uint32_t>(text.size());
            return;
        }
        s.unused_units += old.length;
    }
    const Cell fresh = cell_of(value);
    s.cells[index_of(row, column)] = fresh;
    if (s.unused_units > 4096 && s.unused_units > s.pool.size() / 2)
        compact_pool();
}

void Array::compact_pool()
{
    Storage& s = storage();
    std::vector<char16_t> pool;
    pool.reserve(s.pool.size() - s.unused_units);
    for (Cell& c : s.cells) {
        if (c.kind != CellKind::text)
            continue;
        const auto from = s.pool.begin() + static_cast<std::ptrdiff_t>(c.offset);
        c.offset = pool.size();
        pool.insert(pool.end(), from, from + c.length);
    }
    s.pool = std::move(pool);
    s.unused_units = 0;
}

void Array::reserve(std::size_t cells, std::size_t text_units)
{
    Storage& s = storage();
    s.cells.reserve(cells);
    s.pool.reserve(text_units);
}

void Array::push_back(const Value& value)
{
    Storage& s = storage();
    s.cells.push_back(cell_of(value));
}

bool Array::operator==(const Array& other) const
{
    if (rows != other.rows || columns != other.columns || size() != other.size())
        return false;
    for (std::size_t i = 0; i < size(); ++i) {
        const CellView a = cell(i);
        const CellView b = other.cell(i);
        if (a.kind() != b.kind() || a.number() != b.number() || a.error() != b.error() || a.text() != b.text())
            return false;
    }
    return true;
}

namespace {
constexpr std::array<std::pair<ErrorCode, std::string_view>, 9> error_names{{
    {ErrorCode::null, "#NULL!"},
    {ErrorCode::div0, "#DIV/0!"},
    {ErrorCode::calc, "#CALC!"},
    {ErrorCode::value, "#VALUE!"},
    {ErrorCode::ref, "#REF!"},
    {ErrorCode::name, "#NAME?"},
    {ErrorCode::num, "#NUM!"},
    {ErrorCode::na, "#N/A"},
    {ErrorCode::getting_data, "#GETTING_DATA"},
}};
} // namespace

std::string_view error_name(ErrorCode code)
{
    for (const auto& [c, name] : error_names)
        if (c == code)
            return name;
    return "#VALUE!";
}

bool error_from_name(std::string_view name, ErrorCode& code)
{
    for (const auto& [c, n] : error_names) {
        if (n.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < n.size() && same; ++i) {
            char a = name[i];
            if (a >= 'a' && a <= 'z')
                a = static_cast<char>(a - 'a' + 'A');
            same = a == n[i];
        }
        if (same) {
            code = c;
            return true;
        }
    }
    return false;
}

bool is_known_error_code(int code)
{
    for (const auto& entry : error_names)
        if (static_cast<int>(entry.first) == code)
            return true;
    return false;
}

CellView view_of(const Value& value)
{
    if (value.is_number())
        return {CellKind::number, value.number(), ErrorCode::null, {}};
    if (value.is_text())
        return {CellKind::text, 0, ErrorCode::null, value.text()};
    if (value.is_bool())
        return {CellKind::boolean, value.boolean() ? 1.0 : 0.0, ErrorCode::null, {}};
    if (value.is_error())
        return {CellKind::error, 0, value.error(), {}};
    return {value.is_missing() ? CellKind::missing : CellKind::nil, 0, ErrorCode::null, {}};
}

Value first_element(const Value& value)
{
    if (value.is_array() && !value.array().empty())
        return value.array().front();
    return value;
}

Value broadcast_element(const Value& v, int row, int column)
{
    if (!v.is_array())
        return v;
    const Array& a = v.array();
    const int r = a.rows == 1 ? 0 : row;
    const int c = a.columns == 1 ? 0 : column;
    if (r >= a.rows || c >= a.columns)
        return ErrorCode::na;
    return a.at(r, c);
}

} // namespace zorvane::host
