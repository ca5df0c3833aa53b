// parameters.h - reading and setting the service parameters held in zyn.ini's header.
#pragma once

#include <cstdint>

#include "core/library_state_fwd.h"
#include "trvzyn32.h"

namespace zyn::config {

constexpr uint32_t kMaxSettableExchangeSize = 1400;
constexpr uint32_t kMaxSettableStaticExchanges = 0x3FFFFFFF;

// Copies the parameters the library state holds into `out` (null: nothing written); returns EXCH_MAP.
int32_t getServiceConfigParams(const core::LibraryState& state, ServiceConfigParams* out);

// Checks and stores the parameters, then rewrites zyn.ini's header with them: 3, -11, -18 or -26.
int32_t setServiceConfigParams(core::LibraryState& state, const ServiceConfigParams& params);

} // namespace zyn::config
