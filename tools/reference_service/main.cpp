// main.cpp - zyn_reference_service.exe: a stand-in for the ZYN Service, so that the library's
// tests, its demo and application developers can work without the real service.
#include <cstdio>
#include <cstring>

#include "options.h"
#include "service_hosts.h"

int main(int argc, char** argv) {
    using namespace zyn::reference;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(optionsUsage(), stdout);
            return 0;
        }
    }
    const ParsedOptions parsed = parseOptions(argc, argv);
    bool console = parsed.options.console;
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zyn_reference_service: %s\n%s", parsed.error.c_str(), optionsUsage());
        for (int i = 1; i < argc; ++i)
            console = console || std::strcmp(argv[i], "--console") == 0;
        return console ? 2 : reportInvalidSwitchesToServiceControlManager();
    }
    return console ? runInConsole(parsed.options) : runUnderServiceControlManager(parsed.options);
}
