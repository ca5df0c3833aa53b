// page_table.h - building the page table and the name index from the exchange table.
#pragma once

#include "config/tables.h"

#include "core/library_state_fwd.h"

namespace zyn::config {

// Rebuilds the page table (reading the header again) and, in the packed layout, the name index.
void BuildPageTable(core::LibraryState& state);
// The same from the table built before, whose mutexes the new table takes over where their
// names stay; the others are closed.
void RebuildPageTable(core::LibraryState& state, PageTable&& previous);
// Sorts the filled entries of the name index by producer, then exchange id, then table position.
void SortNameIndex(core::LibraryState& state);

} // namespace zyn::config
