// options.h - the reference service's command-line switches. Under the Service Control Manager
// they come from the binary path given at CreateService; tests use them to inject faults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zyn::reference {

enum class ReplyMode {
    Normal,    // head, count and one entry per record (at most 87)
    Empty,     // a datagram of 0 bytes
    Short,     // the first 6 bytes of the normal reply
    CountOnly, // the 12-byte head with the normal count, no entries
    Oversize,  // the normal reply padded with zeros to 1500 bytes
    Silent,    // no reply at all
    Count,     // the normal reply with the count field replaced
};

// The security the service gives its section and mutexes.
enum class SecurityMode {
    Service,    // SYSTEM and the Administrators full control, signed-in users what a client uses
    SystemOnly, // SYSTEM full control, everyone else (the Administrators too) what a client uses
    ReadOnly,   // SYSTEM full control, everyone else read the section and wait on the mutexes
    Default,    // the creator's default security (null security attributes)
};

struct MutexHold {
    int32_t number = 0;        // the number in the mutex name "ZYN_MAP_1-%05d"
    uint32_t milliseconds = 0; // how long it is held (--hold-mutex only)
};

struct Options {
    bool console = false;
    bool globalNames = false; // every object under "Global\\"
    SecurityMode security = SecurityMode::Service;
    bool createSection = true;
    uint32_t startDelayMs = 0; // reported START_PENDING this long before RUNNING
    uint32_t sectionDelayMs = 0;
    std::optional<uint64_t> sectionBytes; // forced size of the section
    ReplyMode reply = ReplyMode::Normal;
    int32_t replyCount = 0; // with ReplyMode::Count
    std::optional<MutexHold> holdMutex;
    std::optional<int32_t> exitHolding;
};

struct ParsedOptions {
    Options options;
    std::string error; // empty when every switch was understood
};

ParsedOptions parseOptions(int argc, const char* const* argv);

// One line per switch, for --help and for the error message of a bad switch.
const char* optionsUsage();

} // namespace zyn::reference
