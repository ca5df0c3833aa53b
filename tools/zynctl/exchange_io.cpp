// exchange_io.cpp - ExchangeAccess records filled and handed to ZYN_GetExchange, ZYN_GetExchanges
// and ZYN_PutExchange.
#include "exchange_io.h"

#include <algorithm>
#include <cstring>

#include "configured_exchanges.h"
#include "failure.h"

namespace zynctl {

namespace {

constexpr size_t kWord3Offset = 12;
constexpr size_t kWord4Offset = 16;

ExchangeAccess accessFor(const std::string& name, uint32_t offset, uint32_t& count) {
    ExchangeAccess access{};
    // The name's length was checked against the field when the command line was read.
    std::memcpy(access.exchangeName, name.data(), std::min(name.size(), sizeof access.exchangeName - 1));
    access.offset = offset;
    access.lengthPtr = &count;
    return access;
}

uint32_t loadWord(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

void storeWord(uint8_t* at, uint32_t word) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(word >> (8 * i));
}

// The count a read asks for, with the reading's buffer sized for it. The library copies exactly
// that many bytes and cannot be told the buffer's size. A range the exchange does not hold is
// refused before anything is copied, so the buffer is sized only for a range that fits: a
// mistyped count does not become a huge allocation.
uint32_t prepareRead(const ExchangeRange& range, ExchangeReading& reading) {
    const std::optional<ExchangeDef> definition = findExchange(range.name);
    // Without a count, the rest of what the page holds: a fixed-layout page may hold less than
    // its definition's size.
    const uint32_t usable = definition ? usableSize(*definition) : 0;
    const uint32_t length = range.count.value_or(range.offset <= usable ? usable - range.offset : 0);
    const bool fits = definition && uint64_t{range.offset} + length <= definition->size;
    reading.data.resize(fits ? length : 0);
    return length;
}

// An empty buffer still needs an address; nothing is ever copied to it.
void* destinationOf(ExchangeReading& reading) {
    static uint8_t unused;
    return reading.data.empty() ? &unused : reading.data.data();
}

void keepHeaderAndStatus(const ExchangeAccess& access, ExchangeReading& reading) {
    std::memcpy(reading.header.data(), access.header, reading.header.size());
    reading.statusClear = access.statusClear != 0;
}

} // namespace

std::array<uint32_t, ZYN_PAGE_HEADER_SIZE / 4> headerWords(const std::array<uint8_t, ZYN_PAGE_HEADER_SIZE>& header) {
    std::array<uint32_t, ZYN_PAGE_HEADER_SIZE / 4> words{};
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = loadWord(header.data() + 4 * i);
    return words;
}

ExchangeReading readExchange(const std::string& name, uint32_t offset, std::optional<uint32_t> count) {
    ExchangeReading reading;
    uint32_t length = prepareRead({name, offset, count}, reading);
    ExchangeAccess access = accessFor(name, offset, length);
    requireOk("ZYN_GetExchange", ZYN_GetExchange(&access, destinationOf(reading)));
    keepHeaderAndStatus(access, reading);
    return reading;
}

std::vector<BatchReading> readExchanges(const std::vector<ExchangeRange>& ranges) {
    // Sized once: the records point at the counts, and the transfers at the records.
    std::vector<BatchReading> readings(ranges.size());
    std::vector<uint32_t> lengths(ranges.size());
    std::vector<ExchangeAccess> accesses(ranges.size());
    std::vector<ExchangeTransfer> transfers(ranges.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
        lengths[i] = prepareRead(ranges[i], readings[i].reading);
        accesses[i] = accessFor(ranges[i].name, ranges[i].offset, lengths[i]);
        transfers[i] = {&accesses[i], destinationOf(readings[i].reading), 0};
    }
    const int32_t result = ZYN_GetExchanges(transfers.data(), static_cast<uint32_t>(transfers.size()));
    if (result == ZYN_E_NOT_INSTALLED || result == ZYN_E_NOT_RUNNING) throw LibraryFailure("ZYN_GetExchanges", result);
    for (size_t i = 0; i < ranges.size(); ++i) {
        readings[i].result = transfers[i].result;
        if (transfers[i].result == ZYN_OK) keepHeaderAndStatus(accesses[i], readings[i].reading);
    }
    return readings;
}

const char* readFunction(size_t count) { return count == 1 ? "ZYN_GetExchange" : "ZYN_GetExchanges"; }

std::vector<BatchReading> readEach(const std::vector<ExchangeRange>& ranges) {
    if (ranges.size() != 1) return readExchanges(ranges);
    const ExchangeRange& range = ranges.front();
    try {
        return {{ZYN_OK, readExchange(range.name, range.offset, range.count)}};
    } catch (const LibraryFailure& refused) {
        if (refused.code() == ZYN_E_NOT_INSTALLED || refused.code() == ZYN_E_NOT_RUNNING) throw;
        return {{refused.code(), {}}};
    }
}

void writeExchange(const std::string& name, uint32_t offset, const std::vector<uint8_t>& data, WriterWords words) {
    // The library stores header bytes 12 to 19 on every write, so words the caller leaves
    // alone are first read from the page, or the write would clear them.
    std::array<uint8_t, ZYN_PAGE_HEADER_SIZE> header{};
    uint32_t length = static_cast<uint32_t>(data.size());
    if (!words.word3 || !words.word4) {
        // The read covers the range the put will write, so it passes the same checks in the
        // same order: a refusal here is the put's, and is reported as the put's.
        try {
            header = readExchange(name, offset, length).header;
        } catch (const LibraryFailure& refused) {
            throw LibraryFailure("ZYN_PutExchange", refused.code());
        }
    }
    if (words.word3) storeWord(header.data() + kWord3Offset, *words.word3);
    if (words.word4) storeWord(header.data() + kWord4Offset, *words.word4);

    ExchangeAccess access = accessFor(name, offset, length);
    std::memcpy(access.header, header.data(), header.size());
    const uint8_t nothing = 0;
    requireOk("ZYN_PutExchange", ZYN_PutExchange(&access, data.empty() ? &nothing : data.data()));
}

} // namespace zynctl
