// parameters.h - reading and setting the service parameters held in zyn.ini's header.
#pragma once

#include <cstdint>

#include "config/table_budget.h"
#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::config {

constexpr uint32_t kMaxSettableExchangeSize = 1400;
// A larger limit is one for which no load could have its tables.
constexpr uint32_t kMaxSettableStaticExchanges = kMaxLoadableStaticExchanges;

// Copies the parameters the library state holds into `out` (null: nothing written); returns EXCH_MAP.
int32_t getServiceConfigParams(const core::LibraryState& state, ServiceConfigParams* out);

// Checks the parameters and rewrites zyn.ini's header with them, and only when zyn.ini holds
// them, stores them: 3, or -11, -18 or -26 with nothing changed.
int32_t setServiceConfigParams(core::LibraryState& state, const ServiceConfigParams& params);

} // namespace zyn::config
