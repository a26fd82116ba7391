#include "platform/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace {

// The number of fractional decimal digits of the exact value: a binary
// fraction of k bits has exactly k decimal digits.
int ChiffresExacts(long double value) {
    long double fraction = value - std::trunc(value);
    int digits = 0;
    while (fraction != 0) {
        fraction *= 2;
        fraction -= std::trunc(fraction);
        ++digits;
    }
    return digits;
}

bool EstBlanc(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SansBlancs(std::string_view text) {
    while (!text.empty() && EstBlanc(text.front())) text.remove_prefix(1);
    while (!text.empty() && EstBlanc(text.back())) text.remove_suffix(1);
    return text;
}

bool EstChiffre(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatFixeEtendu(long double value, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (decimals < 0) decimals = 0;

    // Every digit of the exact value, so that the digit after the last one
    // kept decides the rounding on its own: 5 or more is at least halfway.
    const long double magnitude = std::fabs(value);
    const int precision = std::max(ChiffresExacts(magnitude), decimals + 1);
    int exponent = 0;
    std::frexp(magnitude, &exponent);
    std::string buffer(static_cast<size_t>(std::max(exponent, 1) / 3 + 2 + 1 + precision), '\0');
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                       std::chars_format::fixed, precision);
    buffer.resize(static_cast<size_t>(written.ptr - buffer.data()));

    const size_t point = buffer.find('.');
    std::string digits = buffer.substr(0, point) + buffer.substr(point + 1, decimals);
    const bool roundUp = buffer[point + 1 + static_cast<size_t>(decimals)] >= '5';
    if (roundUp) {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }

    const size_t integerLength = digits.size() - static_cast<size_t>(decimals);
    std::string text;
    if (std::signbit(value) && digits.find_first_not_of('0') != std::string::npos) text = "-";
    text += digits.substr(0, integerLength);
    if (decimals > 0) text += "," + digits.substr(integerLength);
    return text;
}

std::string FormatFixe(double value, int decimals) {
    return FormatFixeEtendu(value, decimals);
}

std::string TexteEntier(long long value) {
    return std::to_string(value);
}

long long StrToInt(const std::string& text) {
    const std::string_view s = SansBlancs(text);
    // from_chars takes no leading '+'.
    const size_t start = !s.empty() && s.front() == '+' ? 1 : 0;
    const std::string_view number = s.substr(start);
    long long value = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, 10);
    const bool digitFirst =
        !number.empty() && (EstChiffre(number.front()) || (start == 0 && number.front() == '-'));
    if (!digitFirst || error != std::errc{} || end != number.data() + number.size())
        throw EConvertError("'" + text + "' n'est pas une valeur entière correcte");
    return value;
}

double StrToFloat(const std::string& text) {
    const auto invalide = [&text] {
        return EConvertError("'" + text + "' n'est pas une valeur en virgule flottante correcte");
    };
    const std::string_view s = SansBlancs(text);

    // Checked here and rewritten with a full stop for from_chars, which
    // follows no locale.
    std::string normalised;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') normalised += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < s.size() && EstChiffre(s[i]); ++i, ++mantissaDigits) normalised += s[i];
    if (i < s.size() && s[i] == ',') {
        normalised += '.';
        for (++i; i < s.size() && EstChiffre(s[i]); ++i, ++mantissaDigits) normalised += s[i];
    }
    if (mantissaDigits == 0) throw invalide();
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normalised += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) normalised += s[i++];
        int exponentDigits = 0;
        for (; i < s.size() && EstChiffre(s[i]); ++i, ++exponentDigits) normalised += s[i];
        if (exponentDigits == 0) throw invalide();
    }
    if (i != s.size()) throw invalide();

    double value = 0;
    const auto [end, error] =
        std::from_chars(normalised.data(), normalised.data() + normalised.size(), value);
    if (error != std::errc{} || end != normalised.data() + normalised.size() ||
        !std::isfinite(value))
        throw invalide();
    return value;
}
