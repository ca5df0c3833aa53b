// library_bench.cpp - what the library's operations cost under the reference service, each
// beside its floor: the platform work the operation cannot avoid, measured in the same run.
// Prints one table and writes it as CSV. Not a test: the figures are for reading, and nothing
// here asserts them. Times are in microseconds; the memory rows say their unit, KiB.
//
// Usage: zyn_library_bench CSV-PATH [--library DLL] [--unlocked DLL] [--zynctl EXE]
//   --library   the DLL to measure (default: the one beside this program), e.g. an older build
//   --unlocked  a build of the same sources without the state lock, for the lock's cost
//   --zynctl    the zynctl.exe to run as a whole process (default: the build tree's)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client_support.h"
#include "trvzyn32.h"

namespace zyn {
namespace {

constexpr char kServiceName[] = "ZYN Service";
constexpr int kDefinitions = 512;
constexpr int kRounds = 5;
constexpr int kTurns = 3; // of rounds, taken in turns with the operations compared

double nowSeconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per call of `body`, the best of `rounds` rounds of `calls` calls: under Wine a
// round now and then waits for the wineserver, and the best round is the cost itself.
double bestMicroseconds(int calls, const std::function<void()>& body, int rounds = kRounds) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const double start = nowSeconds();
        for (int i = 0; i < calls; ++i)
            body();
        best = std::min(best, (nowSeconds() - start) / calls * 1e6);
    }
    return best;
}

// Seconds that one run of `measured` takes, the best of `rounds`; `prepare` runs untimed before
// each.
double bestSeconds(int rounds, const std::function<void()>& prepare, const std::function<void()>& measured) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        const double start = nowSeconds();
        measured();
        best = std::min(best, nowSeconds() - start);
    }
    return best;
}

// The library loaded by hand, so that an unload and a load again are a fresh process attach.
struct Library {
    std::string path = ZYN_LIBRARY_FILE;
    HMODULE module = nullptr;
    template <typename F> F* get(const char* name) const {
        return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    void load() { module = LoadLibraryA(path.c_str()); }
    void unload() {
        FreeLibrary(module);
        module = nullptr;
    }
};
#define ZYN_FN(library, name) ((library).get<decltype(name)>(#name))

std::string windowsFile(const char* name) { return client::windowsFile(name); }

void writeIni(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return;
    // Pages 1056 bytes apart: room for the 1024 data bytes of exchange 1 after its header.
    std::fprintf(file, "MAX_EXCHANGE_SIZE = 1056\nMAX_STATIC_EXCHANGES = 600\n[EXCHANGE_DEFS]\n");
    for (int n = 1; n <= kDefinitions; ++n)
        std::fprintf(file, "%d\t%d\t1\tNODE%d\tGROUP\tM,E=%d\n", n, n == 1 ? 1024 : 64, n % 7, n);
    std::fclose(file);
}

// The presence test and the running test as the library made them before it kept its manager.
void literalStatusTests() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
    SC_HANDLE service = OpenServiceA(manager, kServiceName, GENERIC_READ);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
    service = OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    QueryServiceStatus(service, &status);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

// Both tests from one service open through a kept manager: what no data call can do without.
void floorStatusTests(SC_HANDLE keptManager) {
    SC_HANDLE service = OpenServiceA(keptManager, kServiceName, GENERIC_READ);
    SERVICE_STATUS status{};
    QueryServiceStatus(service, &status);
    CloseServiceHandle(service);
}

void lockedCopy(HANDLE mutex, void* to, const void* from, size_t bytes, void* header, const void* pageHeader) {
    WaitForSingleObject(mutex, INFINITE);
    std::memcpy(header, pageHeader, 32);
    std::memcpy(to, from, bytes);
    ReleaseMutex(mutex);
}

// Reads every line as the loader does.
void readLines(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    char piece[128];
    while (file != nullptr && std::fgets(piece, sizeof piece, file) != nullptr) {
    }
    if (file != nullptr) std::fclose(file);
}

void copyFile(const std::string& from, const std::string& to) {
    FILE* in = std::fopen(from.c_str(), "r");
    FILE* out = std::fopen(to.c_str(), "w");
    char piece[128];
    while (in != nullptr && out != nullptr && std::fgets(piece, sizeof piece, in) != nullptr)
        std::fputs(piece, out);
    if (out != nullptr) {
        std::fflush(out);
        std::fclose(out);
    }
    if (in != nullptr) std::fclose(in);
}

struct Row {
    std::string what;
    double library;
    std::string floorName;
    double floor;
};

// Ten definitions under a header that allows `maxStatic`: what a load costs when the limit is far
// above what the file defines.
void writeTenDefinitions(const std::string& path, int maxStatic) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return;
    std::fprintf(file, "MAX_STATIC_EXCHANGES = %d\n[EXCHANGE_DEFS]\n", maxStatic);
    for (int n = 1; n <= 10; ++n)
        std::fprintf(file, "%d\t64\t1\tNODE%d\tGROUP\tM,E=%d\n", n, n, n);
    std::fclose(file);
}

