// service_status.cpp - the presence and running tests.
#include "core/service_status.h"

#include "core/library_state.h"
#include "platform/scoped_handle.h"
#include "trvzyn32.h"

namespace zyn::core {

namespace {

// Queries until the service is seen running (1) or in any other settled state (0), waiting out
// pending states.
int32_t queryRunning(platform::Handle service) {
    int failedQueries = 0;
    for (;;) {
        platform::ServiceStatus status;
        uint32_t error = platform::queryServiceStatus(service, status);
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

} // namespace

int32_t isServicePresent(LibraryState& state) {
    if (state.platformIsNt == 0) {
        state.servicePresent = 1;
        return 1;
    }
    state.servicePresent = state.serviceManager.openService(kServiceName, platform::kGenericRead) ? 1 : 0;
    return state.servicePresent;
}

int32_t isServiceRunning(LibraryState& state) {
    if (state.platformIsNt == 0) return 1;
    platform::ServiceHandle service = state.serviceManager.openService(kServiceName, platform::kServiceQueryStatus);
    return service ? queryRunning(service.get()) : 0;
}

int32_t checkServiceRunning(LibraryState& state) {
    if (state.platformIsNt == 0) {
        state.servicePresent = 1;
        return ZYN_OK;
    }
    // Read access includes the right to query the status: one handle answers both tests.
    platform::ServiceHandle service = state.serviceManager.openService(kServiceName, platform::kGenericRead);
    state.servicePresent = service ? 1 : 0;
    if (!service) return ZYN_E_NOT_INSTALLED;
    return queryRunning(service.get()) != 0 ? ZYN_OK : ZYN_E_NOT_RUNNING;
}

} // namespace zyn::core
