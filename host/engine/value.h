// The host's own worksheet value: what a cell holds, what a formula yields and what crosses the
// callback boundary once converted. It owns all its storage, arrays included.
#pragma once

#include <cstdint>
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

// A rectangular block of values stored row by row.
struct Array {
    int rows = 0;
    int columns = 0;
    std::vector<Value> cells;

    Array() = default;
    Array(int rows_, int columns_);
    Value& at(int row, int column);
    const Value& at(int row, int column) const;
    bool operator==(const Array&) const;
};

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

// The top-left element of an array, or the value itself.
const Value& first_element(const Value& value);

// The most cells a block of values may have: a larger range, or a larger result of arrays met
// element by element, is #NUM! rather than an allocation the machine cannot give.
inline constexpr long long max_range_cells = 1 << 20;

// The element for result position (row, column) where arrays meet element by element: a single
// row or column repeats, a position outside the array is #N/A, and a value that is no array
// stands for every position.
Value broadcast_element(const Value& v, int row, int column);

} // namespace zorvane::host
