// udp_query.h - the exchange-list query sent to the service from the test program, always to
// 127.0.0.1, with a time limit so that a silent service fails a test instead of hanging it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zyn::test {

// Sends the 4-byte request to 127.0.0.1:21586 and returns the reply datagram (at most 2048
// bytes), or nothing when none came within `timeoutMs`.
std::optional<std::vector<uint8_t>> queryServiceOverUdp(uint32_t timeoutMs);

} // namespace zyn::test
