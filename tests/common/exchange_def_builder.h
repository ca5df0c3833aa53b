// exchange_def_builder.h - one ExchangeDef built field by field, for the tests of both levels.
#pragma once

#include <cstring>

#include "trvzyn32.h"

namespace zyn::test_support {

inline ExchangeDef exchangeDef(int32_t number, uint32_t size, int32_t third, const char* producer,
                               const char* destination, uint32_t flags, int32_t pValue, int32_t exchangeId) {
    ExchangeDef def;
    std::memset(&def, 0, sizeof def);
    def.exchangeNumber = number;
    def.size = size;
    def.thirdNumber = third;
    std::strncpy(def.producer, producer, sizeof def.producer - 1);
    std::strncpy(def.destination, destination, sizeof def.destination - 1);
    def.flags = flags;
    def.pValue = pValue;
    def.exchangeId = exchangeId;
    return def;
}

} // namespace zyn::test_support
