// exchange_name.h - the name by which callers address one exchange: "exchange_<id>@<producer>".
#pragma once

#include <cstdint>
#include <string_view>

#include "trvzyn32.h"

namespace zyn::config {

constexpr size_t kMaxIdText = 9;             // characters between the first '_' and the next '@'
constexpr size_t kMaxProducerText = 31;      // characters after that '@'
constexpr size_t kExchangeNameCapacity = 64; // "exchange_" + an int32 + '@' + 31 characters + NUL

struct ExchangeName {
    int32_t id = 0;
    char producer[ZYN_TEXT_FIELD_SIZE] = {}; // upper-cased
};

// Splits a name: the prefix up to the first '_' is not examined, the id text runs to the next
// '@', the producer text is the rest. False when the name has no '_' or no '@' after it, or
// when a piece is longer than its limit (the name then designates nothing).
bool parseExchangeName(std::string_view name, ExchangeName& out);

// The name a definition carries: its exchange id and its producer, upper-cased as the loader
// holds it.
ExchangeName nameOf(const ExchangeDef& definition);

// The EXCH_MAP value under which the producer is part of an exchange's name.
constexpr int32_t kExchMapByProducer = 1;

// The one rule by which a record answers to a name: the same exchange id and, when EXCH_MAP is
// exactly 1, the same producer.
bool answersTo(const ExchangeDef& record, const ExchangeName& name, int32_t exchMap);

// The name as the library writes it, "exchange_%d@%s".
void formatExchangeName(char (&out)[kExchangeNameCapacity], int32_t id, const char* producer);

} // namespace zyn::config
