#include "host/xloper12_value.h"

#include <algorithm>
#include <cstring>

namespace zorvane::host {

namespace {

constexpr int max_text_length = 32767;

Value scalar_from_xloper12(const XLOPER12& x, bool nested)
{
    switch (x.xltype & ~(xlbitXLFree | xlbitDLLFree)) {
    case xltypeNum:
        return x.val.num;
    case xltypeStr: {
        if (x.val.str == nullptr)
            throw InvalidValueRecord("text without storage");
        const XCHAR* text = x.val.str + 1; // XCHAR is wchar_t on Windows: copy unit by unit
        return std::u16string(text, text + static_cast<unsigned short>(x.val.str[0]));
    }
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
        const XLREF12& r = x.val.mref.lpmref->reftbl[0];
        return Ref{r.rwFirst, r.colFirst, r.rwLast, r.colLast};
    }
    default:
        break;
    }
    throw InvalidValueRecord("unsupported value type " + std::to_string(x.xltype));
}

} // namespace

Value value_from_xloper12(const XLOPER12& x)
{
    if ((x.xltype & ~(xlbitXLFree | xlbitDLLFree)) != xltypeMulti) {
        Value v = scalar_from_xloper12(x, false);
        if (v.is_ref()) {
            const Ref& r = v.ref();
            if (r.first_row < 0 || r.first_column < 0 || r.last_row < r.first_row || r.last_column < r.first_column)
                throw InvalidValueRecord("malformed reference");
        }
        return v;
    }
    const RW rows = x.val.array.rows;
    const COL columns = x.val.array.columns;
    if (rows <= 0 || columns <= 0 || rows > 1048576 || columns > 16384 || x.val.array.lparray == nullptr)
        throw InvalidValueRecord("malformed array");
    Array array(rows, columns);
    for (std::size_t i = 0; i < array.cells.size(); ++i)
        array.cells[i] = scalar_from_xloper12(x.val.array.lparray[i], true);
    return array;
}

OwnedXloper12::OwnedXloper12()
{
    record_.xltype = xltypeNil;
}

OwnedXloper12::OwnedXloper12(const Value& value)
{
    if (value.is_array() && !value.array().cells.empty()) {
        const Array& a = value.array();
        elements_ = std::make_unique<XLOPER12[]>(a.cells.size());
        for (std::size_t i = 0; i < a.cells.size(); ++i)
            fill(elements_[i], a.cells[i], true);
        record_.xltype = xltypeMulti;
        record_.val.array.lparray = elements_.get();
        record_.val.array.rows = a.rows;
        record_.val.array.columns = a.columns;
        return;
    }
    fill(record_, value, false);
}

void OwnedXloper12::fill(XLOPER12& target, const Value& value, bool nested)
{
    target = XLOPER12{};
    const Value& v = value.is_array() ? first_element(value) : value;
    if (v.is_number()) {
        target.xltype = xltypeNum;
        target.val.num = v.number();
    } else if (v.is_text()) {
        const auto length = std::min<std::size_t>(v.text().size(), max_text_length);
        auto buffer = std::make_unique<XCHAR[]>(length + 1);
        buffer[0] = static_cast<XCHAR>(length);
        std::copy_n(v.text().data(), length, buffer.get() + 1);
        target.xltype = xltypeStr;
        target.val.str = buffer.get();
        texts_.push_back(std::move(buffer));
    } else if (v.is_bool()) {
        target.xltype = xltypeBool;
        target.val.xbool = v.boolean() ? 1 : 0;
    } else if (v.is_error()) {
        target.xltype = xltypeErr;
        target.val.err = static_cast<int>(v.error());
    } else if (v.is_missing()) {
        target.xltype = xltypeMissing;
    } else if (v.is_ref() && !nested) {
        target.xltype = xltypeSRef;
        target.val.sref.count = 1;
        target.val.sref.ref = XLREF12{v.ref().first_row, v.ref().last_row, v.ref().first_column, v.ref().last_column};
    } else {
        target.xltype = xltypeNil; // also an empty array, and a reference inside an array
    }
}

const void* OwnedXloper12::storage_key() const
{
    if (record_.xltype == xltypeMulti)
        return record_.val.array.lparray;
    if (record_.xltype == xltypeStr)
        return record_.val.str;
    return nullptr;
}

} // namespace zorvane::host