struct MemoryUse {
    double committedKiB = 0;  // private memory the process has committed
    double workingSetKiB = 0; // of all its memory, what lies in physical memory
};

// The committed private memory is summed over the address space: Wine reports no PrivateUsage.
MemoryUse memoryUse() {
    double committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += static_cast<double>(region.RegionSize);
    }
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {committed / 1024, static_cast<double>(counters.WorkingSetSize) / 1024};
}

// A fresh load and the set-up of the file at `path`: the best time of `rounds`, and what the
// process commits and holds in its working set for the loaded library (the least of the rounds).
struct LoadCost {
    double microseconds = 1e30;
    MemoryUse grown{1e30, 1e30};
};

template <typename LoadAndInit> LoadCost loadCost(int rounds, Library& library, LoadAndInit loadAndInit) {
    LoadCost cost;
    for (int round = 0; round < rounds; ++round) {
        library.unload();
        const MemoryUse before = memoryUse();
        const double start = nowSeconds();
        loadAndInit();
        cost.microseconds = std::min(cost.microseconds, (nowSeconds() - start) * 1e6);
        const MemoryUse after = memoryUse();
        cost.grown.committedKiB = std::min(cost.grown.committedKiB, after.committedKiB - before.committedKiB);
        cost.grown.workingSetKiB = std::min(cost.grown.workingSetKiB, after.workingSetKiB - before.workingSetKiB);
    }
    return cost;
}

ExchangeAccess accessTo(const char* name, uint32_t* count) {
    ExchangeAccess access;
    std::memset(&access, 0, sizeof access);
    std::snprintf(access.exchangeName, sizeof access.exchangeName, "%s", name);
    access.lengthPtr = count;
    return access;
}

HANDLE openExchangeMutex(int number) {
    char name[40];
    std::snprintf(name, sizeof name, "ZYN_MAP_1-%05d", number);
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name);
    if (mutex != nullptr) return mutex;
    std::snprintf(name, sizeof name, "Global\\ZYN_MAP_1-%05d", number);
    return OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name);
}

