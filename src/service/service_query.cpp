// service_query.cpp - the 4-byte request (7, 1, 0, 0) and the reply: a count at offset 8 and
// 16-byte entries from offset 12, in a zeroed 1404-byte buffer.
#include "service/service_query.h"

#include <cstring>

#include "core/service_status.h"
#include "platform/platform.h"
#include "trvzyn32.h"

namespace zyn::service {

namespace {

struct Reply {
    uint8_t bytes[kReplyBufferSize] = {}; // a short reply reads as if padded with zeros
    int32_t count = 0;
};

int32_t SendServiceQuery(core::LibraryState& state, Reply& reply) {
    if (int32_t refused = core::checkServiceRunning(state); refused != ZYN_OK) return refused;
    size_t received = 0;
    // A datagram longer than the buffer fails the receive.
    if (platform::exchangeDatagramWithLocalHost(kServiceQueryPort, kQueryRequest.data(), kQueryRequest.size(),
                                                reply.bytes, sizeof reply.bytes, kReplyTimeoutMilliseconds,
                                                received) != platform::UdpOutcome::Received) {
        return ZYN_E_UDP;
    }
    std::memcpy(&reply.count, reply.bytes + kReplyCountOffset, sizeof reply.count);
    // A count the buffer cannot carry would lead past its end.
    if (reply.count < 0 || reply.count > kMaxReplyEntries) return ZYN_E_UDP;
    return ZYN_OK;
}

} // namespace

int32_t exchangeCountFromService(core::LibraryState& state) {
    Reply reply;
    int32_t result = SendServiceQuery(state, reply);
    return result == ZYN_OK ? reply.count : result;
}

int32_t exchangesFromService(core::LibraryState& state, void* entries) {
    if (entries == nullptr) return ZYN_E_PARAMETER;
    Reply reply;
    if (int32_t result = SendServiceQuery(state, reply); result != ZYN_OK) return result;
    std::memcpy(entries, reply.bytes + kReplyEntriesOffset, static_cast<size_t>(reply.count) * kReplyEntrySize);
    return ZYN_OK;
}

} // namespace zyn::service
