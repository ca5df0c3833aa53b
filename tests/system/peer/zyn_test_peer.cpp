// zyn_test_peer.cpp - a second process for the system tests: it looks at, holds and abandons the
// named objects that the library and the service share, which only another process can prove
// are shared. Commands and exit codes: peer_protocol.h.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "peer_protocol.h"
#include "platform/win32/scoped_win32.h"

namespace {

using namespace zyn::peer;
using zyn::win32::KernelHandle;
using zyn::win32::MappedView;

int fail(const char* what) {
    std::fprintf(stderr, "zyn_test_peer: %s failed, error %lu\n", what, static_cast<unsigned long>(GetLastError()));
    return kPeerFailed;
}

int absentOrFailed(const char* what) { return GetLastError() == ERROR_FILE_NOT_FOUND ? kPeerAbsent : fail(what); }

void printLine(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

int mutexExists(const char* name) {
    KernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, name));
    return mutex ? kPeerOk : absentOrFailed("OpenMutexA");
}

int sectionExists(const char* name) {
    KernelHandle section(OpenFileMappingA(FILE_MAP_READ, FALSE, name));
    return section ? kPeerOk : absentOrFailed("OpenFileMappingA");
}

int readSection(const char* name, unsigned long offset, unsigned long count) {
    KernelHandle section(OpenFileMappingA(FILE_MAP_READ, FALSE, name));
    if (!section) return absentOrFailed("OpenFileMappingA");
    MappedView view(MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return fail("MapViewOfFile");
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view.get(), &info, sizeof info) == 0 || offset + count > info.RegionSize) {
        std::fprintf(stderr, "zyn_test_peer: bytes %lu..%lu lie outside the view\n", offset, offset + count);
        return kPeerFailed;
    }
    const auto* bytes = static_cast<const unsigned char*>(view.get()) + offset;
    for (unsigned long i = 0; i < count; ++i)
        std::printf("%02x", bytes[i]);
    std::printf("\n");
    std::fflush(stdout);
    return kPeerOk;
}

KernelHandle openForWaiting(const char* name) {
    return KernelHandle(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name));
}

int waitMutex(const char* name, DWORD milliseconds) {
    KernelHandle mutex = openForWaiting(name);
    if (!mutex) return absentOrFailed("OpenMutexA");
    switch (WaitForSingleObject(mutex.get(), milliseconds)) {
    case WAIT_OBJECT_0: ReleaseMutex(mutex.get()); return kPeerOk;
    case WAIT_ABANDONED: ReleaseMutex(mutex.get()); return kPeerAbandoned;
    case WAIT_TIMEOUT: return kPeerTimedOut;
    default: return fail("WaitForSingleObject");
    }
}

// The mutex is created when nobody has made it yet, so that a test can hold a name before the
// library or the service opens it.
KernelHandle takeMutex(const char* name) {
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, name));
    if (!mutex) mutex = openForWaiting(name);
    if (!mutex) return mutex;
    DWORD result = WaitForSingleObject(mutex.get(), INFINITE);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) mutex.reset();
    return mutex;
}

int holdMutex(const char* name, DWORD milliseconds) {
    KernelHandle mutex = takeMutex(name);
    if (!mutex) return fail("taking the mutex");
    printLine(kHeldLine);
    Sleep(milliseconds);
    ReleaseMutex(mutex.get());
    return kPeerOk;
}

int exitHolding(const char* name) {
    KernelHandle mutex = takeMutex(name);
    if (!mutex) return fail("taking the mutex");
    printLine(kHeldLine);
    // No release, no orderly exit: the system abandons the mutex as it would after a crash.
    TerminateProcess(GetCurrentProcess(), kPeerExitedHolding);
    return kPeerFailed;
}

// Holds the file open as an ordinary reader does (the C library's fopen shares reading and
// writing, not deletion).
int holdOpen(const char* path, DWORD milliseconds) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return fail("fopen");
    printLine(kHeldLine);
    Sleep(milliseconds);
    std::fclose(file);
    return kPeerOk;
}

unsigned long number(const char* text) { return std::strtoul(text, nullptr, 10); }

} // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "mutex-exists" && argc == 3) return mutexExists(argv[2]);
    if (command == "section-exists" && argc == 3) return sectionExists(argv[2]);
    if (command == "read-section" && argc == 5) return readSection(argv[2], number(argv[3]), number(argv[4]));
    if (command == "wait-mutex" && argc == 4) return waitMutex(argv[2], number(argv[3]));
    if (command == "hold-mutex" && argc == 4) return holdMutex(argv[2], number(argv[3]));
    if (command == "exit-holding" && argc == 3) return exitHolding(argv[2]);
    if (command == "hold-open" && argc == 4) return holdOpen(argv[2], number(argv[3]));
    std::fprintf(stderr, "zyn_test_peer: unknown command; see peer_protocol.h\n");
    return kPeerFailed;
}
