#include "engine/text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>

int Int(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<int>::max();
    if (x <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}

double Sin(double degrees) {
    return std::sin(degrees * std::numbers::pi / 180.0);
}
double Cos(double degrees) {
    return std::cos(degrees * std::numbers::pi / 180.0);
}
double ATan2(double y, double x) {
    return std::atan2(y, x) * 180.0 / std::numbers::pi;
}
double Sqr(double x) {
    return std::sqrt(x);
}
int Sgn(double x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}
double Floor(double x) {
    return std::floor(x);
}

std::string Upper(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

int ToInt(const std::string& text) {
    int value = 0;
    ReadInt(text, value);
    return value;
}

bool ReadInt(const std::string& text, int& result) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    std::uint64_t value = 0;
    bool overflow = false;
    const std::size_t first = i;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > 0xffffffffu) {
            overflow = true;
            value &= 0xffffffffu;
        }
    }
    if (base != 10) {
        // Hex and binary are bit patterns: "$FFFFFFFF" is -1.
        auto bits = static_cast<std::uint32_t>(value);
        if (negative) bits = 0u - bits;
        result = static_cast<int>(bits);
    } else if (overflow || value > (negative ? 2147483648u : 2147483647u)) {
        // A decimal number too large for an int saturates rather than wrapping to nonsense.
        result = negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    } else {
        result = negative ? static_cast<int>(-static_cast<std::int64_t>(value))
                          : static_cast<int>(value);
    }
    return i > first;
}

double ToDouble(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return 0.0;
    return v;
}

std::string FromInt(int value) {
    return std::to_string(value);
}
