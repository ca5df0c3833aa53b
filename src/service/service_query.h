// service_query.h - asking the running service for its exchange list over UDP.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zyn::core {
struct LibraryState;
}

namespace zyn::service {

constexpr uint16_t kServiceQueryPort = 21586;
constexpr size_t kReplyBufferSize = 1404;
constexpr size_t kReplyCountOffset = 8;
constexpr size_t kReplyEntriesOffset = 12;
constexpr size_t kReplyEntrySize = 16;
constexpr int32_t kMaxReplyEntries = 87; // (1404 - 12) / 16
// A lost request or reply must not hold the caller for ever; no retry follows.
constexpr uint32_t kReplyTimeoutMilliseconds = 2000;

// The exchange count the service reports, or -19, -21, -24.
int32_t exchangeCountFromService(core::LibraryState& state);
// Copies count x 16 bytes of entries to `entries`: 3, or -11, -19, -21, -24.
int32_t exchangesFromService(core::LibraryState& state, void* entries);

} // namespace zyn::service
