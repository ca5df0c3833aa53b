// exchange_io.cpp - ExchangeAccess records filled and handed to ZYN_GetExchange / ZYN_PutExchange.
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

} // namespace

std::array<uint32_t, ZYN_PAGE_HEADER_SIZE / 4> headerWords(const std::array<uint8_t, ZYN_PAGE_HEADER_SIZE>& header) {
    std::array<uint32_t, ZYN_PAGE_HEADER_SIZE / 4> words{};
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = loadWord(header.data() + 4 * i);
    return words;
}

ExchangeReading readExchange(const std::string& name, uint32_t offset, std::optional<uint32_t> count) {
    const std::optional<ExchangeDef> definition = findExchange(name);
    const uint32_t usable = definition ? usableSize(*definition) : 0;
    uint32_t length = count.value_or(offset <= usable ? usable - offset : 0);
    // The library copies exactly `length` bytes and cannot be told the buffer's size. A range
    // the exchange does not hold is refused before anything is copied, so the buffer is sized
    // only for a range that fits: a mistyped count does not become a huge allocation.
    const bool fits = definition && uint64_t{offset} + length <= definition->size;
    ExchangeReading reading;
    reading.data.resize(fits ? length : 0);
    uint8_t unused = 0;
    ExchangeAccess access = accessFor(name, offset, length);
    const int32_t result = ZYN_GetExchange(&access, reading.data.empty() ? &unused : reading.data.data());
    requireOk("ZYN_GetExchange", result);
    std::memcpy(reading.header.data(), access.header, reading.header.size());
    reading.statusClear = access.statusClear != 0;
    return reading;
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
