// service_hosts.h - the two ways the reference service runs: as "ZYN Service" under the Service
// Control Manager, or in a console for debugging. Each returns the process exit code.
#pragma once

#include "options.h"

namespace zyn::reference {

constexpr char kServiceName[] = "ZYN Service";

int runUnderServiceControlManager(const Options& options);
int runInConsole(const Options& options);

// A start with switches it cannot understand still connects to the SCM, so that the failure
// shows as a stop with ERROR_INVALID_PARAMETER rather than as a start that times out.
int reportInvalidSwitchesToServiceControlManager();

} // namespace zyn::reference
