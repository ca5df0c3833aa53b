// library_spine_test.cpp - loading and unloading TRVZYN32.dll: the presence and running tests in
// each state of the service, the named mutexes the library shares with other processes, and an
// unload that gives back everything a load took.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "peer/peer_protocol.h"
#include "support/clean_machine.h"
#include "support/loaded_library.h"
#include "support/peer_process.h"
#include "support/process_resources.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Asked of a second process: only a named object that is really shared is visible there.
DWORD peerSeesMutex(const std::string& name) { return runPeer("mutex-exists " + name).exitCode; }

void expectPeerSees(const std::string& name) {
    EXPECT_EQ(peerSeesMutex(name), static_cast<DWORD>(zyn::peer::kPeerOk)) << name;
}
void expectPeerMisses(const std::string& name) {
    EXPECT_EQ(peerSeesMutex(name), static_cast<DWORD>(zyn::peer::kPeerAbsent)) << name;
}

struct ServiceAnswers {
    int32_t present;
    int32_t running;
};

ServiceAnswers askLibrary(const LoadedLibrary& library) {
    return {ZYN_EXPORT(library, ZYN_IsServicePresent)(), ZYN_EXPORT(library, ZYN_IsServiceRunning)()};
}

uint32_t handlesOf(const ProcessResources& resources, const std::string& type) {
    const auto found = resources.handlesByType.find(type);
    return found == resources.handlesByType.end() ? 0u : found->second;
}

// The numbers go to the test's output, so that a failure shows the size of the change.
void printChange(const ProcessResources& before, const ProcessResources& after, int loads) {
    std::printf("over %d loads: handles %u -> %u, process heap %llu -> %llu, all heaps %llu -> %llu, "
                "committed private %llu -> %llu bytes\n",
                loads, before.handles, after.handles, static_cast<unsigned long long>(before.processHeapBytes),
                static_cast<unsigned long long>(after.processHeapBytes),
                static_cast<unsigned long long>(before.allHeapsBytes),
                static_cast<unsigned long long>(after.allHeapsBytes),
                static_cast<unsigned long long>(before.committedPrivateBytes),
                static_cast<unsigned long long>(after.committedPrivateBytes));
    for (const auto& [type, count] : after.handlesByType) {
        if (count != handlesOf(before, type))
            std::printf("  %s handles %u -> %u\n", type.c_str(), handlesOf(before, type), count);
    }
}

using LibrarySpineTest = CleanMachineTest;

TEST_F(LibrarySpineTest, WithoutTheServiceNeitherPresentNorRunning) {
    ZynIni ini(kFixedLayoutIni);
    LoadedLibrary library;
    const ServiceAnswers answers = askLibrary(library);
    EXPECT_EQ(answers.present, 0);
    EXPECT_EQ(answers.running, 0);
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_Init)(), 0);
}

TEST_F(LibrarySpineTest, InstalledStoppedServiceIsPresentButNotRunning) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    LoadedLibrary library;
    const ServiceAnswers answers = askLibrary(library);
    EXPECT_EQ(answers.present, 1);
    EXPECT_EQ(answers.running, 0);
}

TEST_F(LibrarySpineTest, RunningServiceIsPresentAndRunningUntilItStops) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    const auto loadStart = Clock::now();
    LoadedLibrary library;
    const auto loadTime = Clock::now() - loadStart;
    // LoadLibrary leaves the set-up to the first call, which finds the section at once.
    EXPECT_LT(loadTime, 950ms);
    ServiceAnswers answers = askLibrary(library);
    EXPECT_EQ(answers.present, 1);
    EXPECT_EQ(answers.running, 1);

    service.stop();
    answers = askLibrary(library);
    EXPECT_EQ(answers.present, 1);
    EXPECT_EQ(answers.running, 0);
}

TEST_F(LibrarySpineTest, LibraryCreatesTheSharedMutexesAndUnloadRemovesThem) {
    ZynIni ini(kFixedLayoutIni);
    // No service is installed: whatever exists now was created by the library's set-up.
    LoadedLibrary library;
    ASSERT_EQ(ZYN_EXPORT(library, ZYN_Init)(), 0);
    expectPeerSees("__ZYN_INIFILE");
    expectPeerSees("ZYN_MAP_1-00001");
    expectPeerSees("ZYN_MAP_1-00002");
    expectPeerSees("ZYN_MAP_1-00005");
    expectPeerMisses("ZYN_MAP_1-00003");
    expectPeerMisses("ZYN_MAP_1-00040"); // the E option does not name the mutex

    library.unload();
    expectPeerMisses("__ZYN_INIFILE");
    expectPeerMisses("ZYN_MAP_1-00001");
    expectPeerMisses("ZYN_MAP_1-00002");
    expectPeerMisses("ZYN_MAP_1-00005");
}

