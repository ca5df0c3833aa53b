// service_query.h - asking the running service for its exchange list over UDP.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/library_state_fwd.h"
#include "service/query_protocol.h"

namespace zyn::service {

// A lost request or reply must not hold the caller for ever; no retry follows.
constexpr uint32_t kReplyTimeoutMilliseconds = 2000;

// The exchange count the service reports, or -19, -21, -24.
int32_t exchangeCountFromService(core::LibraryState& state);
// Copies count x 16 bytes of entries to `entries`: 3, or -11, -19, -21, -24.
int32_t exchangesFromService(core::LibraryState& state, void* entries);

} // namespace zyn::service
