// text.cpp - decimal and hexadecimal conversion, tokens and case for zyn.ini and exchange names.
#include "config/text.h"

#include <cstring>

namespace zyn::config {

bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int64_t decimalValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < kDecimalLimit) value = value * 10 + (text[i] - '0');
    }
    if (value > kDecimalLimit) value = kDecimalLimit;
    return negative ? -value : value;
}

int32_t decimalToInt32(std::string_view text) {
    int64_t value = decimalValue(text);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int64_t hexadecimalValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    int64_t value = -1;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) break;
        value = value < 0 ? digit : value < kDecimalLimit ? value * 16 + digit : value;
    }
    return value;
}

std::string_view nextToken(std::string_view& rest, std::string_view separators) {
    size_t start = rest.find_first_not_of(separators);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    size_t end = rest.find_first_of(separators, start);
    std::string_view token = subview(rest, start, end == std::string_view::npos ? std::string_view::npos : end - start);
    rest = end == std::string_view::npos ? std::string_view{} : subview(rest, end + 1);
    return token;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void upperAscii(char* text) {
    for (; *text != '\0'; ++text)
        *text = upperAscii(*text);
}

bool copyToField(char* field, size_t capacity, std::string_view text) {
    if (text.size() >= capacity) return false;
    std::memcpy(field, text.data(), text.size());
    std::memset(field + text.size(), 0, capacity - text.size());
    return true;
}

size_t boundedLength(const char* text, size_t capacity) {
    const void* end = std::memchr(text, '\0', capacity);
    return end == nullptr ? capacity : static_cast<size_t>(static_cast<const char*>(end) - text);
}

} // namespace zyn::config
