#include "ods/format/data_style.h"

#include <charconv>
#include <string_view>

namespace ods::format {

bool parseCondition(const std::string& condition, StyleMap& map) {
    std::string compact;
    for (const char c : condition)
        if (c != ' ')
            compact.push_back(c);
    constexpr std::string_view prefix = "value()";
    if (!compact.starts_with(prefix))
        return false;
    std::string_view rest = std::string_view(compact).substr(prefix.size());
    struct Operator {
        std::string_view text;
        Comparison comparison;
    };
    constexpr Operator operators[] = {
        {"<=", Comparison::LessEqual}, {">=", Comparison::GreaterEqual},
        {"!=", Comparison::NotEqual},  {"<>", Comparison::NotEqual},
        {"==", Comparison::Equal},     {"<", Comparison::Less},
        {">", Comparison::Greater},    {"=", Comparison::Equal},
    };
    for (const auto& op : operators) {
        if (!rest.starts_with(op.text))
            continue;
        rest.remove_prefix(op.text.size());
        double limit = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), limit);
        // The office compares with 0 where no number follows.
        if (error != std::errc() || end != rest.data() + rest.size())
            limit = 0;
        map.comparison = op.comparison;
        map.limit = limit;
        return true;
    }
    return false;
}

} // namespace ods::format
