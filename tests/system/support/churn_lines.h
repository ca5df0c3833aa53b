// churn_lines.h - the definition lines that zyn_config_editor.exe's churn command leaves in
// zyn.ini, as the library writes them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/config_editor_protocol.h"

namespace zyn::test {

// The line of churn definition `number` of `producer`, without line ends.
inline std::string churnLine(int32_t number, const std::string& producer) {
    char line[160];
    std::snprintf(line, sizeof line, "%d\t%u\t%d\t%s\t%s\tM,S,P=%d,E=%d", static_cast<int>(number),
                  editor::churnSize(number), editor::kChurnThirdNumber, producer.c_str(), editor::kChurnDestination,
                  static_cast<int>(editor::churnPValue(number)), static_cast<int>(editor::churnExchangeId(number)));
    return line;
}

} // namespace zyn::test
