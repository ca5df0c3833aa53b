// service_control.cpp - the service control operations. Every wait and pause goes through the
// platform's sleep; every handle opened here is closed before the operation returns.
#include "service/service_control.h"

#include <optional>
#include <utility>

#include "config/config_paths.h"
#include "config/loader.h"
#include "core/library_state.h"
#include "core/service_status.h"
#include "core/state_lock.h"
#include "exchange/section_attach.h"
#include "platform/scoped_handle.h"
#include "trvzyn32.h"

namespace zyn::service {

using platform::ServiceHandle;

uint32_t QueryServiceState(platform::Handle service) {
    platform::ServiceStatus status;
    uint32_t error = platform::queryServiceStatus(service, status);
    if (error != 0) return error;
    return status.currentState - 1;
}

namespace {

enum class WaitFor { LeavingStopped, Stopped };

// Up to 46 one-second passes on a fresh query handle; true when the awaited state was seen
// before the passes ran out. A failed query counts as "not stopped".
bool waitForService(platform::Handle manager, WaitFor goal) {
    ServiceHandle query(platform::openService(manager, core::kServiceName, platform::kServiceQueryStatus));
    for (int pass = 0; pass < kWaitPasses; ++pass) {
        const bool stopped = QueryServiceState(query.get()) == 0;
        if (stopped == (goal == WaitFor::Stopped)) return true;
        platform::sleepMilliseconds(kWaitPollMilliseconds);
    }
    return false;
}

// -19, 1 or -26 when the operation cannot go on; 0 with the manager open otherwise.
int32_t openManagerForControl(core::LibraryState& state, ServiceHandle& manager) {
    if (core::isServicePresent(state) == 0) return ZYN_E_NOT_INSTALLED;
    if (state.platformIsNt == 0) return ZYN_NO_SCM;
    manager.reset(platform::openServiceManager(platform::kGenericRead));
    return manager ? 0 : ZYN_E_FAILED;
}

} // namespace

int32_t StopServiceAndWait(core::LibraryState& state, platform::Handle service) {
    platform::ServiceStatus status;
    uint32_t error = platform::controlService(service, platform::kServiceControlStop, status);
    if (error == 0) {
        if (status.currentState != platform::kServiceStopped && status.currentState != platform::kServiceStopPending) {
            return ZYN_E_FAILED;
        }
        platform::sleepMilliseconds(kSettleMilliseconds);
        return ZYN_OK;
    }
    if (error != platform::kErrorServiceNotActive) return ZYN_E_FAILED;
    // The service is not running: its section is gone with it, and the next start opens it anew.
    core::replaceState(state, [&] { exchange::detachSection(state); });
    return ZYN_OK;
}

int32_t StartServiceAndAttach(core::LibraryState& state, platform::Handle service, platform::Handle manager) {
    char ignored[config::kConfigPathSize];
    if (!config::configFilePath(ignored)) return ZYN_E_FAILED;
    uint32_t error = platform::startService(service);
    if (error != 0 && error != platform::kErrorServiceAlreadyRunning) return ZYN_E_NOT_RUNNING;
    if (!waitForService(manager, WaitFor::LeavingStopped)) return ZYN_E_FAILED;
    waitForService(manager, WaitFor::LeavingStopped);

    // What to attach is decided in the exclusive step, on what holds then: a view that is mapped
    // stays (another thread's attach may have mapped it meanwhile, and handed out addresses in
    // it), a handle held is mapped through, and only without either is the section opened. The
    // attempts and their pauses run unlocked, and the step is then made again: at most twice.
    exchange::OpenedSection opened;
    bool attempted = false;
    std::optional<int32_t> result;
    while (!result) {
        if (attempted) opened = exchange::openSectionWithRetries();
        result = core::replaceState(state, [&]() -> std::optional<int32_t> {
            if (!exchange::holdsSection(state) && !attempted) return std::nullopt;
            // A path refused at load stays refused: there is no path to declare valid.
            state.configPathValid = state.configPath[0] != '\0' ? 1 : 0;
            if (!exchange::attachSection(state, std::move(opened))) return ZYN_E_FAILED;
            return config::ReloadConfiguration(state, true);
        });
        attempted = true;
    }
    if (*result != ZYN_OK) return *result;
    platform::sleepMilliseconds(kSettleMilliseconds);
    return ZYN_OK;
}

int32_t initService(const char* executablePath) {
    // No path, no service: the manager is not asked to create an entry that could never start.
    if (executablePath == nullptr) return 0;
    ServiceHandle manager(platform::openServiceManager(platform::kScManagerAllAccess));
    if (!manager) return 0;
    ServiceHandle created(platform::createService(manager.get(), core::kServiceName, core::kServiceName,
                                                  platform::kServiceAllAccess, executablePath));
    return created ? 1 : 0;
}

int32_t startService(core::LibraryState& state) {
    ServiceHandle manager;
    if (int32_t refused = openManagerForControl(state, manager); refused != 0) return refused;
    ServiceHandle service(platform::openService(manager.get(), core::kServiceName, platform::kServiceStart));
    if (!service) return ZYN_E_FAILED;
    return StartServiceAndAttach(state, service.get(), manager.get());
}

int32_t stopService(core::LibraryState& state) {
    ServiceHandle manager;
    if (int32_t refused = openManagerForControl(state, manager); refused != 0) return refused;
    ServiceHandle service(platform::openService(manager.get(), core::kServiceName, platform::kServiceStop));
    if (!service) return ZYN_E_FAILED;
    return StopServiceAndWait(state, service.get());
}

int32_t resetService(core::LibraryState& state) {
    ServiceHandle manager;
    if (int32_t refused = openManagerForControl(state, manager); refused != 0) return refused;
    {
        ServiceHandle stopHandle(platform::openService(manager.get(), core::kServiceName, platform::kServiceStop));
        if (!stopHandle) return ZYN_E_FAILED;
        if (int32_t stopped = StopServiceAndWait(state, stopHandle.get()); stopped != ZYN_OK) return stopped;
    }
    // A service that did not stop in time is still started: its start reports "already
    // running" and the reset takes it up again, so the start's result is the reset's.
    waitForService(manager.get(), WaitFor::Stopped);
    ServiceHandle startHandle(platform::openService(manager.get(), core::kServiceName, platform::kServiceStart));
    if (!startHandle) return ZYN_E_FAILED;
    return StartServiceAndAttach(state, startHandle.get(), manager.get());
}

} // namespace zyn::service