TEST_F(LibrarySpineTest, PackedLayoutMutexesAreNumberedByTablePosition) {
    ZynIni ini(kPackedLayoutIni);
    LoadedLibrary library;
    ASSERT_EQ(ZYN_EXPORT(library, ZYN_Init)(), 0);
    expectPeerSees("ZYN_MAP_1-00000");
    expectPeerSees("ZYN_MAP_1-00001");
    expectPeerSees("ZYN_MAP_1-00002");
    expectPeerMisses("ZYN_MAP_1-00004");
    expectPeerMisses("ZYN_MAP_1-00009");
}

TEST_F(LibrarySpineTest, UnloadReleasesTheModule) {
    {
        LoadedLibrary library;
        EXPECT_EQ(GetModuleHandleA(kLibraryName), library.handle());
    }
    EXPECT_EQ(GetModuleHandleA(kLibraryName), nullptr);
}

// A header whose MAX_STATIC_EXCHANGES asks for tables no 32-bit process could hold is a failed
// allocation in both DLLs, found before anything is allocated: the load returns at once, with no
// table and the header's values.
TEST_F(LibrarySpineTest, HeaderAskingForGiganticTablesLoadsAtOnceWithoutATable) {
    const struct {
        const char* value;
        uint32_t held; // what the reader makes of it
    } rows[] = {{"1073741824", 1073741824u}, {"99999999999", 2147483647u}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        ZynIni ini(std::string("MAX_STATIC_EXCHANGES = ") + row.value +
                   "\n[EXCHANGE_DEFS]\n1\t100\t1\tNODE1\tGROUP\tM\n");
        const auto loadStart = Clock::now();
        LoadedLibrary library;
        const auto loadTime = Clock::now() - loadStart;
        EXPECT_LT(loadTime, 5s);
        std::printf("load with MAX_STATIC_EXCHANGES = %s: %lld ms\n", row.value,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(loadTime).count()));
        ExchangeDef table[1] = {};
        EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetAllExchangesFromConfigFile)(table), 0) << "no table is loaded";
        EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromConfigFile)(), 0);
        ServiceConfigParams params = {};
        ZYN_EXPORT(library, ZYN_GetServiceConfigParams)(&params);
        EXPECT_EQ(params.maxStaticExchanges, row.held);
    }
}

// Each load and unload is a full attach and detach: the tables, the mutexes and the handles of
// the status tests must all be given back. MAX_STATIC_EXCHANGES = 512 makes every table large
// enough (at least 2 KB) that one left behind per load cannot hide in the tolerances.
TEST_F(LibrarySpineTest, RepeatedLoadAndUnloadKeepsHandlesAndMemoryLevel) {
    constexpr int kWarmUpCycles = 20;
    constexpr int kMeasuredCycles = 200;
    ZynIni ini("MAX_STATIC_EXCHANGES = 512\n"
               "[EXCHANGE_DEFS]\n"
               "1\t100\t1\tNODE1\tGROUP\tM\n"
               "2\t8\t1\tNODE2\tGROUP\tM\n");
    ReferenceService service; // installed and stopped: the load asks the SCM but attaches nothing
    const auto cycle = [] {
        LoadedLibrary library;
        ASSERT_EQ(ZYN_EXPORT(library, ZYN_IsServicePresent)(), 1);
    };
    // The first loads bring in system DLLs and caches that stay for good.
    for (int i = 0; i < kWarmUpCycles; ++i)
        cycle();
    const ProcessResources before = measureProcessResources();
    for (int i = 0; i < kMeasuredCycles; ++i)
        cycle();
    const ProcessResources after = measureProcessResources();
    printChange(before, after, kMeasuredCycles);

    EXPECT_GT(before.handles, 0u);
    // Every kind stays level: the library's own mutexes, section and SCM handles, and whatever
    // the runtimes linked into the DLL open (one handle of slack for the system's caches).
    for (const auto& [type, count] : after.handlesByType) {
        EXPECT_LE(count, handlesOf(before, type) + 1) << type << " handles left open by loads";
    }
    // The library's tables and records come from the process heap.
    EXPECT_LE(after.processHeapBytes, before.processHeapBytes + 4 * 1024) << "library tables left allocated";
    // The runtimes linked into the DLL free what they took; 16 KB over all the loads is room for
    // the system's caches, well below the least that one forgotten table per load would leave.
    constexpr uint64_t kTolerance = 16 * 1024;
    EXPECT_LE(after.allHeapsBytes, before.allHeapsBytes + kTolerance) << "heap memory left allocated by loads";
    EXPECT_LE(after.committedPrivateBytes, before.committedPrivateBytes + kTolerance + 256 * 1024)
        << "private memory left committed by loads";
}

} // namespace
