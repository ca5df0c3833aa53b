// exports.cpp - the exported ZYN_ functions: argument checks and calls into the subsystems.
// Nothing may leave them as an exception.
#include "core/library_state.h"
#include "core/service_status.h"
#include "trvzyn32.h"

using zyn::core::libraryState;

extern "C" {

int32_t ZYN_CALL ZYN_Init(void) noexcept { return 0; }

int32_t ZYN_CALL ZYN_IsServicePresent(void) noexcept { return zyn::core::isServicePresent(libraryState()); }

int32_t ZYN_CALL ZYN_IsServiceRunning(void) noexcept { return zyn::core::isServiceRunning(libraryState()); }

} // extern "C"
