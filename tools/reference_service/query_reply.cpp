// query_reply.cpp - building the reply datagram.
#include "query_reply.h"

#include <algorithm>

#include "query_protocol.h"

namespace zyn::reference {

namespace {

void putLittleEndian32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> normalReply(const std::vector<ExchangeDef>& records) {
    const size_t entries = std::min(records.size(), static_cast<size_t>(service::kMaxReplyEntries));
    std::vector<uint8_t> reply(service::kReplyEntriesOffset + entries * service::kReplyEntrySize, 0);
    std::copy(kReplyHead.begin(), kReplyHead.end(), reply.begin());
    putLittleEndian32(reply, service::kReplyCountOffset, static_cast<uint32_t>(entries));
    for (size_t i = 0; i < entries; ++i) {
        const ExchangeDef& record = records[i];
        const size_t at = service::kReplyEntriesOffset + i * service::kReplyEntrySize;
        putLittleEndian32(reply, at, static_cast<uint32_t>(record.exchangeNumber));
        putLittleEndian32(reply, at + 4, static_cast<uint32_t>(record.exchangeId));
        putLittleEndian32(reply, at + 8, record.size);
        putLittleEndian32(reply, at + 12, record.flags);
    }
    return reply;
}

} // namespace

std::optional<std::vector<uint8_t>> buildQueryReply(const std::vector<ExchangeDef>& records, ReplyMode mode,
                                                    int32_t countOverride) {
    std::vector<uint8_t> reply = normalReply(records);
    switch (mode) {
    case ReplyMode::Normal: break;
    case ReplyMode::Empty: reply.clear(); break;
    case ReplyMode::Short: reply.resize(6); break;
    case ReplyMode::CountOnly: reply.resize(service::kReplyEntriesOffset); break;
    case ReplyMode::Oversize: reply.resize(kOversizeReplyBytes, 0); break;
    case ReplyMode::Silent: return std::nullopt;
    case ReplyMode::Count:
        putLittleEndian32(reply, service::kReplyCountOffset, static_cast<uint32_t>(countOverride));
        break;
    }
    return reply;
}

} // namespace zyn::reference
