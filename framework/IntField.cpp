#include "IntField.h"

namespace pictoma {

std::string RangePrompt(int min, int max) {
    std::string text = kPromptRange;
    auto replace = [&text](std::string_view marker, int value) {
        const std::size_t at = text.find(marker);
        if (at != std::string::npos) text.replace(at, marker.size(), std::to_string(value));
    };
    replace("%1", min);
    replace("%2", max);
    return text;
}

std::optional<long long> ParseWholeNumber(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    bool signed_ = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        signed_ = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;

    // Accumulate with a ceiling, so that a long run of digits is "out of range", not an overflow.
    constexpr long long kCeiling = 1LL << 40;
    long long magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        if (magnitude < kCeiling) magnitude = magnitude * 10 + (c - '0');
    }
    // A zero must be written starting with the digit 0: "-0" and "+0" are not integers here.
    if (magnitude == 0 && signed_) return std::nullopt;
    return negative ? -magnitude : magnitude;
}

IntFieldResult ParseIntField(std::string_view text, int min, int max) {
    const std::optional<long long> value = ParseWholeNumber(text);
    if (!value) return FieldPrompt{kPromptInteger};
    if (*value < min || *value > max) return FieldPrompt{RangePrompt(min, max)};
    return int(*value);
}

}  // namespace pictoma
