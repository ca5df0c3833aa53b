// text.h - the small text conversions shared by every reader of zyn.ini and of exchange names.
#pragma once

#include <cstdint>
#include <string_view>

namespace zyn::config {

// Values whose magnitude passes this are kept at it, so no conversion overflows and a value
// that does not fit in 32 bits stays recognisably out of every 32-bit range.
constexpr int64_t kDecimalLimit = int64_t{1} << 40;

// The part of `text` from `position` (at most `count` characters), empty when `position` lies
// beyond it. Unlike substr it never throws: the library is built without exceptions.
constexpr std::string_view subview(std::string_view text, size_t position, size_t count = std::string_view::npos) {
    if (position >= text.size()) return {};
    return {text.data() + position, count < text.size() - position ? count : text.size() - position};
}

// Leading white space skipped, an optional sign, then the digits up to the first other
// character; 0 without digits.
int64_t decimalValue(std::string_view text);

// The decimal value brought into a 32-bit field: values beyond the signed 32-bit range are held
// at its ends, then the bits are taken as the field's type.
int32_t decimalToInt32(std::string_view text);

// Leading white space skipped, then hexadecimal digits of either case; -1 when there are none.
int64_t hexadecimalValue(std::string_view text);

// Splits as strtok does: skips leading separators, returns the text up to the next separator
// (empty when none is left) and moves `rest` past that separator.
std::string_view nextToken(std::string_view& rest, std::string_view separators);

// Upper-cases the ASCII letters a to z in place; every other byte stays.
void upperAscii(char* text);
char upperAscii(char c);

bool isCSpace(char c); // space, \t, \n, \v, \f, \r

// Copies `text` into a NUL-terminated field of `capacity` bytes, zero-filling the rest.
// False (and nothing written) when it does not fit with its terminator.
bool copyToField(char* field, size_t capacity, std::string_view text);

// The length of a NUL-terminated text within at most `capacity` bytes; capacity when unterminated.
size_t boundedLength(const char* text, size_t capacity);

} // namespace zyn::config
