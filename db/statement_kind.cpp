#include "db/statement_kind.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace db {

namespace {

constexpr std::string_view reading_starts[] = {"SELECT", "WITH", "VALUES", "TABLE", "SHOW", "DESCRIBE", "DESC",
                                               "EXPLAIN"};
constexpr std::string_view writing_words[] = {"INSERT", "UPDATE", "DELETE", "MERGE", "INTO", "CALL", "EXEC",
                                              "EXECUTE", "COPY", "CREATE", "DROP", "ALTER", "TRUNCATE", "GRANT",
                                              "REVOKE", "LOCK", "ANALYZE", "NEXTVAL", "SETVAL"};

bool word_char(XCHAR c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

bool among(const std::string& word, const auto& list)
{
    return std::find(std::begin(list), std::end(list), word) != std::end(list);
}

// Past the quoted text that starts at i (its opening quote), doubled quotes inside included.
size_t past_quoted(xll::xstring_view s, size_t i, XCHAR close)
{
    for (size_t j = i + 1; j < s.size(); ++j)
        if (s[j] == close) {
            if (j + 1 < s.size() && s[j + 1] == close && close != ']') {
                ++j;
                continue;
            }
            return j + 1;
        }
    return s.size();
}

} // namespace

bool plainly_reads(xll::xstring_view s)
{
    bool statement_start = true, any = false;
    for (size_t i = 0; i < s.size();) {
        const XCHAR c = s[i];
        if (c == '\'' || c == '"' || c == '`')
            i = past_quoted(s, i, c);
        else if (c == '[')
            i = past_quoted(s, i, ']');
        else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        }
        else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const size_t end = s.find(XLL_T("*/"), i + 2);
            i = end == xll::xstring_view::npos ? s.size() : end + 2;
        }
        else if (c == '$') // PostgreSQL's dollar quoting hides what a function body does
            return false;
        else if (c == ';') {
            statement_start = true;
            ++i;
        }
        else if (word_char(c)) {
            std::string word;
            for (; i < s.size() && word_char(s[i]); ++i)
                word += static_cast<char>(s[i] >= 'a' && s[i] <= 'z' ? s[i] - 32 : s[i]);
            if (statement_start && !among(word, reading_starts))
                return false;
            if (among(word, writing_words))
                return false;
            statement_start = false;
            any = true;
        }
        else
            ++i;
    }
    return any;
}

} // namespace db
