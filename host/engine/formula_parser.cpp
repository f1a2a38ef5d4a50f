#include "host/engine/formula_parser.h"

#include "host/engine/cell_address.h"
#include "host/engine/errors.h"
#include "host/engine/sheet_limits.h"
#include "host/engine/utf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zorvane::host {

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c >= 0x80; }
bool is_name_char(char16_t c) { return is_letter(c) || is_digit(c) || c == u'_' || c == u'.' || c == u'\\' || c == u'$'; }

// The spreadsheet's own limits (max_formula_length, max_formula_nesting) also keep the recursion
// of parsing and evaluating shallow.
// Evaluating, checking and freeing a formula recurse along its tree; this bounds how far.
constexpr int max_tree_depth = 1000;

class Parser {
public:
    Parser(std::u16string_view text, std::optional<CellAddress> base) : s_(text), base_(base) {}

    NodePtr parse()
    {
        if (s_.size() > max_formula_length)
            throw FormulaError(max_formula_length + 1, "a formula holds at most " + std::to_string(max_formula_length) + " characters");
        skip_blanks();
        if (peek() == u'=')
            ++pos_;
        skip_blanks();
        if (at_end())
            fail("the formula is empty");
        auto node = comparison();
        skip_blanks();
        if (!at_end())
            fail(std::string("unexpected '") + utf16_to_utf8(s_.substr(pos_, 1)) + "'");
        return node;
    }

private:
    std::u16string_view s_;
    std::optional<CellAddress> base_;
    std::size_t pos_ = 0;
    int depth_ = 0;

    // Counts one level of nesting (parentheses, calls, signs) while it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& p) : p_(p)
        {
            if (++p_.depth_ > max_formula_nesting)
                p_.fail("the formula is nested more than " + std::to_string(max_formula_nesting) + " levels deep");
        }
        ~Nesting() { --p_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& p_;
    };

    bool at_end() const { return pos_ >= s_.size(); }
    char16_t peek(std::size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : u'\0'; }
    void skip_blanks()
    {
        while (!at_end() && (s_[pos_] == u' ' || s_[pos_] == u'\t' || s_[pos_] == u'\n' || s_[pos_] == u'\r'))
            ++pos_;
    }
    [[noreturn]] void fail(const std::string& message, std::size_t at = std::string::npos) const
    {
        throw FormulaError((at == std::string::npos ? pos_ : at) + 1, message);
    }
    void expect(char16_t c, const char* what)
    {
        skip_blanks();
        if (peek() != c)
            fail(at_end() ? std::string("the formula ends where ") + what + " is expected" : std::string("expected ") + what);
        ++pos_;
    }

    // Makes `child` a child of `parent`, keeping the parent's depth and its bound.
    void adopt(Node& parent, NodePtr child)
    {
        if (child->depth + 1 > parent.depth) {
            parent.depth = child->depth + 1;
            if (parent.depth > max_tree_depth)
                throw FormulaError(parent.position, "the formula is nested too deeply");
        }
        parent.children.push_back(std::move(child));
    }

