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
    static std::unique_ptr<XCHAR[]> counted(const std::u16string& text)
    {
        return counted_copy<XCHAR>(text, max_text_length);
    }
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
    static std::unique_ptr<char[]> counted(const std::u16string& text)
    {
        return counted_copy<char>(utf16_to_latin1(text), classic_text_length);
    }
};

template <class X> Value scalar_from_record(const X& x, bool nested)
{
    switch (x.xltype & ~(xlbitXLFree | xlbitDLLFree)) {
    case xltypeNum:
        return x.val.num;
    case xltypeStr:
        if (x.val.str == nullptr)
            throw InvalidValueRecord("text without storage");
        return width<X>::read_text(x.val.str);
    case xltypeBool:
        return x.val.xbool != 0;
    case xltypeErr:
        if (!is_known_error_code(x.val.err))
            throw InvalidValueRecord("unknown error code " + std::to_string(x.val.err));
        return static_cast<ErrorCode>(x.val.err);
    case xltypeMissing:
        return Missing{};
    case xltypeNil:
        return Nil{};
    case xltypeInt:
        return static_cast<double>(x.val.w);
    case xltypeSRef:
        if (nested)
            break;
        return Ref{x.val.sref.ref.rwFirst, x.val.sref.ref.colFirst, x.val.sref.ref.rwLast, x.val.sref.ref.colLast};
    case xltypeRef: {
        if (nested || x.val.mref.lpmref == nullptr || x.val.mref.lpmref->count < 1)
            break;
        const auto& r = x.val.mref.lpmref->reftbl[0];
        return Ref{r.rwFirst, r.colFirst, r.rwLast, r.colLast};
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
        Value v = scalar_from_record(x, false);
        if (v.is_ref()) {
            const Ref& r = v.ref();
            if (r.first_row < 0 || r.first_column < 0 || r.last_row < r.first_row || r.last_column < r.first_column ||
                r.last_row >= width<X>::sheet_rows || r.last_column >= width<X>::sheet_columns)
                throw InvalidValueRecord("malformed reference");
        }
        return v;
    }
    // Widened first, so the bounds compare the same way for both widths' index types.
    const long long rows = x.val.array.rows;
    const long long columns = x.val.array.columns;
    if (rows <= 0 || columns <= 0 || rows > width<X>::sheet_rows || columns > width<X>::sheet_columns ||
        x.val.array.lparray == nullptr)
        throw InvalidValueRecord("malformed array");
    // Each cell made in its place: a large result is copied once, not made blank and then moved over.
    Array array;
    array.rows = static_cast<int>(rows);
    array.columns = static_cast<int>(columns);
    const auto count = static_cast<std::size_t>(rows * columns);
    array.cells.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        array.cells.push_back(scalar_from_record(x.val.array.lparray[i], true));
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
    if (value.is_array() && !value.array().cells.empty()) {
        const Array& a = value.array();
        const int rows = std::min(a.rows, width<X>::array_rows);
        const int columns = std::min(a.columns, width<X>::array_columns);
        elements_ = std::make_unique<X[]>(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                fill(elements_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c)],
                     a.at(r, c), true);
        record_.xltype = xltypeMulti;
        record_.val.array.lparray = elements_.get();
        record_.val.array.rows = static_cast<decltype(record_.val.array.rows)>(rows);
        record_.val.array.columns = static_cast<decltype(record_.val.array.columns)>(columns);
        return;
    }
    fill(record_, value, false);
}

template <class X> void OwnedRecord<X>::fill(X& target, const Value& value, bool nested)
{
    target = X{};
    const Value& v = value.is_array() ? first_element(value) : value;
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
    } else if (v.is_ref() && !nested && v.ref().last_row < width<X>::sheet_rows && v.ref().last_column < width<X>::sheet_columns) {
        auto& r = target.val.sref.ref;
        target.xltype = xltypeSRef;
        target.val.sref.count = 1;
        r.rwFirst = static_cast<decltype(r.rwFirst)>(v.ref().first_row);
        r.rwLast = static_cast<decltype(r.rwLast)>(v.ref().last_row);
        r.colFirst = static_cast<decltype(r.colFirst)>(v.ref().first_column);
        r.colLast = static_cast<decltype(r.colLast)>(v.ref().last_column);
    } else {
        target.xltype = xltypeNil; // also an empty array, a reference inside an array or one too large
    }
}

template class OwnedRecord<XLOPER12>;
template class OwnedRecord<XLOPER>;
template Value value_from_record(const XLOPER12&);
template Value value_from_record(const XLOPER&);
template const void* storage_of(const XLOPER12&);
template const void* storage_of(const XLOPER&);

} // namespace zorvane::host
