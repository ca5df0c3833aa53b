// process_resources.cpp - handle count, heap use and private memory of the test process.
#include "support/process_resources.h"

#include <windows.h>

#include <winternl.h>

#include <vector>

#include "support/system_error.h"

namespace zyn::test {

namespace {

// Handle values are multiples of 4 from 4 up. Wine answers GetProcessHandleCount with 0, so the
// handles are found by asking the system about each value in turn.
constexpr uintptr_t kHighestHandleProbed = 0x20000;

std::string handleTypeName(HANDLE handle) {
    alignas(8) unsigned char buffer[512];
    ULONG length = 0;
    if (NtQueryObject(handle, ObjectTypeInformation, buffer, sizeof buffer, &length) < 0) return "?";
    const auto& info = *reinterpret_cast<const PUBLIC_OBJECT_TYPE_INFORMATION*>(buffer);
    std::string name;
    for (USHORT i = 0; i < info.TypeName.Length / sizeof(WCHAR); ++i)
        name += static_cast<char>(info.TypeName.Buffer[i]);
    return name;
}

void countOpenHandles(ProcessResources& resources) {
    for (uintptr_t value = 4; value <= kHighestHandleProbed; value += 4) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        if (!GetHandleInformation(handle, &flags)) continue;
        ++resources.handles;
        ++resources.handlesByType[handleTypeName(handle)];
    }
}

uint64_t busyBytes(HANDLE heap) {
    uint64_t total = 0;
    if (!HeapLock(heap)) return 0;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) total += entry.cbData;
    }
    HeapUnlock(heap);
    return total;
}

// Every heap of the process, so that blocks the C runtime takes from its own heap count too.
uint64_t busyBytesOfAllHeaps() {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    uint64_t total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i)
        total += busyBytes(heaps[i]);
    return total;
}

// Walks the address space: Wine fills no private-usage counter.
uint64_t committedPrivateBytes() {
    uint64_t total = 0;
    uintptr_t address = 0;
    MEMORY_BASIC_INFORMATION info{};
    while (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break; // the top of the address space
        address = next;
    }
    return total;
}

} // namespace

ProcessResources measureProcessResources() {
    ProcessResources resources;
    countOpenHandles(resources);
    resources.processHeapBytes = busyBytes(GetProcessHeap());
    resources.allHeapsBytes = busyBytesOfAllHeaps();
    resources.committedPrivateBytes = committedPrivateBytes();
    return resources;
}

} // namespace zyn::test
