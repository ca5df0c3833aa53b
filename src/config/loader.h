// loader.h - reading zyn.ini into the tables of LibraryState and rebuilding them after a change.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"

namespace zyn::config {

constexpr int kLinePieceSize = 128; // every read of zyn.ini takes at most 127 characters

// Resets the service parameters to their defaults and reads them from zyn.ini's header.
void ReadServiceParams(core::LibraryState& state);

// Copies the counted definition lines that follow "[EXCHANGE_DEFS]" into buffer, each followed
// by one separator byte, then two zeros, and returns the bytes used before the zeros (0 when
// the file cannot be opened).
uint32_t ReadExchangeDefsText(core::LibraryState& state, char* buffer, uint64_t bufferSize, const char* path);

// Parses defsText into the exchange table; always 1.
int32_t ParseExchangeDefs(core::LibraryState& state);

// Frees the records and closes their exchange mutexes; exchangeCount keeps its value.
void ReleaseExchangeTable(core::LibraryState& state);

// What a reload that fails leaves behind.
enum class FailedReload {
    ReleasesTables, // no table and `loaded` 0, as after a start or an edit whose rebuild failed
    KeepsTables,    // the tables as they were: an attach on demand that fails changes nothing
};

// Rebuilds every table from zyn.ini under the limits the state holds, at load and after every
// change: 3, -26 (memory), or -27 when the file gives no definitions text and
// `emptyTextIsError` is set.
int32_t ReloadConfiguration(core::LibraryState& state, bool emptyTextIsError,
                            FailedReload onFailure = FailedReload::ReleasesTables);

// The tables' sizes for a MAX_STATIC_EXCHANGES of `maxStaticExchanges`; a value below 0 sizes
// them as 0, since no definition can then be accepted anyway.
uint64_t exchangeSlotsFor(int32_t maxStaticExchanges);
uint64_t defsTextSizeFor(int32_t maxStaticExchanges);

} // namespace zyn::config
