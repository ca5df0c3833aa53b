// query_reply.h - the datagram the service sends back to an exchange-list query, in each reply mode.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "options.h"
#include "trvzyn32.h"

namespace zyn::reference {

// The reply to send, or nothing (silent mode). The entries list the first 87 records.
std::optional<std::vector<uint8_t>> buildQueryReply(const std::vector<ExchangeDef>& records, ReplyMode mode,
                                                    int32_t countOverride);

} // namespace zyn::reference
