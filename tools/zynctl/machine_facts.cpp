// machine_facts.cpp - the configuration file's path and the search of the two namespaces.
#include "machine_facts.h"

#include <windows.h>

#include <cstdio>

#include "win32_handle.h"

namespace zynctl {

namespace {

constexpr char kGlobalPrefix[] = "Global\\";

// In the library's order, so that where both exist the one named is the one the library uses.
template <typename Open> std::optional<std::string> whereItIs(const std::string& name, Open open) {
    for (const std::string& candidate : {name, std::string(kGlobalPrefix) + name}) {
        if (UniqueHandle(open(candidate.c_str()))) return candidate;
    }
    return std::nullopt;
}

} // namespace

std::string configurationFilePath() {
    char path[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsA("%windir%\\zyn.ini", path, sizeof path);
    return length == 0 || length > sizeof path ? std::string() : std::string(path);
}

std::optional<std::string> whereSectionIs(const std::string& name) {
    return whereItIs(name, [](const char* full) { return OpenFileMappingA(FILE_MAP_READ, FALSE, full); });
}

std::optional<std::string> whereMutexIs(const std::string& name) {
    return whereItIs(name, [](const char* full) { return OpenMutexA(SYNCHRONIZE, FALSE, full); });
}

std::string exchangeMutexName(int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s-%05d", kSectionName, static_cast<int>(number));
    return name;
}

} // namespace zynctl
