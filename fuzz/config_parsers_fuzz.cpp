// config_parsers_fuzz.cpp - libFuzzer target for the zyn.ini syntax: arbitrary bytes, cut into
// lines and into 127-character pieces as the reader sees them, go through the header key lookup,
// the header line interpreter, the definition line classifier and parser (under several limit
// pairs) and the decimal conversion, and every result is checked against its invariants.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "config/definition_line.h"
#include "config/header_keys.h"
#include "config/page_layout.h"
#include "config/service_params.h"
#include "config/text.h"

namespace {

using namespace zyn::config;

[[noreturn]] void fail(const char* what, std::string_view input) {
    std::fprintf(stderr, "invariant broken: %s\ninput line (%zu bytes): \"", what, input.size());
    for (unsigned char c : input) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02X", c);
        }
    }
    std::fputs("\"\n", stderr);
    std::abort();
}

#define CHECK(condition, input)                                                                                        \
    do {                                                                                                               \
        if (!(condition)) fail(#condition, input);                                                                     \
    } while (0)

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A text field holds at most `capacity` - 1 characters, no lower-case ASCII letter when
// `upper`, and zero bytes from its terminator to its end.
bool wellFormedField(const char* field, size_t capacity, bool upper) {
    const void* end = std::memchr(field, '\0', capacity);
    if (end == nullptr) return false;
    size_t length = static_cast<size_t>(static_cast<const char*>(end) - field);
    for (size_t i = 0; i < length; ++i) {
        if (upper && field[i] >= 'a' && field[i] <= 'z') return false;
    }
    for (size_t i = length; i < capacity; ++i) {
        if (field[i] != '\0') return false;
    }
    return true;
}

void checkDecimal(std::string_view piece) {
    const int64_t value = decimalValue(piece);
    CHECK(value <= kDecimalLimit && value >= -kDecimalLimit, piece);
    const int32_t narrow = decimalToInt32(piece);
    CHECK(narrow == (value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value), piece);
    // Where the C library's conversion neither overflows nor leaves the exact range, both agree.
    std::string text(piece);
    if (text.find('\0') == std::string::npos) {
        errno = 0;
        char* end = nullptr;
        long long reference = std::strtoll(text.c_str(), &end, 10);
        if (errno == 0 && reference < kDecimalLimit && reference > -kDecimalLimit) CHECK(value == reference, piece);
    }
    const int64_t hex = hexadecimalValue(piece);
    CHECK(hex >= -1, piece);
}

void checkHeaderKey(std::string_view piece) {
    std::string_view rest = piece;
    std::string_view key = nextToken(rest, kHeaderSeparators);
    const int code = headerKeyCode(key);
    if (code != kKeyNone) {
        // A code is only ever read from inside the table, for a key that occurs in it.
        CHECK(code >= 0, piece);
        CHECK(!key.empty() && kKeyTable.find(key) != std::string_view::npos, piece);
    }
}

void checkHeaderLine(ServiceParams& params, std::string_view piece) {
    const uint32_t before = params.multicastCount;
    const ServiceParams copy = params;
    const HeaderLine result = applyHeaderLine(params, piece);
    CHECK(params.multicastCount <= static_cast<uint32_t>(kMulticastEntries), piece);
    CHECK(params.multicastCount == before || params.multicastCount == before + 1, piece);
    for (uint32_t i = 0; i < params.multicastCount; ++i) {
        CHECK(std::memchr(params.multicast[i], '\0', kMulticastTextSize) != nullptr, piece);
    }
    // The line's first token, upper-cased, decides whether the header ends.
    std::string_view rest = piece;
    std::string key(nextToken(rest, kHeaderSeparators));
    for (char& c : key)
        c = upperAscii(c);
    const bool marker = !key.empty() && key.size() <= 127 && headerKeyCode(key) == kKeyEndOfHeader;
    CHECK((result == HeaderLine::EndOfHeader) == marker, piece);
    if (marker) CHECK(std::memcmp(&copy, &params, sizeof params) == 0, piece);
    // At most one parameter changes per line.
    int changed = (copy.maxExchangeSize != params.maxExchangeSize) +
                  (copy.maxStaticExchanges != params.maxStaticExchanges) +
                  (copy.maxDynamicExchanges != params.maxDynamicExchanges) + (copy.exchMap != params.exchMap) +
                  (copy.multicastCount != params.multicastCount);
    CHECK(changed <= 1, piece);
}

void checkDefinitionLine(std::string_view piece) {
    const DefinitionLineKind kind = classifyDefinitionLine(piece);
    size_t first = 0;
    while (first < piece.size() && isSpace(piece[first]))
        ++first;
    const DefinitionLineKind expected = first == piece.size()                        ? DefinitionLineKind::Ignored
                                        : piece[first] == '#'                        ? DefinitionLineKind::Comment
                                        : piece[first] >= '0' && piece[first] <= '9' ? DefinitionLineKind::Counted
                                                                                     : DefinitionLineKind::Ignored;
    CHECK(kind == expected, piece);

    static constexpr DefinitionLimits kLimits[] = {
        {512, 1024}, {1, 1}, {0, 0}, {-1, -1}, {0x3FFFFFFF, INT32_MAX}, {INT32_MAX, -1}, {10, 100},
    };
    for (const DefinitionLimits& limits : kLimits) {
        ExchangeDef record;
        std::memset(&record, 0xCC, sizeof record);
        if (!parseDefinitionLine(piece, limits, record)) continue;
        CHECK(record.exchangeNumber >= 1 && record.exchangeNumber <= limits.maxStaticExchanges, piece);
        CHECK(record.size >= 1 && record.size <= static_cast<uint32_t>(limits.maxExchangeSize), piece);
        CHECK(record.thirdNumber >= 1 && record.thirdNumber <= kMaxThirdNumber, piece);
        CHECK(wellFormedField(record.producer, sizeof record.producer, true), piece);
        CHECK(wellFormedField(record.destination, sizeof record.destination, true), piece);
        CHECK(record.producer[0] != '\0' && record.destination[0] != '\0', piece);
        CHECK((record.flags & ZYN_FLAG_MUTEX) != 0, piece);
        CHECK((record.flags & ~(ZYN_FLAG_MUTEX | ZYN_FLAG_T | ZYN_FLAG_S)) == 0, piece);
        CHECK(record.reserved == 0, piece);
        // The same line under the same limits always gives the same record.
        ExchangeDef again;
        CHECK(parseDefinitionLine(piece, limits, again), piece);
        CHECK(std::memcmp(&again, &record, sizeof record) == 0, piece);
    }
}

void checkMutexName(std::string_view piece) {
    const int32_t number = decimalToInt32(piece);
    char name[kMutexNameSize];
    formatExchangeMutexName(name, number);
    CHECK(std::memchr(name, '\0', sizeof name) != nullptr, piece);
    CHECK(std::strncmp(name, "ZYN_MAP_1-", 10) == 0, piece);
    CHECK(std::strlen(name) >= 15, piece);
}

void checkPiece(ServiceParams& params, std::string_view piece) {
    // The readers hand the parsers NUL-terminated lines: a zero byte ends the line there.
    piece = piece.substr(0, piece.find('\0'));
    checkDecimal(piece);
    checkHeaderKey(piece);
    checkHeaderLine(params, piece);
    checkDefinitionLine(piece);
    checkMutexName(piece);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ServiceParams params;
    size_t start = 0;
    while (start < input.size()) {
        size_t newline = input.find('\n', start);
        size_t end = newline == std::string_view::npos ? input.size() : newline + 1;
        const std::string_view line = input.substr(start, end - start);
        // The whole line, then the pieces of at most 127 characters the reader would see.
        checkPiece(params, line);
        if (line.size() > 127) {
            for (size_t at = 0; at < line.size(); at += 127)
                checkPiece(params, line.substr(at, 127));
        }
        start = end;
    }
    return 0;
}
