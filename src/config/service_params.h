// service_params.h - the service parameters that zyn.ini's header holds, with their defaults.
#pragma once

#include <cstdint>

#include "trvzyn32.h"

namespace zyn::config {

constexpr int32_t kDefaultMaxExchangeSize = 1024;
constexpr int32_t kDefaultMaxStaticExchanges = 512;
constexpr uint32_t kDefaultMaxDynamicExchanges = 256;
constexpr int32_t kDefaultExchMap = 0;
// The caller's record and the library's own hold the same list: 32 texts of 16 characters.
constexpr int kMulticastEntries = ZYN_MULTICAST_ENTRIES;
constexpr int kMulticastTextSize = ZYN_MULTICAST_TEXT_SIZE; // 16 characters and the terminator

struct ServiceParams {
    int32_t maxExchangeSize = kDefaultMaxExchangeSize;
    int32_t maxStaticExchanges = kDefaultMaxStaticExchanges;
    uint32_t maxDynamicExchanges = kDefaultMaxDynamicExchanges;
    int32_t exchMap = kDefaultExchMap; // 0: fixed page layout; anything else: packed
    uint32_t multicastCount = 0;
    char multicast[kMulticastEntries][kMulticastTextSize] = {};

    // Back to the defaults; the multicast texts themselves stay, only their count is cleared.
    void resetToDefaults() {
        maxExchangeSize = kDefaultMaxExchangeSize;
        maxStaticExchanges = kDefaultMaxStaticExchanges;
        maxDynamicExchanges = kDefaultMaxDynamicExchanges;
        exchMap = kDefaultExchMap;
        multicastCount = 0;
    }
};

} // namespace zyn::config
