// definitions_rewrite.h - one pass over the current zyn.ini that removes one definition line,
// appends one, or both, leaving every other line as it stands.
#pragma once

#include <cstdint>

#include "config/definition_line.h"
#include "trvzyn32.h"

namespace zyn::config {

struct DefinitionEdit {
    const ExchangeDef* remove = nullptr; // the first line carrying its number, producer and id goes
    const ExchangeDef* append = nullptr; // appended as the last line
    // How a line already in the file counts as the same exchange as `append`: the exchange id,
    // and the producer too when EXCH_MAP is exactly 1; lines the loader would reject do not count.
    int32_t exchMap = 0;
    DefinitionLimits limits{0, 0};
};

enum class EditOutcome { Done, LineNotFound, Duplicate, Failed };

// Rewrites zyn.ini through the scratch file; the caller holds "__ZYN_INIFILE". Nothing changes
// unless the outcome is Done.
EditOutcome rewriteDefinitions(const char* configPath, const char* scratchPath, const DefinitionEdit& edit);

} // namespace zyn::config
