// exports.cpp - the exported ZYN_ functions: argument checks and calls into the subsystems.
// Nothing may leave them as an exception. This is the one gate of every call: here the load
// sequence runs once, before the first call that needs the state, and here the calls that read
// the state hold the state lock shared. The calls that replace state hold it alone, through
// core::replaceState, around their replacing steps only (core/state_lock.h has the lock order).
#include <cstring>

#include "config/editing.h"
#include "config/parameters.h"
#include "config/queries.h"
#include "core/library_state.h"
#include "core/lifecycle.h"
#include "core/registry_settings.h"
#include "core/service_status.h"
#include "core/state_lock.h"
#include "exchange/admission.h"
#include "exchange/data_access.h"
#include "exchange/exchange_batch.h"
#include "service/service_control.h"
#include "service/service_query.h"
#include "trvzyn32.h"

namespace {

using zyn::core::LibraryState;
using zyn::core::replaceState;
using zyn::core::SharedStateLock;

// The state, filled by the load sequence if this is the first call that needs it.
LibraryState& started() {
    LibraryState& state = zyn::core::libraryState();
    zyn::core::startOnce(state);
    return state;
}

} // namespace

extern "C" {

// Loads, so that an application can choose when the waiting of the load happens.
int32_t ZYN_CALL ZYN_Init(void) noexcept {
    started();
    return 0;
}

// The status tests read only what the load set once and the kept manager handle, which threads
// share without a lock: a pending service's polls hold up no other call.
int32_t ZYN_CALL ZYN_IsServicePresent(void) noexcept { return zyn::core::isServicePresent(started()); }

int32_t ZYN_CALL ZYN_IsServiceRunning(void) noexcept { return zyn::core::isServiceRunning(started()); }

// ---- registry settings

int32_t ZYN_CALL ZYN_ThirdPartyAppsAllowed(void) noexcept { return zyn::core::thirdPartyAppsAllowed(); }

int32_t ZYN_CALL ZYN_GetMaxExchangeSize(void) noexcept { return zyn::core::maxExchangeSizeSetting(); }

// ---- configuration queries

int32_t ZYN_CALL ZYN_GetNumberOfExchangesFromConfigFile(void) noexcept {
    LibraryState& state = started();
    SharedStateLock held(state);
    return static_cast<int32_t>(state.exchangeCount);
}

int32_t ZYN_CALL ZYN_GetAllExchangesFromConfigFile(ExchangeDef* exchanges) noexcept {
    LibraryState& state = started();
    SharedStateLock held(state);
    return zyn::config::copyAllExchanges(state, exchanges);
}

void ZYN_CALL ZYN_GetStaticExchangeParams(const char* exchangeName, ExchangeDef* definition) noexcept {
    if (definition == nullptr) return;
    if (exchangeName == nullptr) {
        std::memset(definition, 0, sizeof *definition);
        return;
    }
    LibraryState& state = started();
    SharedStateLock held(state);
    zyn::config::lookupExchange(state, exchangeName, *definition);
}

int32_t ZYN_CALL ZYN_GetLocallyConsumedExchangesFromConfigFile(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetLocallyProducedExchangesFromConfigFile(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyProducedExchangesFromConfigFile(int32_t, int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyConsumedExchangesFromConfigFile(int32_t, int32_t) noexcept { return 0; }

// ---- static exchange editing
// An edit's checks, its rewrite of zyn.ini and its reload are one step: a check made under a
// hold let go before the rewrite could be stale by then. It waits for no service, only perhaps
// briefly for "__ZYN_INIFILE".

int32_t ZYN_CALL ZYN_AddStaticExchange(ExchangeDef definition) noexcept {
    LibraryState& state = started();
    return replaceState(state, [&] { return zyn::config::addStaticExchange(state, definition); });
}

int32_t ZYN_CALL ZYN_DeleteStaticExchange(char* exchangeName) noexcept {
    LibraryState& state = started();
    return replaceState(state, [&] { return zyn::config::deleteStaticExchange(state, exchangeName); });
}

int32_t ZYN_CALL ZYN_ChangeStaticExchangeParams(ExchangeDef definition) noexcept {
    LibraryState& state = started();
    return replaceState(state, [&] { return zyn::config::changeStaticExchangeParams(state, definition); });
}

// ---- service parameters

int32_t ZYN_CALL ZYN_GetServiceConfigParams(ServiceConfigParams* params) noexcept {
    LibraryState& state = started();
    SharedStateLock held(state);
    return zyn::config::getServiceConfigParams(state, params);
}

// Like an edit, one step: the new values and the rewritten header.
int32_t ZYN_CALL ZYN_SetServiceConfigParams(ServiceConfigParams params) noexcept {
    LibraryState& state = started();
    return replaceState(state, [&] { return zyn::config::setServiceConfigParams(state, params); });
}

// ---- exchange data

int32_t ZYN_CALL ZYN_GetExchange(ExchangeAccess* access, void* destination) noexcept {
    LibraryState& state = started();
    if (access == nullptr) return ZYN_E_NOT_FOUND;
    SharedStateLock held(state, false);
    if (int32_t refused = zyn::exchange::admitDataCall(state, held); refused != ZYN_OK) return refused;
    return zyn::exchange::readExchangeData(state, held, *access, destination);
}

int32_t ZYN_CALL ZYN_PutExchange(ExchangeAccess* access, const void* source) noexcept {
    LibraryState& state = started();
    if (access == nullptr) return ZYN_E_NOT_FOUND;
    SharedStateLock held(state, false);
    if (int32_t refused = zyn::exchange::admitDataCall(state, held); refused != ZYN_OK) return refused;
    return zyn::exchange::writeExchangeData(state, held, *access, source);
}

void* ZYN_CALL ZYN_GetExchangePtr(ExchangeAccess* access) noexcept {
    LibraryState& state = started();
    if (access == nullptr) return nullptr;
    SharedStateLock held(state, false);
    if (zyn::exchange::admitDataCall(state, held) != ZYN_OK) return nullptr;
    return zyn::exchange::exchangePageAddress(state, *access);
}

int32_t ZYN_CALL ZYN_GetExchanges(ExchangeTransfer* transfers, uint32_t count) noexcept {
    return zyn::exchange::getExchanges(started(), transfers, count);
}

int32_t ZYN_CALL ZYN_PutExchanges(ExchangeTransfer* transfers, uint32_t count) noexcept {
    return zyn::exchange::putExchanges(started(), transfers, count);
}

// ---- service control

int32_t ZYN_CALL ZYN_InitService(const char* executablePath) noexcept {
    return zyn::service::initService(executablePath);
}

int32_t ZYN_CALL ZYN_RemoveService(void) noexcept { return 0; }

// These wait for the service unlocked and replace state only in their attach and reload steps.
int32_t ZYN_CALL ZYN_StartService(void) noexcept { return zyn::service::startService(started()); }

int32_t ZYN_CALL ZYN_StopService(void) noexcept { return zyn::service::stopService(started()); }

int32_t ZYN_CALL ZYN_ResetService(void) noexcept { return zyn::service::resetService(started()); }

// ---- service queries: they need the sockets the load starts, and touch no state

int32_t ZYN_CALL ZYN_GetNumberOfExchangesFromService(void) noexcept {
    return zyn::service::exchangeCountFromService(started());
}

int32_t ZYN_CALL ZYN_GetAllExchangesFromService(void* entries) noexcept {
    return zyn::service::exchangesFromService(started(), entries);
}

int32_t ZYN_CALL ZYN_GetLocallyConsumedExchangesFromService(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetLocallyProducedExchangesFromService(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyProducedExchangesFromService(int32_t, int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyConsumedExchangesFromService(int32_t, int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetServiceVersion(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetProtocolVersion(void) noexcept { return 0; }

} // extern "C"
