// lifecycle.h - what happens when a process loads and unloads the library.
#pragma once

#include <cstdint>

namespace zyn::core {

struct LibraryState;

constexpr int kAttachAttempts = 46;
constexpr uint32_t kAttachPollMilliseconds = 1000;
constexpr char kConfigFileName[] = "\\zyn.ini";

void processAttach(LibraryState& state);
void processDetach(LibraryState& state);

// Opens "ZYN_MAP_1" when no mapping handle is held: up to 46 attempts, each followed by a
// one-second pause (the successful one too). True when a mapping handle is held afterwards.
bool openSectionWithRetries(LibraryState& state);

// Expands "%windir%" and appends `fileName`; false when the expansion fails or the whole path
// does not fit `capacity` (a path is refused rather than cut).
bool windowsDirectoryPath(char* out, uint32_t capacity, const char* fileName);

} // namespace zyn::core
