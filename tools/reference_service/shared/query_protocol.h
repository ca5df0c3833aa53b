// query_protocol.h - the UDP exchange-list query that the service answers: the request the
// library sends and the offsets of the reply it reads. Counts and entries are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zyn::reference {

constexpr uint16_t kQueryPort = 21586;
constexpr std::array<uint8_t, 4> kQueryRequest = {7, 1, 0, 0};

// Reply: an 8-byte head, the entry count at offset 8, then 16-byte entries from offset 12, each
// exchange number, exchange id, size and flags as 32-bit words.
constexpr std::array<uint8_t, 8> kReplyHead = {7, 1, 0, 0, 1, 0, 0, 0};
constexpr size_t kReplyCountOffset = 8;
constexpr size_t kReplyEntriesOffset = 12;
constexpr size_t kReplyEntrySize = 16;
// The library's receive buffer holds 1404 bytes: the head and 87 entries.
constexpr size_t kReplyMaxEntries = 87;
constexpr size_t kReplyCapacity = kReplyEntriesOffset + kReplyMaxEntries * kReplyEntrySize;
// Larger than the library's receive buffer, and than an Ethernet frame's payload.
constexpr size_t kOversizeReplyBytes = 1500;

} // namespace zyn::reference
