// page_pattern.h - what the reference service writes into each exchange page and status byte of
// "ZYN_MAP_1", so that tests can tell every byte's origin: a page read at the wrong offset, or
// the page of another exchange, shows as a mismatch.
//
// Page header (32 bytes, little-endian):
//   0-3   'Z','Y','N','P'
//   4-7   exchange number      8-11  size
//   12-19 0 (the two words that writers of the exchange own)
//   20-23 exchange id          24-27 table position      28-31 0
// Data byte k:  (uint8_t)(exchange number * 31 + k)
// Status byte:  1 for an odd exchange number, 0 for an even one
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace zyn::reference {

constexpr size_t kPatternHeaderSize = 32;
constexpr std::array<uint8_t, 4> kPageMagic = {'Z', 'Y', 'N', 'P'};

namespace detail {
inline void storeLittleEndian32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace detail

inline std::array<uint8_t, kPatternHeaderSize> patternHeader(int32_t exchangeNumber, uint32_t size, int32_t exchangeId,
                                                             int32_t tablePosition) {
    std::array<uint8_t, kPatternHeaderSize> header{};
    std::memcpy(header.data(), kPageMagic.data(), kPageMagic.size());
    detail::storeLittleEndian32(header.data() + 4, static_cast<uint32_t>(exchangeNumber));
    detail::storeLittleEndian32(header.data() + 8, size);
    detail::storeLittleEndian32(header.data() + 20, static_cast<uint32_t>(exchangeId));
    detail::storeLittleEndian32(header.data() + 24, static_cast<uint32_t>(tablePosition));
    return header;
}

// Computed in unsigned arithmetic: the byte wraps, the multiplication must not overflow.
inline uint8_t patternDataByte(int32_t exchangeNumber, uint32_t k) {
    return static_cast<uint8_t>(static_cast<uint32_t>(exchangeNumber) * 31u + k);
}

inline uint8_t patternStatusByte(int32_t exchangeNumber) {
    return (static_cast<uint32_t>(exchangeNumber) & 1u) != 0 ? 1 : 0;
}

} // namespace zyn::reference
