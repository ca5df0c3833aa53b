// config_paths.cpp - paths in the Windows directory.
#include "config/config_paths.h"

#include <cstring>

#include "platform/platform.h"

namespace zyn::config {

bool windowsDirectoryPath(char* out, uint32_t capacity, const char* fileName) {
    char directory[kConfigPathSize] = {};
    uint32_t needed = platform::expandWindowsDirectory(directory, sizeof directory);
    if (needed == 0 || needed > sizeof directory) return false;
    size_t directoryLength = std::strlen(directory);
    size_t nameLength = std::strlen(fileName);
    if (directoryLength + nameLength + 1 > capacity) return false;
    std::memcpy(out, directory, directoryLength);
    std::memcpy(out + directoryLength, fileName, nameLength + 1);
    return true;
}

} // namespace zyn::config
