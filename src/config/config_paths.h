// config_paths.h - where zyn.ini and its scratch file lie: both in the Windows directory.
#pragma once

#include <cstdint>

namespace zyn::config {

constexpr uint32_t kConfigPathSize = 256;
constexpr char kConfigFileName[] = "\\zyn.ini";
constexpr char kScratchFileName[] = "\\__zyntmp.ini";

// Expands "%windir%" and appends `fileName`; false when the expansion fails or the whole path
// does not fit `capacity` (a path is refused rather than cut).
bool windowsDirectoryPath(char* out, uint32_t capacity, const char* fileName);

inline bool configFilePath(char (&out)[kConfigPathSize]) {
    return windowsDirectoryPath(out, sizeof out, kConfigFileName);
}
inline bool scratchFilePath(char (&out)[kConfigPathSize]) {
    return windowsDirectoryPath(out, sizeof out, kScratchFileName);
}

} // namespace zyn::config
