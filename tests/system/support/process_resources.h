// process_resources.h - what the test process holds, to show that loading and unloading the
// library gives back everything it took.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace zyn::test {

struct ProcessResources {
    uint32_t handles = 0;                          // kernel handles open in this process
    std::map<std::string, uint32_t> handlesByType; // "Mutant", "Section", "File", "Event", ...
    uint64_t processHeapBytes = 0;      // busy blocks of the process heap, where the library keeps its tables
    uint64_t allHeapsBytes = 0;         // busy blocks over every heap, the C runtime's included
    uint64_t committedPrivateBytes = 0; // committed private memory of the address space
};

ProcessResources measureProcessResources();

} // namespace zyn::test
