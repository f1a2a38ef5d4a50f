#include "host/xloper_value.h"

#include "host/utf.h"

#include <algorithm>
#include <string>

namespace zorvane::host {

namespace {

Value scalar_from_xloper(const XLOPER& x, bool nested)
{
    switch (x.xltype & ~(xlbitXLFree | xlbitDLLFree)) {
    case xltypeNum:
        return x.val.num;
    case xltypeStr: {
        if (x.val.str == nullptr)
            throw InvalidValueRecord("text without storage");
        const auto length = static_cast<unsigned char>(x.val.str[0]);
        return latin1_to_utf16(std::string_view(x.val.str + 1, length));
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
        const XLREF& r = x.val.mref.lpmref->reftbl[0];
        return Ref{r.rwFirst, r.colFirst, r.rwLast, r.colLast};
    }
    default:
        break;
    }
    throw InvalidValueRecord("unsupported value type " + std::to_string(x.xltype));
}

} // namespace

Value value_from_xloper(const XLOPER& x)
{
    if ((x.xltype & ~(xlbitXLFree | xlbitDLLFree)) != xltypeMulti)
        return scalar_from_xloper(x, false);
    const int rows = x.val.array.rows;
    const int columns = x.val.array.columns;
    if (rows <= 0 || columns <= 0 || x.val.array.lparray == nullptr)
        throw InvalidValueRecord("malformed array");
    Array array(rows, columns);
    for (std::size_t i = 0; i < array.cells.size(); ++i)
        array.cells[i] = scalar_from_xloper(x.val.array.lparray[i], true);
    return array;
}

OwnedXloper::OwnedXloper()
{
    record_.xltype = xltypeNil;
}

OwnedXloper::OwnedXloper(const Value& value)
{
    if (value.is_array() && !value.array().cells.empty()) {
        const Array& a = value.array();
        // The 8-bit array counts rows and columns in 16 bits; larger arrays are cut.
        const int rows = std::min(a.rows, 65535);
        const int columns = std::min(a.columns, 255);
        elements_ = std::make_unique<XLOPER[]>(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                fill(elements_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(c)], a.at(r, c),
                     true);
        record_.xltype = xltypeMulti;
        record_.val.array.lparray = elements_.get();
        record_.val.array.rows = static_cast<WORD>(rows);
        record_.val.array.columns = static_cast<WORD>(columns);
        return;
    }
    fill(record_, value, false);
}

void OwnedXloper::fill(XLOPER& target, const Value& value, bool nested)
{
    target = XLOPER{};
    const Value& v = value.is_array() ? first_element(value) : value;
    if (v.is_number()) {
        target.xltype = xltypeNum;
        target.val.num = v.number();
    } else if (v.is_text()) {
        const std::string bytes = utf16_to_latin1(v.text());
        const auto length = std::min<std::size_t>(bytes.size(), 255);
        auto buffer = std::make_unique<char[]>(length + 1);
        buffer[0] = static_cast<char>(static_cast<unsigned char>(length));
        std::copy_n(bytes.data(), length, buffer.get() + 1);
        target.xltype = xltypeStr;
        target.val.str = buffer.get();
        texts_.push_back(std::move(buffer));
    } else if (v.is_bool()) {
        target.xltype = xltypeBool;
        target.val.xbool = v.boolean() ? 1 : 0;
    } else if (v.is_error()) {
        target.xltype = xltypeErr;
        target.val.err = static_cast<WORD>(v.error());
    } else if (v.is_missing()) {
        target.xltype = xltypeMissing;
    } else if (v.is_ref() && !nested && v.ref().last_row < 65536 && v.ref().last_column < 256) {
        target.xltype = xltypeSRef;
        target.val.sref.count = 1;
        target.val.sref.ref = XLREF{static_cast<WORD>(v.ref().first_row), static_cast<WORD>(v.ref().last_row),
                                    static_cast<BYTE>(v.ref().first_column), static_cast<BYTE>(v.ref().last_column)};
    } else {
        target.xltype = xltypeNil;
    }
}

const void* OwnedXloper::storage_key() const
{
    if (record_.xltype == xltypeMulti)
        return record_.val.array.lparray;
    if (record_.xltype == xltypeStr)
        return record_.val.str;
    return nullptr;
}

} // namespace zorvane::host
