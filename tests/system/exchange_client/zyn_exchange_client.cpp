// zyn_exchange_client.cpp - another application that reads or writes one exchange's live data,
// or reads the two registry settings, through its own copy of the DLL of its bitness, loaded
// with LoadLibrary. Built for the other bitness, it is the partner of the tests in which 32-bit
// and 64-bit programs share one machine.
// Commands and exit codes: support/exchange_client_protocol.h.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>
#include <vector>

#include "support/exchange_client_protocol.h"
#include "support/loaded_library.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::exchange_client;
using zyn::test::LoadedLibrary;

int usage(const char* what) {
    std::fprintf(stderr, "zyn_exchange_client: %s\n", what);
    return kClientUsage;
}

bool parseCount(const char* text, uint32_t& value) {
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || parsed > UINT32_MAX) return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

// The record as an application fills it, with the count it points to.
struct Request {
    Request(const char* name, uint32_t offset, uint32_t byteCount) : count(byteCount) {
        std::snprintf(access.exchangeName, sizeof access.exchangeName, "%s", name);
        access.offset = offset;
        access.lengthPtr = &count;
    }
    uint32_t count;
    ExchangeAccess access{};
};

int get(const LoadedLibrary& library, const char* name, uint32_t offset, uint32_t count) {
    Request request(name, offset, count);
    std::vector<uint8_t> data(count);
    const int32_t result = ZYN_EXPORT(library, ZYN_GetExchange)(&request.access, data.data());
    std::printf("%d", static_cast<int>(result));
    if (result == ZYN_OK) {
        std::printf(" %u %s %s", static_cast<unsigned>(request.access.statusClear),
                    hexText(request.access.header, sizeof request.access.header).c_str(), hexText(data).c_str());
    }
    std::printf("\n");
    return kClientOk;
}

int put(const LoadedLibrary& library, const char* name, uint32_t offset, const char* headerHex, const char* dataHex) {
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;
    if (!bytesFromHex(headerHex, header) || header.size() != ZYN_PAGE_HEADER_SIZE) return usage("bad header bytes");
    if (!bytesFromHex(dataHex, data)) return usage("bad data bytes");
    Request request(name, offset, static_cast<uint32_t>(data.size()));
    std::memcpy(request.access.header, header.data(), header.size());
    std::printf("%d\n", static_cast<int>(ZYN_EXPORT(library, ZYN_PutExchange)(&request.access, data.data())));
    return kClientOk;
}

int settings(const LoadedLibrary& library) {
    std::printf("%d %d\n", static_cast<int>(ZYN_EXPORT(library, ZYN_ThirdPartyAppsAllowed)()),
                static_cast<int>(ZYN_EXPORT(library, ZYN_GetMaxExchangeSize)()));
    return kClientOk;
}

int run(int argc, char** argv) {
    if (argc < 2) return usage("no command");
    const std::string_view command = argv[1];
    uint32_t offset = 0;
    uint32_t count = 0;
    if (command == "get" && argc == 5 && parseCount(argv[3], offset) && parseCount(argv[4], count)) {
        return get(LoadedLibrary(), argv[2], offset, count);
    }
    if (command == "put" && argc == 6 && parseCount(argv[3], offset)) {
        return put(LoadedLibrary(), argv[2], offset, argv[4], argv[5]);
    }
    if (command == "settings" && argc == 2) return settings(LoadedLibrary());
    return usage("unknown command or wrong arguments");
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& failure) {
        return usage(failure.what());
    }
}