    NodePtr make(Node::Kind kind, std::size_t at)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->position = at + 1;
        return node;
    }

    // Operators of one precedence level form one chain node rather than a tree as deep as the
    // formula is long; `chain` is null until the first operator of the level.
    void extend(NodePtr& left, Node*& chain, std::string op, NodePtr right, std::size_t at)
    {
        if (chain == nullptr) {
            auto node = make(Node::Kind::binary, at);
            adopt(*node, std::move(left));
            left = std::move(node);
            chain = left.get();
        }
        chain->ops.push_back(std::move(op));
        adopt(*chain, std::move(right));
    }

    NodePtr comparison()
    {
        auto left = concatenation();
        Node* chain = nullptr;
        for (;;) {
            skip_blanks();
            const std::size_t at = pos_;
            std::string op;
            if (peek() == u'<' && peek(1) == u'>')
                op = "<>";
            else if (peek() == u'<' && peek(1) == u'=')
                op = "<=";
            else if (peek() == u'>' && peek(1) == u'=')
                op = ">=";
            else if (peek() == u'<' || peek() == u'>' || peek() == u'=')
                op = std::string(1, static_cast<char>(peek()));
            else
                return left;
            pos_ += op.size();
            extend(left, chain, op, concatenation(), at);
        }
    }

    NodePtr concatenation()
    {
        auto left = additive();
        Node* chain = nullptr;
        for (;;) {
            skip_blanks();
            if (peek() != u'&')
                return left;
            const std::size_t at = pos_++;
            extend(left, chain, "&", additive(), at);
        }
    }

    NodePtr additive()
    {
        auto left = multiplicative();
        Node* chain = nullptr;
        for (;;) {
            skip_blanks();
            if (peek() != u'+' && peek() != u'-')
                return left;
            const std::size_t at = pos_;
            std::string op(1, static_cast<char>(s_[pos_++]));
            extend(left, chain, op, multiplicative(), at);
        }
    }

    NodePtr multiplicative()
    {
        auto left = power();
        Node* chain = nullptr;
        for (;;) {
            skip_blanks();
            if (peek() != u'*' && peek() != u'/')
                return left;
            const std::size_t at = pos_;
            std::string op(1, static_cast<char>(s_[pos_++]));
            extend(left, chain, op, power(), at);
        }
    }

    NodePtr power()
    {
        auto left = percent();
        Node* chain = nullptr;
        for (;;) {
            skip_blanks();
            if (peek() != u'^')
                return left;
            const std::size_t at = pos_++;
            extend(left, chain, "^", percent(), at);
        }
    }

    NodePtr percent()
    {
        auto operand = unary();
        for (int count = 1;; ++count) {
            skip_blanks();
            if (peek() != u'%')
                return operand;
            if (count > max_formula_nesting)
                fail("more than " + std::to_string(max_formula_nesting) + " '%' in a row");
            auto node = make(Node::Kind::unary, pos_++);
            node->op = "%";
            adopt(*node, std::move(operand));
            operand = std::move(node);
        }
    }

    NodePtr unary()
    {
        skip_blanks();
        if (peek() == u'-' || peek() == u'+') {
            Nesting level(*this);
            auto node = make(Node::Kind::unary, pos_);
            node->op = std::string(1, static_cast<char>(s_[pos_++]));
            adopt(*node, unary());
            return node;
        }
        return primary();
    }

    NodePtr primary()
    {
        skip_blanks();
        const std::size_t at = pos_;
        if (at_end())
            fail("the formula ends where a value is expected");
        const char16_t c = peek();
        if (c == u'(') {
            Nesting level(*this);
            ++pos_;
            auto inner = comparison();
            expect(u')', "')'");
            return inner;
        }
        if (c == u'{')
            return array_constant();
        if (c == u'"' || is_digit(c) || c == u'.' || c == u'#') {
            auto node = make(Node::Kind::constant, at);
            node->value = scalar_constant();
            return node;
        }
        if (is_letter(c) || c == u'$' || c == u'_' || c == u'\\')
            return name_or_reference();
        fail(std::string("unexpected '") + utf16_to_utf8(s_.substr(pos_, 1)) + "'");
    }

    // A number, text, or error literal at the cursor.
    Value scalar_constant()
    {
        const char16_t c = peek();
        if (c == u'"')
            return string_literal();
        if (c == u'#')
            return error_literal();
        return number_literal();
    }

    Value number_literal()
    {
        const std::size_t start = pos_;
        std::string digits;
        while (is_digit(peek()))
            digits.push_back(static_cast<char>(s_[pos_++]));
        if (peek() == u'.') {
            digits.push_back('.');
            ++pos_;
            while (is_digit(peek()))
                digits.push_back(static_cast<char>(s_[pos_++]));
        }
        if (digits.empty() || digits == ".")
            fail("malformed number", start);
        if (peek() == u'e' || peek() == u'E') {
            const std::size_t e_at = pos_;
            digits.push_back('e');
            ++pos_;
            if (peek() == u'+' || peek() == u'-')
                digits.push_back(static_cast<char>(s_[pos_++]));
            if (!is_digit(peek()))
                fail("malformed exponent", e_at);
            while (is_digit(peek()))
                digits.push_back(static_cast<char>(s_[pos_++]));
        }
        const double value = std::strtod(digits.c_str(), nullptr);
        if (std::isinf(value))
            fail("number out of range", start);
        return value;
    }

    Value string_literal()
    {
        const std::size_t start = pos_++;
        std::u16string text;
        for (;;) {
            if (at_end())
                fail("text not closed by '\"'", start);
            const char16_t c = s_[pos_++];
            if (c == u'"') {
                if (peek() == u'"') {
                    text.push_back(u'"');
                    ++pos_;
                    continue;
                }
                return text;
            }
            text.push_back(c);
        }
    }

    Value error_literal()
    {
        const std::size_t start = pos_;
        // The longest error name that matches here.
        static constexpr const char* names[] = {"#GETTING_DATA", "#DIV/0!", "#VALUE!", "#NULL!", "#NAME?", "#CALC!", "#REF!", "#NUM!", "#N/A"};
        for (const char* name : names) {
            const std::string_view n(name);
            if (s_.size() - pos_ < n.size())
                continue;
            bool match = true;
            for (std::size_t i = 0; i < n.size() && match; ++i)
                match = ascii_upper(s_[pos_ + i]) == static_cast<char16_t>(n[i]);
            if (match) {
                pos_ += n.size();
                ErrorCode code{};
                error_from_name(n, code);
                return Error{code};
            }
        }
        fail("unknown error value", start);
    }

    NodePtr array_constant()
    {
        const std::size_t start = pos_++;
        std::vector<std::vector<Value>> rows(1);
        for (;;) {
            skip_blanks();
            const std::size_t item_at = pos_;
            Value item;
            const char16_t c = peek();
            if (c == u'-' || c == u'+') {
                ++pos_;
                skip_blanks();
                if (!is_digit(peek()) && peek() != u'.')
                    fail("expected a number after the sign in an array constant");
                item = number_literal();
                if (c == u'-')
                    item = -item.number();
            } else if (c == u'"' || is_digit(c) || c == u'.' || c == u'#') {
                item = scalar_constant();
            } else if (is_letter(c)) {
                std::u16string word;
                while (is_letter(peek()))
                    word.push_back(s_[pos_++]);
                if (iequals_ascii(word, u"TRUE"))
                    item = true;
                else if (iequals_ascii(word, u"FALSE"))
                    item = false;
                else
                    fail("an array constant holds only numbers, text, TRUE/FALSE and errors", item_at);
            } else {
                fail(at_end() ? "array constant not closed by '}'" : "expected a constant in the array constant", item_at);
            }
            rows.back().push_back(std::move(item));
            skip_blanks();
            if (peek() == u',') {
                ++pos_;
            } else if (peek() == u';') {
                ++pos_;
                rows.emplace_back();
            } else if (peek() == u'}') {
                ++pos_;
                break;
            } else {
                fail(at_end() ? "array constant not closed by '}'" : "expected ',', ';' or '}' in the array constant");
            }
        }
        const std::size_t columns = rows.front().size();
        for (const auto& row : rows)
            if (row.size() != columns)
                fail("the rows of an array constant must have the same length", start);
        Array array(static_cast<int>(rows.size()), static_cast<int>(columns));
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t k = 0; k < columns; ++k)
                array.set(static_cast<int>(r), static_cast<int>(k), std::move(rows[r][k]));
        auto node = make(Node::Kind::constant, start);
        node->value = std::move(array);
        return node;
    }

    // Where an R1C1 axis ("[n]", "[-n]", "n" or nothing) starting at i ends, or npos.
    std::size_t r1c1_axis_end(std::size_t i) const
    {
        if (i < s_.size() && s_[i] == u'[') {
            ++i;
            if (i < s_.size() && s_[i] == u'-')
                ++i;
            const std::size_t digits = i;
            while (i < s_.size() && is_digit(s_[i]))
                ++i;
            return i == digits || i >= s_.size() || s_[i] != u']' ? std::u16string_view::npos : i + 1;
        }
        while (i < s_.size() && is_digit(s_[i]))
            ++i;
        return i;
    }

    // Where an R1C1 cell starting at i ends, or npos.
    std::size_t r1c1_cell_end(std::size_t i) const
    {
        if (i >= s_.size() || (s_[i] != u'R' && s_[i] != u'r'))
            return std::u16string_view::npos;
        i = r1c1_axis_end(i + 1);
        if (i >= s_.size() || (s_[i] != u'C' && s_[i] != u'c'))
            return std::u16string_view::npos;
        return r1c1_axis_end(i + 1);
    }

    CellAddress r1c1_cell(std::size_t start, std::size_t end) const
    {
        auto cell = parse_r1c1_cell(utf16_to_utf8(s_.substr(start, end - start)), *base_);
        if (!cell)
            fail("the reference lies off the sheet", start);
        return *cell;
    }

    // An R1C1 reference at the cursor, when there is a base to read it against.
    NodePtr r1c1_reference()
    {
        const std::size_t start = pos_;
        const std::size_t end = base_ ? r1c1_cell_end(start) : std::u16string_view::npos;
        if (end == std::u16string_view::npos || (end < s_.size() && (is_name_char(s_[end]) || s_[end] == u'(')))
            return nullptr;
        const CellAddress first = r1c1_cell(start, end);
        CellAddress last = first;
        pos_ = end;
        if (peek() == u':') {
            const std::size_t second = pos_ + 1;
            const std::size_t second_end = r1c1_cell_end(second);
            if (second_end == std::u16string_view::npos || (second_end < s_.size() && is_name_char(s_[second_end])))
                fail("expected an R1C1 cell after ':'", second);
            last = r1c1_cell(second, second_end);
            pos_ = second_end;
        }
        auto node = make(Node::Kind::reference, start);
        node->ref = Ref{std::min(first.row, last.row), std::min(first.column, last.column), std::max(first.row, last.row),
                        std::max(first.column, last.column)};
        node->r1c1_length = pos_ - start;
        return node;
    }

    NodePtr name_or_reference()
    {
        if (auto r1c1 = r1c1_reference())
            return r1c1;
        const std::size_t start = pos_;
        while (is_name_char(peek()))
            ++pos_;
        const std::u16string word(s_.substr(start, pos_ - start));
        const std::size_t after_word = pos_;
        skip_blanks();
        if (peek() == u'(') {
            if (word.find(u'$') != std::u16string::npos)
                fail("malformed function name", start);
            return call(word, start);
        }
        pos_ = after_word;
        const std::string ascii_word = utf16_to_utf8(word);
        if (auto first = parse_cell_address(ascii_word)) {
            Ref ref{first->row, first->column, first->row, first->column};
            if (peek() == u'#') { // the spreadsheet's spill reference
                ++pos_;
                auto node = make(Node::Kind::reference, start);
                node->ref = ref;
                node->spill = true;
                return node;
            }
            if (peek() == u':') {
                const std::size_t colon = pos_++;
                const std::size_t second_start = pos_;
                while (is_name_char(peek()))
                    ++pos_;
                auto second = parse_cell_address(utf16_to_utf8(s_.substr(second_start, pos_ - second_start)));
                if (!second)
                    fail("expected a cell address after ':'", colon + 1);
                ref = Ref{std::min(first->row, second->row), std::min(first->column, second->column), std::max(first->row, second->row),
                          std::max(first->column, second->column)};
            }
            auto node = make(Node::Kind::reference, start);
            node->ref = ref;
            return node;
        }
        if (iequals_ascii(word, u"TRUE") || iequals_ascii(word, u"FALSE")) {
            auto node = make(Node::Kind::constant, start);
            node->value = iequals_ascii(word, u"TRUE");
            return node;
        }
        if (word.find(u'$') != std::u16string::npos)
            fail("malformed name '" + ascii_word + "'", start);
        auto node = make(Node::Kind::name, start);
        node->name = ascii_word;
        return node;
    }

    NodePtr call(const std::u16string& name, std::size_t start)
    {
        Nesting level(*this);
        auto node = make(Node::Kind::call, start);
        node->name = utf16_to_utf8(name);
        ++pos_; // '('
        skip_blanks();
        if (peek() == u')') {
            ++pos_;
            return node;
        }
        for (;;) {
            skip_blanks();
            if (peek() == u',' || peek() == u')')
                adopt(*node, make(Node::Kind::omitted, pos_));
            else
                adopt(*node, comparison());
            skip_blanks();
            if (peek() == u',') {
                ++pos_;
                continue;
            }
            if (peek() == u')') {
                ++pos_;
                return node;
            }
            fail(at_end() ? "the formula ends where ')' is expected" : "expected ',' or ')' in the arguments of " + node->name);
        }
    }
};

void collect_r1c1(const Node& node, std::vector<const Node*>& out)
{
    if (node.kind == Node::Kind::reference && node.r1c1_length > 0)
        out.push_back(&node);
    for (const auto& child : node.children)
        collect_r1c1(*child, out);
}

} // namespace

NodePtr parse_formula(std::u16string_view text, std::optional<CellAddress> r1c1_base)
{
    return Parser(text, r1c1_base).parse();
}

NodePtr parse_formula(std::string_view utf8_text, std::optional<CellAddress> r1c1_base)
{
    const auto text = utf8_to_utf16(utf8_text);
    return Parser(text, r1c1_base).parse();
}

std::u16string formula_in_a1_style(std::u16string_view text, const Node& ast)
{
    std::vector<const Node*> references;
    collect_r1c1(ast, references);
    std::sort(references.begin(), references.end(), [](const Node* a, const Node* b) { return a->position < b->position; });
    std::u16string out;
    std::size_t done = 0;
    for (const Node* r : references) {
        const std::size_t start = r->position - 1;
        out.append(text.substr(done, start - done));
        out += utf8_to_utf16(range_name(r->ref));
        done = start + r->r1c1_length;
    }
    out.append(text.substr(done));
    return out;
}

} // namespace zorvane::host