// ZYN_GetExchanges of 1, 16 and 512 exchanges of 64 bytes, against as many ZYN_GetExchange calls
// and against its floor: one status test, then per exchange one mutex wait and release and the
// copy.
void batchRows(const Library& library, SC_HANDLE keptManager, std::vector<Row>& rows, int& failures) {
    constexpr uint32_t kBytes = 64;
    uint32_t count = kBytes;
    std::vector<ExchangeAccess> accesses;
    std::vector<unsigned char*> pages;
    std::vector<HANDLE> mutexes;
    char name[64];
    for (int n = 1; n <= kDefinitions; ++n) {
        std::snprintf(name, sizeof name, "exchange_%d@NODE%d", n, n % 7);
        accesses.push_back(accessTo(name, &count));
        pages.push_back(static_cast<unsigned char*>(ZYN_FN(library, ZYN_GetExchangePtr)(&accesses.back())));
        mutexes.push_back(openExchangeMutex(n));
    }
    std::vector<std::vector<unsigned char>> buffers(kDefinitions, std::vector<unsigned char>(kBytes));
    std::vector<ExchangeTransfer> transfers;
    for (int i = 0; i < kDefinitions; ++i)
        transfers.push_back({&accesses[i], buffers[i].data(), 0});
    auto* getMany = ZYN_FN(library, ZYN_GetExchanges);
    auto* get = ZYN_FN(library, ZYN_GetExchange);
    unsigned char header[32];
    for (const int batch : {1, 16, kDefinitions}) {
        const std::string what = "ZYN_GetExchanges " + std::to_string(batch) + " x 64 B";
        const int calls = std::max(1, 300 / batch);
        const auto batchCall = [&] { failures += getMany(transfers.data(), static_cast<uint32_t>(batch)) != ZYN_OK; };
        const auto singleCalls = [&] {
            for (int i = 0; i < batch; ++i)
                failures += get(&accesses[i], buffers[i].data()) != ZYN_OK;
        };
        const auto floorWork = [&] {
            floorStatusTests(keptManager);
            for (int i = 0; i < batch; ++i)
                lockedCopy(mutexes[i], buffers[i].data(), pages[i] + 32, kBytes, header, pages[i]);
        };
        // The three are measured in turns, so that a busy spell of the machine does not fall on
        // one of them only.
        double library_ = 1e30, singles = 1e30, floor = 1e30;
        for (int turn = 0; turn < kTurns; ++turn) {
            library_ = std::min(library_, bestMicroseconds(calls, batchCall));
            singles = std::min(singles, bestMicroseconds(calls, singleCalls));
            floor = std::min(floor, bestMicroseconds(calls, floorWork));
        }
        rows.push_back({what, library_, std::to_string(batch) + " ZYN_GetExchange calls", singles});
        rows.push_back({what, library_, "floor", floor});
    }
    for (HANDLE mutex : mutexes)
        CloseHandle(mutex);
}

// Runs `commandLine` as a process of its own, to its end.
void runProcess(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        return;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The service state the SCM reports, without sending the service anything.
DWORD serviceState() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    QueryServiceStatus(service, &status);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return status.dwCurrentState;
}

// Starts the installed service without waiting for it, in a thread of its own: under some
// systems StartService itself returns only once the service has left START_PENDING.
DWORD WINAPI startService(void*) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_START);
    StartServiceA(service, 0, nullptr);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return 0;
}

HANDLE startServiceInBackground() { return CreateThread(nullptr, 0, startService, nullptr, 0, nullptr); }

struct Options {
    std::string csvPath = "library_bench.csv";
    std::string library = ZYN_LIBRARY_FILE;
    std::string unlocked;
    std::string zynctl = client::besideThisProgram("..\\tools\\zynctl\\zynctl.exe");
};

Options parseOptions(int argc, char** argv) {
    Options options;
    if (argc > 1) options.csvPath = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--library") options.library = argv[i + 1];
        if (name == "--unlocked") options.unlocked = argv[i + 1];
        if (name == "--zynctl") options.zynctl = argv[i + 1];
    }
    return options;
}

std::string wineVersion() {
    using Version = const char*();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto* version = reinterpret_cast<Version*>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    return version != nullptr ? version() : "not Wine";
}

} // namespace
} // namespace zyn

