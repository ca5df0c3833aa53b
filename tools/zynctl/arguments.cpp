// arguments.cpp - parsing numbers, hex strings and texts of the command line.
#include "arguments.h"

#include "documented_bounds.h"
#include "trvzyn32.h"

namespace zynctl {

namespace {

// Strict on purpose: CLI11's own conversion reads a leading 0 as octal and skips blanks.
std::optional<uint64_t> parseMagnitude(std::string_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > (uint64_t{1} << 32)) return std::nullopt; // beyond every 32-bit range already
    }
    return value;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void reject(const std::string& name, const std::string& why) { throw CLI::ValidationError(name, why); }

} // namespace

std::optional<uint32_t> parseUnsigned32(std::string_view text) {
    std::optional<uint64_t> value = parseMagnitude(text);
    if (!value || *value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    return static_cast<uint32_t>(*value);
}

std::optional<int32_t> parseSigned32(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    std::optional<uint64_t> value = parseMagnitude(text);
    const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (!value || *value > limit) return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(*value) : static_cast<int64_t>(*value));
}

uint32_t checkedUnsigned(const std::string& name, const std::string& text, uint32_t min, uint32_t max) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    std::optional<uint32_t> value = parseUnsigned32(text);
    if (!value) reject(name, "'" + text + "' is not a number from " + range + " (decimal, or hex after 0x)");
    if (*value < min || *value > max) reject(name, text + " is out of range (" + range + ")");
    return *value;
}

int32_t checkedSigned(const std::string& name, const std::string& text) {
    std::optional<int32_t> value = parseSigned32(text);
    if (!value) reject(name, "'" + text + "' is not a signed 32-bit number (decimal, or hex after 0x)");
    return *value;
}

std::vector<uint8_t> checkedHexBytes(const std::string& name, const std::string& text) {
    if (text.size() % 2 != 0) reject(name, "'" + text + "' has an odd number of hex digits");
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            reject(name, "'" + text + "': character " + std::to_string(high < 0 ? i + 1 : i + 2) + " is no hex digit");
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string checkedFieldText(const std::string& name, const std::string& text) {
    if (std::optional<std::string> fault = fieldTextFault(text)) reject(name, *fault);
    return text;
}

std::string checkedExchangeName(const std::string& text) {
    if (text.empty()) reject("NAME", "must not be empty");
    if (text.size() >= ZYN_EXCHANGE_NAME_SIZE)
        reject("NAME",
               "is longer than the " + std::to_string(ZYN_EXCHANGE_NAME_SIZE - 1) + " characters the record holds");
    return text;
}

} // namespace zynctl
