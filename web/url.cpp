#include "web/url.h"

#include "web/http_client.h"
#include "xll/text.h"

#include <vector>

namespace xll::web {

namespace {

constexpr unsigned default_http_port = 80;
constexpr unsigned default_https_port = 443;
constexpr unsigned long max_port = 65535;

XCHAR lower(XCHAR c) { return c >= 'A' && c <= 'Z' ? static_cast<XCHAR>(c - 'A' + 'a') : c; }

bool same_ascii_word(xstring_view text, std::string_view word)
{
    if (text.size() != word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (lower(text[i]) != static_cast<XCHAR>(word[i]))
            return false;
    return true;
}

bool starts_with_scheme(std::string_view url, std::string_view scheme)
{
    if (url.size() <= scheme.size() || url[scheme.size()] != ':')
        return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
        char c = url[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != scheme[i])
            return false;
    }
    return true;
}

// Bytes a request line cannot carry as they are (blanks, controls, anything beyond ASCII) are
// sent percent-encoded; everything else, '%' included, goes as the user wrote it.
std::string escaped(std::string_view utf8)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (char ch : utf8) {
        auto b = static_cast<unsigned char>(ch);
        if (b <= 0x20 || b >= 0x7F) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// scheme ":" where a scheme is a letter, then letters, digits, '+', '-' or '.'.
bool has_scheme(std::string_view reference)
{
    if (reference.empty() || !is_ascii_letter(reference[0]))
        return false;
    for (char c : reference.substr(1)) {
        if (c == ':')
            return true;
        if (!is_ascii_letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

// The path (which starts with '/') without its "." and ".." segments; ".." never climbs above
// the root.
std::string without_dot_segments(std::string_view path)
{
    std::vector<std::string_view> kept;
    bool ends_in_folder = false;
    for (size_t start = 1;;) {
        const size_t slash = path.find('/', start);
        const bool last = slash == std::string_view::npos;
        const std::string_view segment = path.substr(start, last ? std::string_view::npos : slash - start);
        ends_in_folder = false;
        if (segment == "." || segment == "..") {
            if (segment == ".." && !kept.empty())
                kept.pop_back();
            ends_in_folder = last;
        } else {
            kept.push_back(segment);
        }
        if (last)
            break;
        start = slash + 1;
    }
    std::string out;
    for (auto segment : kept) {
        out += '/';
        out += segment;
    }
    if (ends_in_folder || out.empty())
        out += '/';
    return out;
}

SplitUrl rejected(unsigned long code)
{
    SplitUrl s;
    s.error = code;
    return s;
}

} // namespace

SplitUrl split_url(xstring_view text)
{
    size_t colon = text.find(':');
    if (colon == xstring_view::npos)
        return rejected(error_unrecognized_scheme);
    xstring_view scheme = text.substr(0, colon);
    SplitUrl s;
    if (same_ascii_word(scheme, "https"))
        s.url.secure = true;
    else if (!same_ascii_word(scheme, "http"))
        return rejected(error_unrecognized_scheme);
    xstring_view rest = text.substr(colon + 1);
    if (rest.size() < 2 || rest[0] != '/' || rest[1] != '/')
        return rejected(error_invalid_url);
    rest.remove_prefix(2);

    size_t authority_end = rest.find_first_of(XLL_T("/?#"));
    xstring_view authority = rest.substr(0, authority_end);
    xstring_view object = authority_end == xstring_view::npos ? xstring_view() : rest.substr(authority_end);

    // User name and password are not ours to send: WinHTTP is never given them either.
    if (size_t at = authority.rfind('@'); at != xstring_view::npos)
        authority.remove_prefix(at + 1);

    xstring_view host = authority, port;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == xstring_view::npos)
            return rejected(error_invalid_url);
        host = authority.substr(0, close + 1);
        xstring_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':')
                return rejected(error_invalid_url);
            port = after.substr(1);
        }
    } else if (size_t c = authority.find(':'); c != xstring_view::npos) {
        host = authority.substr(0, c);
        port = authority.substr(c + 1);
    }
    if (host.empty())
        return rejected(error_invalid_url);

    s.url.port = s.url.secure ? default_https_port : default_http_port;
    if (!port.empty()) {
        unsigned long n = 0;
        for (XCHAR c : port) {
            if (c < '0' || c > '9')
                return rejected(error_invalid_url);
            n = n * 10 + static_cast<unsigned long>(c - '0');
            if (n > max_port)
                return rejected(error_invalid_url);
        }
        if (n == 0)
            return rejected(error_invalid_url);
        s.url.port = static_cast<unsigned>(n);
    }

    // The fragment names a place inside the resource: it never travels.
    object = object.substr(0, object.find('#'));
    s.url.host = xstring_to_utf8(host);
    s.url.object = escaped(xstring_to_utf8(object));
    if (s.url.object.empty() || s.url.object[0] != '/')
        s.url.object.insert(0, 1, '/');
    return s;
}

std::string request_url(const Url& url)
{
    return std::string(url.secure ? "https://" : "http://") + url.host + ":" + std::to_string(url.port) + url.object;
}

std::string resolve_reference(const Url& base, std::string_view reference)
{
    if (has_scheme(reference))
        return std::string(reference);
    const std::string scheme = base.secure ? "https:" : "http:";
    if (reference.starts_with("//"))
        return scheme + std::string(reference);
    const std::string origin = scheme + "//" + base.host + ":" + std::to_string(base.port);
    const std::string_view object = base.object;
    const std::string_view base_path = object.substr(0, object.find('?'));
    if (reference.empty() || reference[0] == '#')
        return origin + std::string(object);
    if (reference[0] == '?')
        return origin + std::string(base_path) + std::string(reference);
    const size_t tail = reference.find_first_of("?#");
    std::string path(reference.substr(0, tail));
    if (path.empty() || path[0] != '/')
        path.insert(0, base_path.substr(0, base_path.rfind('/') + 1));
    return origin + without_dot_segments(path) + std::string(tail == std::string_view::npos ? std::string_view() : reference.substr(tail));
}

bool redirect_allowed(std::string_view from, std::string_view to)
{
    return !(starts_with_scheme(from, "https") && starts_with_scheme(to, "http"));
}

} // namespace xll::web
