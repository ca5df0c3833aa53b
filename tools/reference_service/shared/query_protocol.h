// query_protocol.h - what the reference service adds to the query protocol the library reads:
// the head it writes in front of the count, and the size of a reply no client can receive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "service/query_protocol.h"

namespace zyn::reference {

constexpr std::array<uint8_t, 8> kReplyHead = {7, 1, 0, 0, 1, 0, 0, 0};
// Larger than the library's receive buffer, and than an Ethernet frame's payload.
constexpr size_t kOversizeReplyBytes = 1500;

} // namespace zyn::reference
