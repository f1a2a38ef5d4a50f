#include "host/bridge/value_record.h"

#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <string>

namespace zorvane::host {

namespace {

// A counted text of at most max units, converted unit by unit (XCHAR is wchar_t on Windows).
template <class Char, class Units> std::unique_ptr<Char[]> counted_copy(const Units& units, std::size_t max)
{
    const auto length = std::min<std::size_t>(units.size(), max);
    auto buffer = std::make_unique<Char[]>(length + 1);
    buffer[0] = static_cast<Char>(length);
    std::copy_n(units.data(), length, buffer.get() + 1);
    return buffer;
}

// What the two widths do differently with texts and shapes. A record is read up to the size of
// the width's sheet; an array is built no larger than the width's array counts allow.
template <class X> struct width;

template <> struct width<XLOPER12> {
    static constexpr int sheet_rows = max_rows;
    static constexpr int sheet_columns = max_columns;
    static constexpr int array_rows = sheet_rows;
    static constexpr int array_columns = sheet_columns;
    static std::u16string read_text(const XCHAR* counted)
    {
        return std::u16string(counted + 1, counted + 1 + static_cast<unsigned short>(counted[0]));
    }
    static std::unique_ptr<XCHAR[]> counted(std::u16string_view text)
    {
        return counted_copy<XCHAR>(text, max_text_length);
    }
    static std::size_t text_length(const XCHAR* counted) { return static_cast<unsigned short>(counted[0]); }
    static void push_text(Array::Appender& array, const XCHAR* counted) { array.text(counted + 1, text_length(counted)); }
};

template <> struct width<XLOPER> {
    static constexpr int sheet_rows = classic_rows;
    static constexpr int sheet_columns = classic_columns;
    static constexpr int array_rows = classic_rows - 1;
    static constexpr int array_columns = classic_columns - 1;
    static std::u16string read_text(const char* counted)
    {
        return latin1_to_utf16(std::string_view(counted + 1, static_cast<unsigned char>(counted[0])));
    }
    static std::unique_ptr<char[]> counted(std::u16string_view text)
    {
        return counted_copy<char>(utf16_to_latin1(text), classic_text_length);
    }
    static std::size_t text_length(const char* counted) { return static_cast<unsigned char>(counted[0]); }
    static void push_text(Array::Appender& array, const char* counted)
    {
        const std::u16string text = read_text(counted);
        array.text(text.data(), text.size());
    }
};

// Where a record that is no array goes: into a Value of its own, or appended to an array being
// built, its text copied straight into the array's pool.
template <class X> struct ToValue {
    Value value;
    void number(double d) { value = d; }
    void boolean(bool b) { value = b; }
    void error(ErrorCode code) { value = code; }
    void empty(CellKind kind) { value = kind == CellKind::missing ? Value(Missing{}) : Value(Nil{}); }
    void text(const decltype(X{}.val.str) counted) { value = width<X>::read_text(counted); }
    void ref(const Ref& r) { value = r; }
};

template <class X> struct ToArray {
    Array::Appender array;
    // Inline, as the appender's own number is (numbers are most of a large result).
    [[gnu::always_inline]] void number(double d) { array.number(d); }
    void boolean(bool b) { array.boolean(b); }
    void error(ErrorCode code) { array.error(code); }
    void empty(CellKind kind) { array.kind(kind); }
    void text(const decltype(X{}.val.str) counted) { width<X>::push_text(array, counted); }
    void ref(const Ref&) {} // never called: a reference inside an array is refused
};

template <class X, class Sink> void read_scalar(const X& x, bool nested, Sink& sink)
{
    switch (x.xltype & ~(xlbitXLFree | xlbitDLLFree)) {
    case xltypeNum:
        return sink.number(x.val.num);
    case xltypeStr:
        if (x.val.str == nullptr)
            throw InvalidValueRecord("text without storage");
        return sink.text(x.val.str);
    case xltypeBool:
        return sink.boolean(x.val.xbool != 0);
    case xltypeErr:
        if (!is_known_error_code(x.val.err))
            throw InvalidValueRecord("unknown error code " + std::to_string(x.val.err));
        return sink.error(static_cast<ErrorCode>(x.val.err));
    case xltypeMissing:
        return sink.empty(CellKind::missing);
    case xltypeNil:
        return sink.empty(CellKind::nil);
    case xltypeInt:
        return sink.number(static_cast<double>(x.val.w));
    case xltypeSRef:
        if (nested)
            break;
        return sink.ref(Ref{x.val.sref.ref.rwFirst, x.val.sref.ref.colFirst, x.val.sref.ref.rwLast, x.val.sref.ref.colLast});
    case xltypeRef: {
        if (nested || x.val.mref.lpmref == nullptr || x.val.mref.lpmref->count < 1)
            break;
        const auto& r = x.val.mref.lpmref->reftbl[0];
        return sink.ref(Ref{r.rwFirst, r.colFirst, r.rwLast, r.colLast});
    }
    default:
        break;
    }
    throw InvalidValueRecord("unsupported value type " + std::to_string(x.xltype));
}

} // namespace

template <class X> Value value_from_record(const X& x)
{
    if ((x.xltype & ~(xlbitXLFree | xlbitDLLFree)) != xltypeMulti) {
        ToValue<X> sink;
        read_scalar(x, false, sink);
        const Value& v = sink.value;
        if (v.is_ref()) {
            const Ref& r = v.ref();
            if (r.first_row < 0 || r.first_column < 0 || r.last_row < r.first_row || r.last_column < r.first_column ||
                r.last_row >= width<X>::sheet_rows || r.last_column >= width<X>::sheet_columns)
                throw InvalidValueRecord("malformed reference");
        }
        return std::move(sink.value);
    }
    // Widened first, so the bounds compare the same way for both widths' index types.
    const long long rows = x.val.array.rows;
    const long long columns = x.val.array.columns;
    if (rows <= 0 || columns <= 0 || rows > width<X>::sheet_rows || columns > width<X>::sheet_columns ||
        x.val.array.lparray == nullptr)
        throw InvalidValueRecord("malformed array");
    // Each element appended from its record, the texts' units counted first so the pool is
    // allocated once: a large result is copied once, with no Value made per element.
    const auto count = static_cast<std::size_t>(rows * columns);
    const X* elements = x.val.array.lparray;
    std::size_t text_units = 0;
    for (std::size_t i = 0; i < count; ++i)
        if ((elements[i].xltype & ~(xlbitXLFree | xlbitDLLFree)) == xltypeStr && elements[i].val.str != nullptr)
            text_units += width<X>::text_length(elements[i].val.str);
    Array array;
    array.rows = static_cast<int>(rows);
    array.columns = static_cast<int>(columns);
    array.reserve(count, text_units);
    ToArray<X> sink{array.appender()};
    for (std::size_t i = 0; i < count; ++i)
        read_scalar(elements[i], true, sink);
    return array;
}

template <class X> const void* storage_of(const X& record)
{
    const unsigned type = record.xltype & ~(xlbitXLFree | xlbitDLLFree);
    if (type == xltypeMulti)
        return record.val.array.lparray;
    if (type == xltypeStr)
        return record.val.str;
    return nullptr;
}

template <class X> OwnedRecord<X>::OwnedRecord()
{
    record_.xltype = xltypeNil;
}

template <class X> OwnedRecord<X>::OwnedRecord(const Value& value)
{
    if (value.is_array() && !value.array().empty()) {
        const Array& a = value.array();
        const int rows = std::min(a.rows, width<X>::array_rows);
        const int columns = std::min(a.columns, width<X>::array_columns);
        elements_ = std::make_unique<X[]>(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                fill(elements_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c)],
                     a.cell(r, c));
        record_.xltype = xltypeMulti;
        record_.val.array.lparray = elements_.get();
        record_.val.array.rows = static_cast<decltype(record_.val.array.rows)>(rows);
        record_.val.array.columns = static_cast<decltype(record_.val.array.columns)>(columns);
        return;
    }
    fill(record_, value);
}

