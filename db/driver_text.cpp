#include "db/driver_text.h"

#include <algorithm>
#include <optional>
#include <string>

#include "db/odbc_handles.h"
#include "xll/text.h"

namespace db {

xll::xstring DriverText::outgoing(xll::xstring_view text) const
{
    // Statements and connection strings go zero-terminated: a NUL would end them early.
    xll::xstring sent = xll::well_formed(text);
    xll::replace_nul(sent);
    if (!bytes_as_units_)
        return sent;
    std::string utf8 = xll::xstring_to_utf8(sent);
    xll::xstring units;
    units.reserve(utf8.size());
    for (char c : utf8)
        units += static_cast<XCHAR>(static_cast<unsigned char>(c));
    return units;
}

void DriverText::decode_bytes(std::string_view bytes, xll::xstring& out, bool cut)
{
    // n bytes of UTF-8 make at most n units.
    out.resize(bytes.size());
    std::optional<size_t> units = xll::well_formed_utf8_into(bytes, out.data(), out.size());
    if (!units && cut) {
        // The cut may have fallen inside a character: drop that partial tail.
        std::string_view utf8 = bytes;
        for (size_t k = 1; k <= 3 && k <= utf8.size(); ++k)
            if ((static_cast<unsigned char>(utf8[utf8.size() - k]) & 0xC0) == 0xC0) {
                utf8 = utf8.substr(0, utf8.size() - k);
                break;
            }
        units = xll::well_formed_utf8_into(utf8, out.data(), out.size());
    }
    if (units) {
        out.resize(*units);
        return;
    }
    // Bytes that are not UTF-8 at all: one character per byte, as Latin-1 reads them.
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<XCHAR>(static_cast<unsigned char>(bytes[i]));
}

DriverText DriverText::probe(SQLHDBC connection, DatabaseEngine engine)
{
    DriverText t;
    t.bytes_as_units_ = manager_narrows(connection);
    t.engine_ = engine;
    // The sample's statement is one these servers read; another engine's text stays UTF-16.
    if (!t.bytes_as_units_ && (engine == DatabaseEngine::postgresql || engine == DatabaseEngine::mariadb))
        t.narrow_utf8_ = reads_narrow_as_utf8(connection);
    return t;
}

bool DriverText::reads_narrow_as_utf8(SQLHDBC connection)
{
    // Two, three and four bytes of UTF-8: a connection that cannot carry them all reads UTF-16.
    static const SQLWCHAR statement[] = {'S', 'E', 'L', 'E', 'C', 'T', ' ', '\'', 0x00FC, 0x65E5, 0xD83D, 0xDE00,
                                         '\'', ',', '\'', 0x00FC, 0x65E5, 0xD83D, 0xDE00, '\'', 0};
    static const SQLWCHAR units[] = {0x00FC, 0x65E5, 0xD83D, 0xDE00};
    static const char utf8[] = "\xC3\xBC\xE6\x97\xA5\xF0\x9F\x98\x80";
    OdbcStatement sample;
    SQLHANDLE handle = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle)))
        return false;
    sample.adopt(handle);
    char narrow[32] = {};
    SQLWCHAR wide[16] = {};
    SQLLEN narrow_length = 0, wide_length = 0;
    return SQL_SUCCEEDED(SQLExecDirectW(sample.get(), const_cast<SQLWCHAR*>(statement), SQL_NTS)) &&
           SQL_SUCCEEDED(SQLFetch(sample.get())) &&
           SQL_SUCCEEDED(SQLGetData(sample.get(), 1, SQL_C_CHAR, narrow, sizeof narrow, &narrow_length)) &&
           SQL_SUCCEEDED(SQLGetData(sample.get(), 2, SQL_C_WCHAR, wide, sizeof wide, &wide_length)) &&
           wide_length == static_cast<SQLLEN>(sizeof units) && std::equal(units, units + 4, wide) &&
           narrow_length == static_cast<SQLLEN>(sizeof utf8 - 1) && std::string_view(narrow) == utf8;
}

xll::xstring DriverText::attribute(xll::xstring_view connection_string, std::string_view keyword)
{
    auto same_keyword = [&](xll::xstring_view key) {
        if (key.size() != keyword.size())
            return false;
        for (size_t i = 0; i < key.size(); ++i) {
            XCHAR c = key[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<XCHAR>(c - 'a' + 'A');
            char k = keyword[i];
            if (k >= 'a' && k <= 'z')
                k = static_cast<char>(k - 'a' + 'A');
            if (c != static_cast<XCHAR>(static_cast<unsigned char>(k)))
                return false;
        }
        return true;
    };
    size_t i = 0;
    while (i < connection_string.size()) {
        size_t equals = connection_string.find(XCHAR('='), i);
        if (equals == xll::xstring_view::npos)
            break;
        xll::xstring_view key = connection_string.substr(i, equals - i);
        size_t start = equals + 1;
        size_t end;
        xll::xstring value;
        if (start < connection_string.size() && connection_string[start] == '{') {
            // A braced value runs to its closing brace, semicolons included.
            end = connection_string.find(XCHAR('}'), start + 1);
            if (end == xll::xstring_view::npos)
                end = connection_string.size();
            value = connection_string.substr(start + 1, end - start - 1);
            end = connection_string.find(XCHAR(';'), end);
        }
        else {
            end = connection_string.find(XCHAR(';'), start);
            value = connection_string.substr(start, (end == xll::xstring_view::npos ? connection_string.size() : end) - start);
        }
        if (same_keyword(key))
            return value;
        if (end == xll::xstring_view::npos)
            break;
        i = end + 1;
    }
    return {};
}

xll::xstring_view DriverText::incoming(xll::xstring_view text, xll::xstring& scratch, bool cut) const
{
    if (!bytes_as_units_)
        return text;
    bool ascii = true;
    for (XCHAR c : text) {
        if (c > 0xFF)
            return text; // not bytes at all: nothing to undo
        if (c >= 0x80)
            ascii = false;
    }
    if (ascii)
        return text;
    std::string bytes(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<char>(text[i]);
    decode_bytes(bytes, scratch, cut);
    return scratch;
}

} // namespace db
