// The host's own worksheet value: what a cell holds, what a formula yields and what crosses the
// callback boundary once converted. It owns all its storage, arrays included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zorvane::host {

struct Value;

struct Nil {
    bool operator==(const Nil&) const = default;
};
struct Missing {
    bool operator==(const Missing&) const = default;
};

// The spreadsheet's error values, by their codes in the C interface. #CALC! is the newer
// interface's code for a calculation with no result, such as FILTER of nothing.
enum class ErrorCode : int {
    null = 0,
    div0 = 7,
    calc = 14,
    value = 15,
    ref = 23,
    name = 29,
    num = 36,
    na = 42,
    getting_data = 43,
};

struct Error {
    ErrorCode code;
    bool operator==(const Error&) const = default;
};

// What one element of an array holds. An array never holds an array or a reference: the
// spreadsheet has neither inside an array.
enum class CellKind : std::uint8_t { nil, missing, number, boolean, text, error };

// One element of an array read in place: a text is a view into the array's pool, valid while the
// array is neither changed nor destroyed. Lookups and tallies over large arrays read cells through
// it without copying a text out; `value()` (or the conversion) makes the element's Value.
class CellView {
public:
    CellView(CellKind kind, double number, ErrorCode error, std::u16string_view text)
        : kind_(kind), number_(number), error_(error), text_(text)
    {
    }
    CellKind kind() const { return kind_; }
    bool is_nil() const { return kind_ == CellKind::nil; }
    bool is_missing() const { return kind_ == CellKind::missing; }
    bool is_number() const { return kind_ == CellKind::number; }
    bool is_bool() const { return kind_ == CellKind::boolean; }
    bool is_text() const { return kind_ == CellKind::text; }
    bool is_error() const { return kind_ == CellKind::error; }
    double number() const { return number_; }
    bool boolean() const { return number_ != 0; }
    std::u16string_view text() const { return text_; }
    ErrorCode error() const { return error_; }
    Value value() const;
    operator Value() const;

private:
    CellKind kind_;
    double number_;
    ErrorCode error_;
    std::u16string_view text_;
};

// A rectangular block of values stored row by row, 16 bytes an element: a kind and a payload
// (a number, a truth value, an error code, or where a text's units lie in the array's one pool).
// A million-row result held as Values would take 40 bytes a cell and a heap block per longer
// text; this way it takes less than half of that.
class Array {
public:
    int rows = 0;
    int columns = 0;

    Array() = default;
    Array(int rows_, int columns_); // every element nil

    Array(const Array& other);
    Array& operator=(const Array& other);
    Array(Array&&) noexcept = default;
    Array& operator=(Array&&) noexcept = default;
    ~Array() = default;

    std::size_t size() const { return storage_ ? storage_->cells.size() : 0; }
    bool empty() const { return size() == 0; }

    CellView cell(std::size_t index) const;
    CellView cell(int row, int column) const { return cell(index_of(row, column)); }
    Value at(int row, int column) const;
    Value front() const;

    // An array stored in an element gives its top-left element; a reference is stored as nil.
    void set(int row, int column, const Value& value);

    // Building row by row after the shape is set, without a Value per element.
    void reserve(std::size_t cells, std::size_t text_units = 0);
    void push_back(const Value& value);
    class Appender;
    // For appending many elements in a row (a large result copied in): the array is looked up
    // once, not once an element. Valid while nothing else changes the array.
    Appender appender();
    void push_number(double number);
    void push_bool(bool b);
    void push_error(ErrorCode code);
    void push_kind(CellKind kind);
    template <class Unit> void push_text(const Unit* units, std::size_t length);
    void push_text(std::u16string_view text) { push_text(text.data(), text.size()); }

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = CellView;
        using difference_type = std::ptrdiff_t;
        using reference = CellView;
        using pointer = void;
        const_iterator() = default;
        const_iterator(const Array* array, std::size_t index) : array_(array), index_(index) {}
        CellView operator*() const { return array_->cell(index_); }
        const_iterator& operator++()
        {
            ++index_;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        const Array* array_ = nullptr;
        std::size_t index_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    // Element by element as Values compare: texts by their units, numbers as doubles.
    bool operator==(const Array& other) const;

private:
    struct Cell {
        union {
            double number;
            std::uint64_t offset; // of a text, in the pool
            int code;             // a truth value (0 or 1) or an error code
        };
        std::uint32_t length; // of a text
        CellKind kind;

        static Cell of_number(double d)
        {
            Cell c{};
            c.number = d;
            c.kind = CellKind::number;
            return c;
        }
        static Cell of_kind(CellKind kind, int code)
        {
            Cell c{};
            c.code = code;
            c.kind = kind;
            return c;
        }
        static Cell of_text(std::size_t offset, std::size_t length)
        {
            Cell c{};
            c.offset = offset;
            c.length = static_cast<std::uint32_t>(length);
            c.kind = CellKind::text;
            return c;
        }
    };
    static_assert(sizeof(Cell) == 16);

    std::size_t index_of(int row, int column) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column);
    }
    Cell cell_of(const Value& value);
    void compact_pool();

    // Behind one pointer, so that an Array in a Value's variant takes no more room than a text.
    struct Storage {
        std::vector<Cell> cells;
        std::vector<char16_t> pool;
        std::size_t unused_units = 0; // of texts overwritten by set, reclaimed once they are most of the pool
    };
    Storage& storage();
    std::unique_ptr<Storage> storage_;

