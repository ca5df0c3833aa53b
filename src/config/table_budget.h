// table_budget.h - the largest MAX_STATIC_EXCHANGES whose tables can be had: the loader refuses a
// larger limit before it allocates anything, and ZYN_SetServiceConfigParams refuses to set one.
#pragma once

#include <cstdint>

#include "config/loader.h"
#include "config/tables.h"

namespace zyn::config {

// All the tables of one load together take at most 1 GiB, more than a 32-bit process can ever
// give them, counted at their largest: with as many definitions as the limit lets in. The sizes
// are the 64-bit DLL's, so that both DLLs refuse the same limits.
constexpr uint64_t kTablesBudgetBytes = uint64_t{1} << 30;
// A slot of the exchange table (at 64-bit width), a line of definitions text, a record, a name
// index entry, an id index entry, and the page table's two entries (number and id).
constexpr uint64_t kTableBytesPerExchange = sizeof(uint64_t) + kLinePieceSize + sizeof(ExchangeDef) +
                                            sizeof(NameIndexEntry) + sizeof(IdIndexEntry) + 2 * kPageEntryBudgetBytes;
// The exchange table and the definitions text take one slot more than the limit.
constexpr int32_t kMaxLoadableStaticExchanges = static_cast<int32_t>(kTablesBudgetBytes / kTableBytesPerExchange - 1);
static_assert(kMaxLoadableStaticExchanges == 3158063, "docs/API.md names this limit");

} // namespace zyn::config
