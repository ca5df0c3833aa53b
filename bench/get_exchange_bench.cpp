// get_exchange_bench.cpp - the cost of ZYN_GetExchange of 64 bytes against the reference
// service, beside the platform calls that operation cannot avoid: the Service Control Manager's
// presence and running tests, the exchange mutex's wait and release, and the copy.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "client_support.h"
#include "trvzyn32.h"

namespace zyn {
namespace {

constexpr char kServiceName[] = "ZYN Service";
constexpr int kRounds = 5;
constexpr int kIterations = 300;

double nowSeconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What ZYN_GetExchange must do in any case, done directly.
double unavoidableCalls(HANDLE mutex, const unsigned char* page, unsigned char* header, unsigned char* data) {
    double start = nowSeconds();
    for (int i = 0; i < kIterations; ++i) {
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
        WaitForSingleObject(mutex, INFINITE);
        std::memcpy(header, page, 32);
        std::memcpy(data, page + 32, 64);
        ReleaseMutex(mutex);
    }
    return (nowSeconds() - start) / kIterations;
}

double libraryCalls(ExchangeAccess& access, unsigned char* data, int& failures) {
    double start = nowSeconds();
    for (int i = 0; i < kIterations; ++i)
        failures += ZYN_GetExchange(&access, data) != ZYN_OK;
    return (nowSeconds() - start) / kIterations;
}

} // namespace
} // namespace zyn

int main() {
    using namespace zyn;
    client::deleteServiceEntry(kServiceName);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string ini = std::string(windows) + "\\zyn.ini";
    if (FILE* file = std::fopen(ini.c_str(), "w")) {
        std::fputs("MAX_EXCHANGE_SIZE = 256\nMAX_STATIC_EXCHANGES = 16\n[EXCHANGE_DEFS]\n1\t64\t1\tNODE1\tG\tM,E=1\n",
                   file);
        std::fclose(file);
    }
    if (ZYN_InitService(client::besideThisProgram("zyn_reference_service.exe").c_str()) != 1 ||
        ZYN_StartService() != ZYN_OK) {
        std::printf("the reference service could not be started\n");
        client::deleteServiceEntry(kServiceName);
        return 1;
    }

    uint32_t count = 64;
    ExchangeAccess access;
    std::memset(&access, 0, sizeof access);
    std::strcpy(access.exchangeName, "exchange_1@NODE1");
    access.lengthPtr = &count;
    auto* page = static_cast<unsigned char*>(ZYN_GetExchangePtr(&access));
    HANDLE mutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "ZYN_MAP_1-00001");
    unsigned char header[32], data[64];
    int failures = 0;

    std::printf("ZYN_GetExchange of 64 bytes, %d calls per round, microseconds per call\n", kIterations);
    std::printf("%-8s %14s %14s %8s\n", "round", "library", "unavoidable", "ratio");
    double bestLibrary = 1e9, bestFloor = 1e9;
    for (int round = 1; round <= kRounds; ++round) {
        double floor = unavoidableCalls(mutex, page, header, data);
        double library = libraryCalls(access, data, failures);
        bestLibrary = library < bestLibrary ? library : bestLibrary;
        bestFloor = floor < bestFloor ? floor : bestFloor;
        std::printf("%-8d %14.2f %14.2f %8.3f\n", round, library * 1e6, floor * 1e6, library / floor);
    }
    std::printf("best     %14.2f %14.2f %8.3f  (library work adds %.1f%%)\n", bestLibrary * 1e6, bestFloor * 1e6,
                bestLibrary / bestFloor, (bestLibrary / bestFloor - 1) * 100);
    if (failures != 0) std::printf("%d calls failed\n", failures);

    CloseHandle(mutex);
    ZYN_StopService();
    client::deleteServiceEntry(kServiceName);
    std::remove(ini.c_str());
    return failures == 0 ? 0 : 1;
}