public:
    class Appender {
    public:
        // Inline even in a long copying loop: a call costs more than an element's own work.
        [[gnu::always_inline]] void number(double number) { cells_.push_back(Cell::of_number(number)); }
        [[gnu::always_inline]] void boolean(bool b) { cells_.push_back(Cell::of_kind(CellKind::boolean, b ? 1 : 0)); }
        [[gnu::always_inline]] void error(ErrorCode code) { cells_.push_back(Cell::of_kind(CellKind::error, static_cast<int>(code))); }
        [[gnu::always_inline]] void kind(CellKind kind) { cells_.push_back(Cell::of_kind(kind, 0)); }
        template <class Unit> void text(const Unit* units, std::size_t length)
        {
            const std::size_t offset = pool_.size();
            // Each unit converted as static_cast does; UTF-16 units are copied as one block.
            pool_.insert(pool_.end(), units, units + length);
            cells_.push_back(Cell::of_text(offset, length));
        }

    private:
        friend class Array;
        explicit Appender(Storage& s) : cells_(s.cells), pool_(s.pool) {}
        std::vector<Cell>& cells_;
        std::vector<char16_t>& pool_;
    };
};

inline Array::Appender Array::appender()
{
    return Appender(storage());
}
inline void Array::push_number(double number)
{
    appender().number(number);
}
inline void Array::push_bool(bool b)
{
    appender().boolean(b);
}
inline void Array::push_error(ErrorCode code)
{
    appender().error(code);
}
inline void Array::push_kind(CellKind kind)
{
    appender().kind(kind);
}
template <class Unit> void Array::push_text(const Unit* units, std::size_t length)
{
    appender().text(units, length);
}

// A rectangle of cells on the sheet (0-based, inclusive). Formulas see it as a reference until a
// function or operator needs the cells' values.
struct Ref {
    int first_row = 0;
    int first_column = 0;
    int last_row = 0;
    int last_column = 0;
    int rows() const { return last_row - first_row + 1; }
    int columns() const { return last_column - first_column + 1; }
    bool operator==(const Ref&) const = default;
};

static_assert(sizeof(Array) <= sizeof(std::u16string));

struct Value {
    using Variant = std::variant<Nil, Missing, double, bool, std::u16string, Error, Array, Ref>;
    Variant v;

    Value() = default;
    Value(Nil n) : v(n) {}
    Value(Missing m) : v(m) {}
    Value(double d) : v(d) {}
    Value(int i) : v(static_cast<double>(i)) {}
    Value(bool b) : v(b) {}
    Value(std::u16string s) : v(std::move(s)) {}
    Value(const char16_t* s) : v(std::u16string(s)) {}
    Value(Error e) : v(e) {}
    Value(ErrorCode e) : v(Error{e}) {}
    Value(Array a) : v(std::move(a)) {}
    Value(Ref r) : v(r) {}

    bool is_nil() const { return std::holds_alternative<Nil>(v); }
    bool is_missing() const { return std::holds_alternative<Missing>(v); }
    bool is_number() const { return std::holds_alternative<double>(v); }
    bool is_bool() const { return std::holds_alternative<bool>(v); }
    bool is_text() const { return std::holds_alternative<std::u16string>(v); }
    bool is_error() const { return std::holds_alternative<Error>(v); }
    bool is_array() const { return std::holds_alternative<Array>(v); }
    bool is_ref() const { return std::holds_alternative<Ref>(v); }

    double number() const { return std::get<double>(v); }
    bool boolean() const { return std::get<bool>(v); }
    const std::u16string& text() const { return std::get<std::u16string>(v); }
    ErrorCode error() const { return std::get<Error>(v).code; }
    const Array& array() const { return std::get<Array>(v); }
    Array& array() { return std::get<Array>(v); }
    const Ref& ref() const { return std::get<Ref>(v); }

    bool operator==(const Value&) const = default;
};

// "#N/A", "#VALUE!", ...; and back (nullopt-like: returns false when the text is no error name).
std::string_view error_name(ErrorCode code);
bool error_from_name(std::string_view name, ErrorCode& code);
bool is_known_error_code(int code);

// A value that is no array read as an array's element would be (a text viewed in place, valid
// while the value lives); a reference or an array reads as nil.
CellView view_of(const Value& value);

// The top-left element of an array, or the value itself.
Value first_element(const Value& value);

// The most cells a block of values may have: a larger range, or a larger result of arrays met
// element by element, is #NUM! rather than an allocation the machine cannot give.
inline constexpr long long max_range_cells = 1 << 20;

// The element for result position (row, column) where arrays meet element by element: a single
// row or column repeats, a position outside the array is #N/A, and a value that is no array
// stands for every position.
Value broadcast_element(const Value& v, int row, int column);

} // namespace zorvane::host
