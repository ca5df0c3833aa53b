// query_protocol.h - the UDP exchange-list query between the library and the service: the
// request, where the reply carries its count and entries, and the bounds within which the
// library reads it. Counts and entries are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "trvzyn32.h"

namespace zyn::service {

constexpr uint16_t kServiceQueryPort = 21586;
constexpr std::array<uint8_t, 4> kQueryRequest = {7, 1, 0, 0};

// Reply: an 8-byte head, the entry count at offset 8, then 16-byte entries from offset 12, each
// exchange number, exchange id, size and flags as 32-bit words.
constexpr size_t kReplyCountOffset = 8;
constexpr size_t kReplyEntriesOffset = 12;
constexpr size_t kReplyEntrySize = ZYN_SERVICE_ENTRY_SIZE;
// The library's receive buffer holds 1404 bytes: the head and 87 entries.
constexpr size_t kReplyBufferSize = 1404;
constexpr int32_t kMaxReplyEntries = ZYN_SERVICE_MAX_ENTRIES;
static_assert(kMaxReplyEntries == (kReplyBufferSize - kReplyEntriesOffset) / kReplyEntrySize);

} // namespace zyn::service
