// reading_format.h - an exchange's reading as `get` and `watch` show it: its status in words, and
// the JSON object of one exchange, which both commands print one to a line.
#pragma once

#include <cstdint>
#include <string>

#include "exchange_io.h"
#include "json.h"

namespace zynctl {

// "clear" or "set": the exchange's status byte is 0, or not.
std::string statusText(bool clear);

// The exchange as `function` read it from `offset`: name, offset, count, statusClear, header and
// data when it was read, then its result, and for a refusal the result's meaning as "error".
Json::Object readingJson(const std::string& name, uint32_t offset, const BatchReading& entry, const char* function);

} // namespace zynctl
