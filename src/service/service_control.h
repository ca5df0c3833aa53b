// service_control.h - creating, starting, stopping and resetting the ZYN Service through the
// Service Control Manager; a start also attaches to the service's section again and reloads.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "platform/platform.h"

namespace zyn::service {

constexpr int kWaitPasses = 46;
constexpr uint32_t kWaitPollMilliseconds = 1000;
constexpr uint32_t kSettleMilliseconds = 3000; // after an accepted stop and after a completed start

int32_t initService(const char* executablePath);
int32_t startService(core::LibraryState& state);
int32_t stopService(core::LibraryState& state);
int32_t resetService(core::LibraryState& state);

// 0 exactly when one status query succeeds and reports the service stopped; otherwise the
// state less one, or the query's error code.
uint32_t QueryServiceState(platform::Handle service);
int32_t StopServiceAndWait(core::LibraryState& state, platform::Handle service);
int32_t StartServiceAndAttach(core::LibraryState& state, platform::Handle service, platform::Handle manager);

} // namespace zyn::service
