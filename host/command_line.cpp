#include "host/command_line.h"

#include <charconv>
#include <cmath>
#include <string>

namespace orvalis {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

char ModeLetter(std::string_view commandLine) {
    return commandLine.size() < 2 ? '\0' : UpperAscii(commandLine[1]);
}

HostMode ModeOf(std::string_view commandLine) {
    if (commandLine.empty()) return HostMode::SaverShowCursor;
    switch (ModeLetter(commandLine)) {
        case 'P':
            return HostMode::Preview;
        case 'C':
            return HostMode::Configure;
        case 'S':
            return HostMode::Saver;
        default:
            return HostMode::Unrecognised;
    }
}

bool ReadLeadingNumber(std::string_view text, double& value) {
    // Blanks never end the number, so take them all out first.
    std::string s;
    for (char c : text) {
        if (!IsIgnoredBlank(c)) s += c;
    }
    size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const size_t mantissaStart = i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    std::string number(negative ? 1 : 0, '-');
    number.append(s, mantissaStart, i - mantissaStart);
    // An exponent (E or D) counts only with at least one digit: "12e" reads as 12.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        const size_t exponentDigits = j;
        while (j < s.size() && IsDigit(s[j])) exponent += s[j++];
        if (j > exponentDigits) number += exponent;
    }
    double parsed = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

uint32_t PreviewParentHandle(std::string_view commandLine) {
    if (commandLine.size() < 4) return 0;
    double value = 0.0;
    if (!ReadLeadingNumber(commandLine.substr(3), value)) return 0;
    const double rounded = std::nearbyint(value);  // the default rounding mode sends halves to even
    if (rounded < -2147483648.0 || rounded > 4294967295.0) return 0;
    if (rounded < 0) return static_cast<uint32_t>(static_cast<int32_t>(rounded));
    return static_cast<uint32_t>(rounded);
}

}  // namespace orvalis
