// exchange_io.h - reads and writes of exchanges' live data through the library, as `get`, `put`
// and `watch` make them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "trvzyn32.h"

namespace zynctl {

struct ExchangeReading {
    std::array<uint8_t, ZYN_PAGE_HEADER_SIZE> header{};
    bool statusClear = false; // the exchange's status byte is 0
    std::vector<uint8_t> data;
};

// The page header as the eight little-endian words it holds.
std::array<uint32_t, ZYN_PAGE_HEADER_SIZE / 4> headerWords(const std::array<uint8_t, ZYN_PAGE_HEADER_SIZE>& header);

// Reads `count` bytes from `offset`; without a count, the rest of the usable data from `offset`.
ExchangeReading readExchange(const std::string& name, uint32_t offset, std::optional<uint32_t> count);

// One exchange of a batch read: what to read, as for readExchange.
struct ExchangeRange {
    std::string name;
    uint32_t offset = 0;
    std::optional<uint32_t> count;
};

// What the batch gave one exchange: its result code, and its reading when that is ZYN_OK.
struct BatchReading {
    int32_t result = 0;
    ExchangeReading reading;
};

// Reads every range with one ZYN_GetExchanges call, in order. A refused status test (the service
// is not installed or not running) is a LibraryFailure; the entries' own failures are results.
std::vector<BatchReading> readExchanges(const std::vector<ExchangeRange>& ranges);

// The function readEach calls for `count` ranges: "ZYN_GetExchange" for one, "ZYN_GetExchanges"
// for several.
const char* readFunction(size_t count);

// Reads every range with the function readFunction names, so that one name costs what it cost
// before batches existed. As for readExchanges, a refused status test is a LibraryFailure (of
// that function), and every other failure is the entry's result.
std::vector<BatchReading> readEach(const std::vector<ExchangeRange>& ranges);

// Header words 3 and 4 (bytes 12 to 19), which ZYN_PutExchange writes along with the data.
struct WriterWords {
    std::optional<uint32_t> word3;
    std::optional<uint32_t> word4;

    bool any() const { return word3 || word4; }
};

// Writes `data` from `offset`; the header words not given keep the values the page has now.
void writeExchange(const std::string& name, uint32_t offset, const std::vector<uint8_t>& data, WriterWords words);

} // namespace zynctl
