// zyn_demo.cpp - shows the DLL of its bitness at work against the reference service: it installs
// and configures the service, edits the exchange definitions, starts the service, reads and
// writes live exchange data, asks the service for its exchange list, and stops and resets it.
// Given --partner=PATH, the demo built for the other bitness, it lets that one read and write
// the same live exchange through its own DLL while the service runs (--as-partner).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "client_support.h"
#include "trvzyn32.h"

namespace zyn {
namespace {

constexpr char kServiceName[] = "ZYN Service";
constexpr char kPartnerSwitch[] = "--partner=";
constexpr char kAsPartnerSwitch[] = "--as-partner";
constexpr int kBits = sizeof(void*) * 8;

void step(const char* text) { std::printf("\n== %s\n", text); }

void show(const char* call, int32_t result) { std::printf("  %-58s -> %d\n", call, static_cast<int>(result)); }

void printFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return;
    char line[128];
    while (std::fgets(line, sizeof line, file) != nullptr)
        std::printf("  | %s", line);
    std::printf("\n");
    std::fclose(file);
}

ExchangeDef definition(int32_t number, uint32_t size, const char* producer, int32_t id) {
    ExchangeDef d;
    std::memset(&d, 0, sizeof d);
    d.exchangeNumber = number;
    d.size = size;
    d.thirdNumber = 1;
    std::strcpy(d.producer, producer);
    std::strcpy(d.destination, "PLANT");
    d.flags = ZYN_FLAG_MUTEX;
    d.exchangeId = id;
    return d;
}

void listConfiguredExchanges() {
    int32_t count = ZYN_GetNumberOfExchangesFromConfigFile();
    ExchangeDef table[64];
    if (count < 0 || count > 64 || ZYN_GetAllExchangesFromConfigFile(table) != ZYN_OK) return;
    for (int32_t i = 0; i < count; ++i) {
        std::printf("  exchange_%d@%s: number %d, %u bytes, destination %s, flags %u\n", table[i].exchangeId,
                    table[i].producer, table[i].exchangeNumber, table[i].size, table[i].destination, table[i].flags);
    }
}

void readExchange(const char* name, uint32_t offset, uint32_t count) {
    ExchangeAccess access;
    std::memset(&access, 0, sizeof access);
    std::strcpy(access.exchangeName, name);
    access.offset = offset;
    access.lengthPtr = &count;
    unsigned char data[64] = {};
    int32_t result = ZYN_GetExchange(&access, data);
    std::printf("  ZYN_GetExchange(%s, offset %u, %u bytes) -> %d", name, offset, count, static_cast<int>(result));
    if (result == ZYN_OK) {
        std::printf("; status %s; header", access.statusClear ? "clear" : "set");
        for (int i = 0; i < 20; ++i)
            std::printf(" %02x", access.header[i]);
        std::printf(" ...; data");
        for (uint32_t i = 0; i < count; ++i)
            std::printf(" %02x", data[i]);
    }
    std::printf("\n");
}

void writeExchange(const char* name, uint32_t offset, const char* text, unsigned char tag) {
    ExchangeAccess access;
    std::memset(&access, 0, sizeof access);
    std::strcpy(access.exchangeName, name);
    access.offset = offset;
    uint32_t count = static_cast<uint32_t>(std::strlen(text));
    access.lengthPtr = &count;
    access.header[12] = tag;
    access.header[16] = tag;
    const std::string call =
        std::string("ZYN_PutExchange(") + name + ", offset " + std::to_string(offset) + ", \"" + text + "\")";
    show(call.c_str(), ZYN_PutExchange(&access, text));
}

// The section the demo of the other bitness shows, in its own process, with its own DLL.
int partnerSection() {
    std::printf("  a %d-bit process with %s: ExchangeAccess is %u bytes here\n", kBits, ZYN_LIBRARY_FILE,
                static_cast<unsigned>(sizeof(ExchangeAccess)));
    show("ZYN_IsServiceRunning()", ZYN_IsServiceRunning());
    show("ZYN_GetNumberOfExchangesFromConfigFile()", ZYN_GetNumberOfExchangesFromConfigFile());
    readExchange("exchange_1@NODE1", 0, 12);
    writeExchange("exchange_1@NODE1", 16, (std::to_string(kBits) + "-bit").c_str(), static_cast<unsigned char>(kBits));
    return 0;
}

// Runs the partner demo to its end, on this process's console.
void runPartner(const std::string& path) {
    std::string commandLine = "\"" + path + "\" " + kAsPartnerSwitch;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("  %s could not be started (error %lu)\n", path.c_str(), GetLastError());
        return;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
} // namespace zyn

int main(int argc, char** argv) {
    using namespace zyn;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string partner;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == kAsPartnerSwitch) return partnerSection();
        if (argument.rfind(kPartnerSwitch, 0) == 0) partner = argument.substr(std::strlen(kPartnerSwitch));
    }
    const std::string servicePath = client::besideThisProgram("zyn_reference_service.exe");
    client::deleteServiceEntry(kServiceName);
    std::remove(client::windowsFile("zyn.ini").c_str());

    step("The library is loaded; nothing is installed yet");
    show("ZYN_Init()", ZYN_Init());
    show("ZYN_IsServicePresent()", ZYN_IsServicePresent());
    show("ZYN_StartService()", ZYN_StartService());

    step("Install the service (it is not started)");
    show(("ZYN_InitService(\"" + servicePath.substr(servicePath.find_last_of('\\') + 1) + "\")").c_str(),
         ZYN_InitService(servicePath.c_str()));
    show("ZYN_InitService(same path again)", ZYN_InitService(servicePath.c_str()));
    show("ZYN_IsServicePresent()", ZYN_IsServicePresent());
    show("ZYN_IsServiceRunning()", ZYN_IsServiceRunning());

    step("Set the service parameters and edit the static exchanges in zyn.ini");
    ServiceConfigParams params;
    std::memset(&params, 0, sizeof params);
    std::strcpy(params.multicast[0], "224.0.7.1");
    std::strcpy(params.multicast[1], "224.0.7.2");
    params.maxExchangeSize = 256;
    params.maxStaticExchanges = 32;
    params.maxDynamicExchanges = 8;
    params.exchMap = 0;
    show("ZYN_SetServiceConfigParams(2 groups, 256, 32, 8, EXCH_MAP 0)", ZYN_SetServiceConfigParams(params));
    show("ZYN_AddStaticExchange(1, 64 bytes, NODE1)", ZYN_AddStaticExchange(definition(1, 64, "NODE1", 1)));
    show("ZYN_AddStaticExchange(2, 16 bytes, NODE2)", ZYN_AddStaticExchange(definition(2, 16, "NODE2", 2)));
    show("ZYN_AddStaticExchange(3, 8 bytes, NODE3)", ZYN_AddStaticExchange(definition(3, 8, "NODE3", 3)));
    show("ZYN_AddStaticExchange(exchange 2 again)", ZYN_AddStaticExchange(definition(2, 16, "NODE2", 2)));
    show("ZYN_ChangeStaticExchangeParams(exchange_2@NODE2 -> 32 bytes)",
         ZYN_ChangeStaticExchangeParams(definition(2, 32, "NODE2", 2)));
    char doomed[] = "exchange_3@node3";
    show("ZYN_DeleteStaticExchange(\"exchange_3@node3\")", ZYN_DeleteStaticExchange(doomed));
    std::printf("  zyn.ini now reads:\n");
    printFile(client::windowsFile("zyn.ini"));
    listConfiguredExchanges();

    step("Start the service: the library attaches to its shared memory and reloads");
    show("ZYN_StartService()", ZYN_StartService());
    show("ZYN_IsServiceRunning()", ZYN_IsServiceRunning());

    step("Live exchange data");
    readExchange("exchange_1@NODE1", 0, 8);
    ExchangeAccess access;
    std::memset(&access, 0, sizeof access);
    std::strcpy(access.exchangeName, "exchange_1@NODE1");
    access.offset = 4;
    uint32_t count = 5;
    access.lengthPtr = &count;
    access.header[12] = 0x11;
    access.header[16] = 0x22;
    show("ZYN_PutExchange(exchange_1@NODE1, offset 4, \"hello\")", ZYN_PutExchange(&access, "hello"));
    readExchange("exchange_1@NODE1", 0, 12);
    readExchange("exchange_1@NODE1", 60, 8);
    std::printf("  ZYN_GetExchangePtr(exchange_1@NODE1) -> %s\n",
                ZYN_GetExchangePtr(&access) != nullptr ? "page address" : "0");

    if (!partner.empty()) {
        const int otherBits = kBits == 64 ? 32 : 64;
        step(("The same exchange from a " + std::to_string(otherBits) + "-bit application, with its own DLL").c_str());
        runPartner(partner);
        std::printf("  back in the %d-bit demo:\n", kBits);
        readExchange("exchange_1@NODE1", 16, 8);
    }

    step("Ask the running service for its exchange list over UDP");
    int32_t fromService = ZYN_GetNumberOfExchangesFromService();
    show("ZYN_GetNumberOfExchangesFromService()", fromService);
    unsigned char entries[ZYN_SERVICE_MAX_ENTRIES * ZYN_SERVICE_ENTRY_SIZE] = {};
    show("ZYN_GetAllExchangesFromService(area)", ZYN_GetAllExchangesFromService(entries));
    for (int32_t i = 0; i >= 0 && i < fromService && i < ZYN_SERVICE_MAX_ENTRIES; ++i) {
        std::printf("  entry %d:", static_cast<int>(i));
        for (int b = 0; b < ZYN_SERVICE_ENTRY_SIZE; ++b)
            std::printf(" %02x", entries[i * ZYN_SERVICE_ENTRY_SIZE + b]);
        std::printf("\n");
    }

    step("Registry settings");
    show("ZYN_ThirdPartyAppsAllowed()", ZYN_ThirdPartyAppsAllowed());
    show("ZYN_GetMaxExchangeSize()", ZYN_GetMaxExchangeSize());

    step("Reset the service (stop, wait, start, attach, reload), then stop it");
    show("ZYN_ResetService()", ZYN_ResetService());
    readExchange("exchange_2@NODE2", 0, 4);
    show("ZYN_StopService()", ZYN_StopService());
    readExchange("exchange_2@NODE2", 0, 4);
    show("ZYN_StopService() (already stopped)", ZYN_StopService());
    show("ZYN_RemoveService() (does nothing)", ZYN_RemoveService());

    client::deleteServiceEntry(kServiceName);
    std::printf("\nThe service entry was deleted again; the demo is done.\n");
    return 0;
}
