// service_status.h - whether the ZYN Service is installed and running, asked of the Service
// Control Manager on every call.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"

namespace zyn::core {

constexpr char kServiceName[] = "ZYN Service";
constexpr uint32_t kPendingPollMilliseconds = 3000;
// A status query that fails for another reason than access or handle is tried this often, a
// short pause apart, before the service counts as not running.
constexpr int kStatusQueryAttempts = 10;
constexpr uint32_t kStatusQueryRetryMilliseconds = 100;

int32_t isServicePresent(LibraryState& state);
int32_t isServiceRunning(const LibraryState& state);

} // namespace zyn::core