int main(int argc, char** argv) {
    using namespace zyn;
    const Options options = parseOptions(argc, argv);
    client::deleteServiceEntry(kServiceName);
    const std::string ini = windowsFile("zyn.ini");
    const std::string copy = windowsFile("zyn_bench_copy.ini");
    const std::string servicePath = client::besideThisProgram("zyn_reference_service.exe");
    writeIni(ini);
    std::vector<Row> rows;

    // ---- with the service installed but stopped: the load, the edits, the lookups
    Library library;
    library.path = options.library;
    library.load();
    if (library.module == nullptr || ZYN_FN(library, ZYN_InitService)(servicePath.c_str()) != 1) {
        std::printf("the library could not be loaded or the service not installed\n");
        return 1;
    }
    constexpr int kLoadRounds = 15;
    const auto reload = [&] { library.unload(); };
    const double loadOnly = bestSeconds(kLoadRounds, reload, [&] { library.load(); }) * 1e6;
    const double load = bestSeconds(kLoadRounds, reload,
                                    [&] {
                                        library.load();
                                        ZYN_FN(library, ZYN_Init)();
                                    }) *
                        1e6;
    rows.push_back({"LoadLibrary, service stopped", loadOnly, "LoadLibrary + ZYN_Init, service stopped", load});
    const double loadFloor = bestMicroseconds(
        1,
        [&] {
            readLines(ini);
            std::vector<HANDLE> mutexes;
            char name[32];
            for (int n = 1; n <= kDefinitions; ++n) {
                std::snprintf(name, sizeof name, "ZYN_BENCH-%05d", n);
                mutexes.push_back(CreateMutexA(nullptr, FALSE, name));
            }
            for (HANDLE mutex : mutexes)
                CloseHandle(mutex);
            SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
            CloseServiceHandle(OpenServiceA(manager, kServiceName, GENERIC_READ));
            CloseServiceHandle(manager);
        },
        kLoadRounds);
    rows.push_back(
        {"set-up of 512 definitions (load+Init)", load, "read lines + 512 mutexes + presence test", loadFloor});

    // Ten definitions under ever larger limits: the tables' cost should follow the definitions.
    {
        const auto loadAndInit = [&] {
            library.load();
            ZYN_FN(library, ZYN_Init)();
        };
        writeTenDefinitions(ini, 64);
        const LoadCost small = loadCost(kLoadRounds, library, loadAndInit);
        for (const int maxStatic : {65535, 1000000}) {
            writeTenDefinitions(ini, maxStatic);
            const LoadCost large = loadCost(kLoadRounds, library, loadAndInit);
            const std::string limit = "S=" + std::to_string(maxStatic);
            rows.push_back(
                {"set-up of 10 definitions, " + limit, large.microseconds, "the same, S=64", small.microseconds});
            rows.push_back({"  committed KiB, " + limit, large.grown.committedKiB, "  committed KiB, S=64",
                            small.grown.committedKiB});
            rows.push_back({"  working set KiB, " + limit, large.grown.workingSetKiB, "  working set KiB, S=64",
                            small.grown.workingSetKiB});
        }
        writeIni(ini);
        library.unload();
        library.load();
    }

    ExchangeDef added{};
    added.exchangeNumber = 590;
    added.size = 16;
    added.thirdNumber = 1;
    std::strcpy(added.producer, "BENCH");
    std::strcpy(added.destination, "GROUP");
    added.flags = ZYN_FLAG_MUTEX;
    added.exchangeId = 590;
    auto* add = ZYN_FN(library, ZYN_AddStaticExchange);
    auto* remove = ZYN_FN(library, ZYN_DeleteStaticExchange);
    int editFailures = 0;
    const double edit = bestMicroseconds(10,
                                         [&] {
                                             char name[] = "exchange_590@BENCH";
                                             editFailures += add(added) != ZYN_OK;
                                             editFailures += remove(name) != ZYN_OK;
                                         }) /
                        2;
    const double editFloor = bestMicroseconds(10, [&] {
        copyFile(ini, copy);
        copyFile(copy, ini);
        readLines(ini);
        CloseHandle(CreateMutexA(nullptr, FALSE, "ZYN_BENCH-EDIT"));
    });
    rows.push_back({"add or delete on 512 definitions", edit, "two file copies + one read + one mutex", editFloor});

    auto* lookup = ZYN_FN(library, ZYN_GetStaticExchangeParams);
    ExchangeDef found{};
    const double first = bestMicroseconds(20000, [&] { lookup("exchange_1@NODE1", &found); });
    const double last = bestMicroseconds(20000, [&] { lookup("exchange_512@NODE1", &found); });
    rows.push_back({"lookup of the last of 512", last, "lookup of the first", first});

    // ---- with the service running: the data path
    if (ZYN_FN(library, ZYN_StartService)() != ZYN_OK) {
        std::printf("the reference service could not be started\n");
        client::deleteServiceEntry(kServiceName);
        return 1;
    }
    uint32_t count = 64;
    ExchangeAccess access = accessTo("exchange_1@NODE1", &count);
    std::vector<unsigned char> data(1024, 0x5A);
    {
        const double runningLoad = bestSeconds(kLoadRounds, reload, [&] { library.load(); }) * 1e6;
        const double runningFirstGet = bestSeconds(kLoadRounds, reload,
                                                   [&] {
                                                       library.load();
                                                       ZYN_FN(library, ZYN_GetExchange)(&access, data.data());
                                                   }) *
                                       1e6;
        rows.push_back(
            {"LoadLibrary, service running", runningLoad, "LoadLibrary + first ZYN_GetExchange", runningFirstGet});
    }
    auto* page = static_cast<unsigned char*>(ZYN_FN(library, ZYN_GetExchangePtr)(&access));
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "ZYN_MAP_1-00001");
    if (mutex == nullptr) mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "Global\\ZYN_MAP_1-00001");
    SC_HANDLE keptManager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
    auto* get = ZYN_FN(library, ZYN_GetExchange);
    auto* put = ZYN_FN(library, ZYN_PutExchange);
    unsigned char header[32];
    int dataFailures = 0;
    for (const uint32_t bytes : {64u, 1024u}) {
        for (const bool write : {false, true}) {
            const std::string what =
                std::string(write ? "ZYN_PutExchange " : "ZYN_GetExchange ") + std::to_string(bytes) + " B";
            const double library_ = bestMicroseconds(300, [&] {
                count = bytes;
                dataFailures += (write ? put(&access, data.data()) : get(&access, data.data())) != ZYN_OK;
            });
            const auto copyOnce = [&] {
                if (write) {
                    lockedCopy(mutex, page + 32, data.data(), bytes, header, page);
                } else {
                    lockedCopy(mutex, data.data(), page + 32, bytes, header, page);
                }
            };
            const double literal = bestMicroseconds(300, [&] {
                literalStatusTests();
                copyOnce();
            });
            const double floor = bestMicroseconds(300, [&] {
                floorStatusTests(keptManager);
                copyOnce();
            });
            rows.push_back({what, library_, "literal call sequence", literal});
            rows.push_back({what, library_, "floor", floor});
        }
    }
    batchRows(library, keptManager, rows, dataFailures);
    CloseServiceHandle(keptManager);
    CloseHandle(mutex);

    // The state lock's cost: the same build without it, loaded beside, both measured in turns.
    if (!options.unlocked.empty()) {
        Library unlocked;
        unlocked.path = options.unlocked;
        unlocked.load();
        auto* getUnlocked = unlocked.module != nullptr && unlocked.module != library.module
                                ? ZYN_FN(unlocked, ZYN_GetExchange)
                                : nullptr;
        if (getUnlocked == nullptr) {
            std::printf("the build without the state lock could not be loaded beside this one\n");
        } else {
            double withLock = 1e30, withoutLock = 1e30;
            for (int turn = 0; turn < 4 * kRounds; ++turn) {
                withLock = std::min(withLock, bestMicroseconds(
                                                  300,
                                                  [&] {
                                                      count = 64;
                                                      dataFailures += get(&access, data.data()) != ZYN_OK;
                                                  },
                                                  1));
                withoutLock = std::min(withoutLock, bestMicroseconds(
                                                        300,
                                                        [&] {
                                                            count = 64;
                                                            dataFailures += getUnlocked(&access, data.data()) != ZYN_OK;
                                                        },
                                                        1));
            }
            rows.push_back({"ZYN_GetExchange 64 B", withLock, "same build without the state lock", withoutLock});
        }
        unlocked.unload();
    }

    // Whole processes: zynctl reading one exchange against a program that does nothing.
    {
        const std::string get1 = "\"" + options.zynctl + "\" get exchange_1@NODE1 --count 16";
        const std::string nothing = "\"" + client::besideThisProgram("zyn_empty_program.exe") + "\"";
        constexpr int kProcessRounds = 5;
        const double zynctl = bestSeconds(
                                  kProcessRounds, [] {}, [&] { runProcess(get1); }) *
                              1e6;
        const double empty = bestSeconds(
                                 kProcessRounds, [] {}, [&] { runProcess(nothing); }) *
                             1e6;
        rows.push_back({"zynctl get (whole process)", zynctl, "a program that does nothing", empty});
    }

    // ---- a service that is still starting: LoadLibrary, then the first call, which waits for it
    ZYN_FN(library, ZYN_StopService)();
    library.unload();
    client::deleteServiceEntry(kServiceName);
    library.load();
    const std::string slowService = "\"" + servicePath + "\" --start-delay-ms=3000";
    if (ZYN_FN(library, ZYN_InitService)(slowService.c_str()) == 1) {
        library.unload();
        HANDLE starter = startServiceInBackground();
        // A start the system refuses leaves the service stopped: the row is left out then.
        for (int waited = 0; waited < 10000 && serviceState() == SERVICE_STOPPED; ++waited)
            Sleep(1);
        const bool pending = serviceState() == SERVICE_START_PENDING;
        const double loadStart = nowSeconds();
        library.load();
        const double pendingLoad = (nowSeconds() - loadStart) * 1e6;
        const double callStart = nowSeconds();
        ZYN_FN(library, ZYN_Init)();
        const double firstCall = (nowSeconds() - callStart) * 1e6;
        if (pending) {
            rows.push_back(
                {"LoadLibrary, service start-pending", pendingLoad, "the first call after it (waits)", firstCall});
        } else {
            std::printf("the service did not start; no start-pending row\n");
        }
        WaitForSingleObject(starter, INFINITE);
        CloseHandle(starter);
    }

    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    std::printf("cores: %lu, Wine: %s, best of %d rounds, microseconds per call\n",
                static_cast<unsigned long>(system.dwNumberOfProcessors), wineVersion().c_str(), kRounds);
    std::printf("%-34s %12s  %-42s %12s %7s\n", "operation", "library", "against", "that", "ratio");
    FILE* csv = std::fopen(options.csvPath.c_str(), "w");
    if (csv != nullptr) std::fprintf(csv, "operation,library_us,against,against_us,ratio\n");
    for (const Row& row : rows) {
        const double ratio = row.library / row.floor;
        std::printf("%-34s %12.2f  %-42s %12.2f %7.2f\n", row.what.c_str(), row.library, row.floorName.c_str(),
                    row.floor, ratio);
        if (csv != nullptr)
            std::fprintf(csv, "%s,%.3f,%s,%.3f,%.4f\n", row.what.c_str(), row.library, row.floorName.c_str(), row.floor,
                         ratio);
    }
    if (csv != nullptr) std::fclose(csv);
    if (editFailures + dataFailures != 0) std::printf("%d calls failed\n", editFailures + dataFailures);

    ZYN_FN(library, ZYN_StopService)();
    library.unload();
    client::deleteServiceEntry(kServiceName);
    std::remove(ini.c_str());
    std::remove(copy.c_str());
    std::remove(windowsFile("__zyntmp.ini").c_str());
    return editFailures + dataFailures == 0 ? 0 : 1;
}
