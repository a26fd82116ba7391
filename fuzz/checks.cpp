#include "fuzz/checks.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool AllDigits(const std::string& s, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// Digits, a comma, then exactly `decimals` digits; no leading zero before the
// comma unless it is the only digit there.
bool IsFixed(const std::string& s, std::size_t from, std::size_t decimals) {
    const std::size_t comma = s.find(',', from);
    if (comma == std::string::npos || s.size() - comma - 1 != decimals) return false;
    if (!AllDigits(s, from, comma) || !AllDigits(s, comma + 1, s.size())) return false;
    return !(comma - from > 1 && s[from] == '0');
}

}  // namespace

void Fail(const std::string& what) {
    std::fprintf(stderr, "\n*** broken invariant: %s\n", what.c_str());
    std::abort();
}

std::string ExpectedVoltage(int count) {
    const long long thousandths = (static_cast<long long>(count) * 625 + 64) / 128;
    char text[32];
    std::snprintf(text, sizeof text, "%lld,%03lld", thousandths / 1000, thousandths % 1000);
    return text;
}

bool IsVoltage(const std::string& text) {
    return IsFixed(text, 0, 3);
}

bool IsOpticalDepth(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    return IsFixed(text, negative ? 1 : 0, 2);
}

bool IsTemperature(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t from = negative ? 1 : 0;
    if (!AllDigits(text, from, text.size())) return false;
    if (text == "0") return true;
    return text[from] != '0';
}
