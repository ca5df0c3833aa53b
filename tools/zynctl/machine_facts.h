// machine_facts.h - what `status` reports that the library's interface does not say, found by
// zynctl the way the library finds it: the configuration file's path, and the namespace of the
// service's named objects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zynctl {

constexpr char kSectionName[] = "ZYN_MAP_1";
constexpr char kIniMutexName[] = "__ZYN_INIFILE";

// The expansion of "%windir%" followed by "\zyn.ini"; empty when it cannot be expanded.
std::string configurationFilePath();

// The full name under which the object exists: the plain name, else "Global\<name>" (where
// a session-0 service's objects appear since Windows Vista); nothing when it is in neither.
std::optional<std::string> whereSectionIs(const std::string& name);
std::optional<std::string> whereMutexIs(const std::string& name);

// The name of an exchange's mutex: "ZYN_MAP_1-%05d" with the exchange number in the fixed page
// layout, the table position in the packed one.
std::string exchangeMutexName(int32_t number);

} // namespace zynctl
