// service_status.cpp - the presence and running tests.
#include "core/service_status.h"

#include "core/library_state.h"
#include "platform/scoped_handle.h"

namespace zyn::core {

int32_t isServicePresent(LibraryState& state) {
    if (state.platformIsNt == 0) {
        state.servicePresent = 1;
        return 1;
    }
    state.servicePresent = 0;
    platform::ServiceHandle manager(platform::openServiceManager(platform::kGenericRead));
    if (!manager) return 0;
    platform::ServiceHandle service(platform::openService(manager.get(), kServiceName, platform::kGenericRead));
    if (service) state.servicePresent = 1;
    return state.servicePresent;
}

int32_t isServiceRunning(const LibraryState& state) {
    if (state.platformIsNt == 0) return 1;
    platform::ServiceHandle manager(platform::openServiceManager(platform::kGenericRead));
    if (!manager) return 0;
    platform::ServiceHandle service(platform::openService(manager.get(), kServiceName, platform::kServiceQueryStatus));
    if (!service) return 0;

    int failedQueries = 0;
    for (;;) {
        platform::ServiceStatus status;
        uint32_t error = platform::queryServiceStatus(service.get(), status);
        if (error != 0) {
            if (error == platform::kErrorAccessDenied || error == platform::kErrorInvalidHandle) return 0;
            if (++failedQueries >= kStatusQueryAttempts) return 0;
            platform::sleepMilliseconds(kStatusQueryRetryMilliseconds);
            continue;
        }
        switch (status.currentState) {
        case platform::kServiceRunning: return 1;
        case platform::kServiceStartPending:
        case platform::kServiceStopPending:
        case platform::kServiceContinuePending:
        case platform::kServicePausePending: platform::sleepMilliseconds(kPendingPollMilliseconds); break;
        default: return 0; // stopped, paused, or a state the system does not define
        }
    }
}

} // namespace zyn::core
