// definition_line.h - reading one exchange definition line of zyn.ini into an ExchangeDef.
#pragma once

#include <cstdint>
#include <string_view>

#include "trvzyn32.h"

namespace zyn::config {

constexpr int32_t kMaxThirdNumber = 0x3FFFFFFF;
constexpr size_t kMaxFieldText = 31; // producer and destination texts
constexpr std::string_view kFieldSeparators = " \t\n";
constexpr std::string_view kOptionSeparators = " ,\t\n";

enum class DefinitionLineKind { Ignored, Comment, Counted };

// A line counts when its first non-white character is a decimal digit; '#' makes it a comment.
DefinitionLineKind classifyDefinitionLine(std::string_view line);

struct DefinitionLimits {
    int32_t maxStaticExchanges;
    int32_t maxExchangeSize;
};

// Fills `out` from a counted line and returns true, or returns false when the line has fewer
// than five fields, a number out of its range, or a text longer than 31 characters (cutting it
// could make two producers collide, so the line is skipped whole).
bool parseDefinitionLine(std::string_view line, DefinitionLimits limits, ExchangeDef& out);

} // namespace zyn::config