template <class X> void OwnedRecord<X>::fill(X& target, const Value& value)
{
    target = X{};
    if (value.is_ref() && value.ref().last_row < width<X>::sheet_rows && value.ref().last_column < width<X>::sheet_columns) {
        const Ref& from = value.ref();
        auto& r = target.val.sref.ref;
        target.xltype = xltypeSRef;
        target.val.sref.count = 1;
        r.rwFirst = static_cast<decltype(r.rwFirst)>(from.first_row);
        r.rwLast = static_cast<decltype(r.rwLast)>(from.last_row);
        r.colFirst = static_cast<decltype(r.colFirst)>(from.first_column);
        r.colLast = static_cast<decltype(r.colLast)>(from.last_column);
        return;
    }
    // An empty array, or a reference too large for the width, is nil.
    fill(target, view_of(value.is_array() ? first_element(value) : value));
}

template <class X> void OwnedRecord<X>::fill(X& target, CellView v)
{
    target = X{};
    if (v.is_number()) {
        target.xltype = xltypeNum;
        target.val.num = v.number();
    } else if (v.is_text()) {
        texts_.push_back(width<X>::counted(v.text()));
        target.xltype = xltypeStr;
        target.val.str = texts_.back().get();
    } else if (v.is_bool()) {
        target.xltype = xltypeBool;
        target.val.xbool = v.boolean() ? 1 : 0;
    } else if (v.is_error()) {
        target.xltype = xltypeErr;
        target.val.err = static_cast<decltype(target.val.err)>(v.error());
    } else if (v.is_missing()) {
        target.xltype = xltypeMissing;
    } else {
        target.xltype = xltypeNil;
    }
}

template class OwnedRecord<XLOPER12>;
template class OwnedRecord<XLOPER>;
template Value value_from_record(const XLOPER12&);
template Value value_from_record(const XLOPER&);
template const void* storage_of(const XLOPER12&);
template const void* storage_of(const XLOPER&);

} // namespace zorvane::host
