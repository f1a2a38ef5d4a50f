// The host's formula reader: any text either parses into a tree whose nodes lie inside the text
// or fails with a FormulaError naming a position; nothing else may happen. The first byte picks
// A1 or R1C1 reading (and the base cell), the rest is the formula as UTF-8.
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "host/engine/errors.h"
#include "host/engine/formula_parser.h"
#include "host/engine/utf.h"

using namespace zorvane::host;

namespace {

int check(const Node& node, size_t length)
{
    fuzz::expect(node.position >= 1 && node.position <= length + 1);
    int deepest = 0;
    for (const auto& child : node.children) {
        fuzz::expect(child != nullptr);
        int d = check(*child, length);
        if (d > deepest)
            deepest = d;
    }
    fuzz::expect(node.depth == deepest + 1);
    return deepest + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    std::string_view utf8(reinterpret_cast<const char*>(data + 1), size - 1);
    std::optional<CellAddress> base;
    if (mode & 1)
        base = CellAddress{(mode >> 1) & 7 ? 1048575 : 0, (mode >> 4) & 7 ? 16383 : 0};
    try {
        NodePtr tree = parse_formula(utf8, base);
        fuzz::expect(tree != nullptr);
        std::u16string text = utf8_to_utf16(utf8);
        check(*tree, text.size());
        if (base)
            formula_in_a1_style(text, *tree);
    }
    catch (const FormulaError& e) {
        fuzz::expect(e.position >= 1);
    }
    return 0;
}
