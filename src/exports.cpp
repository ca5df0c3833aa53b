// exports.cpp - the exported ZYN_ functions: argument checks and calls into the subsystems.
// Nothing may leave them as an exception.
#include <cstring>

#include "config/editing.h"
#include "config/parameters.h"
#include "config/queries.h"
#include "core/library_state.h"
#include "core/registry_settings.h"
#include "core/service_status.h"
#include "exchange/data_access.h"
#include "exchange/exchange_batch.h"
#include "service/service_control.h"
#include "service/service_query.h"
#include "trvzyn32.h"

using zyn::core::libraryState;

extern "C" {

int32_t ZYN_CALL ZYN_Init(void) noexcept { return 0; }

int32_t ZYN_CALL ZYN_IsServicePresent(void) noexcept { return zyn::core::isServicePresent(libraryState()); }

int32_t ZYN_CALL ZYN_IsServiceRunning(void) noexcept { return zyn::core::isServiceRunning(libraryState()); }

// ---- registry settings

int32_t ZYN_CALL ZYN_ThirdPartyAppsAllowed(void) noexcept { return zyn::core::thirdPartyAppsAllowed(); }

int32_t ZYN_CALL ZYN_GetMaxExchangeSize(void) noexcept { return zyn::core::maxExchangeSizeSetting(); }

// ---- configuration queries

int32_t ZYN_CALL ZYN_GetNumberOfExchangesFromConfigFile(void) noexcept {
    return static_cast<int32_t>(libraryState().exchangeCount);
}

int32_t ZYN_CALL ZYN_GetAllExchangesFromConfigFile(ExchangeDef* exchanges) noexcept {
    return zyn::config::copyAllExchanges(libraryState(), exchanges);
}

void ZYN_CALL ZYN_GetStaticExchangeParams(const char* exchangeName, ExchangeDef* definition) noexcept {
    if (definition == nullptr) return;
    if (exchangeName == nullptr) {
        std::memset(definition, 0, sizeof *definition);
        return;
    }
    zyn::config::lookupExchange(libraryState(), exchangeName, *definition);
}

int32_t ZYN_CALL ZYN_GetLocallyConsumedExchangesFromConfigFile(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetLocallyProducedExchangesFromConfigFile(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyProducedExchangesFromConfigFile(int32_t, int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyConsumedExchangesFromConfigFile(int32_t, int32_t) noexcept { return 0; }

// ---- static exchange editing

int32_t ZYN_CALL ZYN_AddStaticExchange(ExchangeDef definition) noexcept {
    return zyn::config::addStaticExchange(libraryState(), definition);
}

int32_t ZYN_CALL ZYN_DeleteStaticExchange(char* exchangeName) noexcept {
    return zyn::config::deleteStaticExchange(libraryState(), exchangeName);
}

int32_t ZYN_CALL ZYN_ChangeStaticExchangeParams(ExchangeDef definition) noexcept {
    return zyn::config::changeStaticExchangeParams(libraryState(), definition);
}

// ---- service parameters

int32_t ZYN_CALL ZYN_GetServiceConfigParams(ServiceConfigParams* params) noexcept {
    return zyn::config::getServiceConfigParams(libraryState(), params);
}

int32_t ZYN_CALL ZYN_SetServiceConfigParams(ServiceConfigParams params) noexcept {
    return zyn::config::setServiceConfigParams(libraryState(), params);
}

// ---- exchange data

int32_t ZYN_CALL ZYN_GetExchange(ExchangeAccess* access, void* destination) noexcept {
    return zyn::exchange::getExchange(libraryState(), access, destination);
}

int32_t ZYN_CALL ZYN_PutExchange(ExchangeAccess* access, const void* source) noexcept {
    return zyn::exchange::putExchange(libraryState(), access, source);
}

void* ZYN_CALL ZYN_GetExchangePtr(ExchangeAccess* access) noexcept {
    return zyn::exchange::getExchangePtr(libraryState(), access);
}

int32_t ZYN_CALL ZYN_GetExchanges(ExchangeTransfer* transfers, uint32_t count) noexcept {
    return zyn::exchange::getExchanges(libraryState(), transfers, count);
}

int32_t ZYN_CALL ZYN_PutExchanges(ExchangeTransfer* transfers, uint32_t count) noexcept {
    return zyn::exchange::putExchanges(libraryState(), transfers, count);
}

// ---- service control

int32_t ZYN_CALL ZYN_InitService(const char* executablePath) noexcept {
    return zyn::service::initService(executablePath);
}

int32_t ZYN_CALL ZYN_RemoveService(void) noexcept { return 0; }

int32_t ZYN_CALL ZYN_StartService(void) noexcept { return zyn::service::startService(libraryState()); }

int32_t ZYN_CALL ZYN_StopService(void) noexcept { return zyn::service::stopService(libraryState()); }

int32_t ZYN_CALL ZYN_ResetService(void) noexcept { return zyn::service::resetService(libraryState()); }

// ---- service queries

int32_t ZYN_CALL ZYN_GetNumberOfExchangesFromService(void) noexcept {
    return zyn::service::exchangeCountFromService(libraryState());
}

int32_t ZYN_CALL ZYN_GetAllExchangesFromService(void* entries) noexcept {
    return zyn::service::exchangesFromService(libraryState(), entries);
}

int32_t ZYN_CALL ZYN_GetLocallyConsumedExchangesFromService(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetLocallyProducedExchangesFromService(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyProducedExchangesFromService(int32_t, int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetRemotelyConsumedExchangesFromService(int32_t, int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetServiceVersion(int32_t) noexcept { return 0; }
int32_t ZYN_CALL ZYN_GetProtocolVersion(void) noexcept { return 0; }

} // extern "C"
