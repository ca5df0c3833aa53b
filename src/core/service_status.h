// service_status.h - whether the ZYN Service is installed and running, asked of the Service
// Control Manager on every call, through the manager handle the library keeps.
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
int32_t isServiceRunning(LibraryState& state);

// The presence test and then the running test, as one operation that needs the running service
// makes them, answered from one opening of the service: ZYN_OK, ZYN_E_NOT_INSTALLED or
// ZYN_E_NOT_RUNNING, exactly as the two tests one after the other would answer.
int32_t checkServiceRunning(LibraryState& state);

} // namespace zyn::core
