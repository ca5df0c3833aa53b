// definition_options.h - the --option argument of `add` and `change`: the option letters of a
// zyn.ini definition line (T, S, M, P=N, E=N), repeated or joined by commas.
#pragma once

#include <CLI.hpp>

#include <cstdint>
#include <optional>

#include "trvzyn32.h"

namespace zynctl {

struct DefinitionOptions {
    uint32_t flags = ZYN_FLAG_MUTEX; // the loader sets M on every definition it reads anyway
    int32_t pValue = 0;
    std::optional<int32_t> exchangeId;
};

// `idAllowed` is false for `change`, where the exchange id is part of the name that selects
// the definition and so cannot be changed.
CLI::Option* addDefinitionOptions(CLI::App& command, std::optional<DefinitionOptions>& target, bool idAllowed);

} // namespace zynctl
