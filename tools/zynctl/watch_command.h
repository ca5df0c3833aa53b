// watch_command.h - `zynctl watch`, which the data commands add beside `get` and `put`.
#pragma once

#include <CLI.hpp>

#include "command.h"

namespace zynctl {

void addWatchCommand(CLI::App& app, Action& chosen);

} // namespace zynctl
