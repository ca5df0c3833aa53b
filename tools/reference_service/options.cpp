// options.cpp - parsing of the command-line switches.
#include "options.h"

#include <charconv>
#include <string_view>

namespace zyn::reference {

namespace {

template <typename Number> bool parseNumber(std::string_view text, Number& out) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc{} && end == text.data() + text.size();
}

bool startsWith(std::string_view text, std::string_view prefix, std::string_view& rest) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    rest = text.substr(prefix.size());
    return true;
}

bool parseReply(std::string_view value, Options& options) {
    struct Named {
        std::string_view name;
        ReplyMode mode;
    };
    static constexpr Named kModes[] = {
        {"normal", ReplyMode::Normal},        {"empty", ReplyMode::Empty},       {"short", ReplyMode::Short},
        {"count-only", ReplyMode::CountOnly}, {"oversize", ReplyMode::Oversize}, {"silent", ReplyMode::Silent},
    };
    for (const Named& named : kModes) {
        if (value == named.name) {
            options.reply = named.mode;
            return true;
        }
    }
    std::string_view count;
    if (startsWith(value, "count=", count) && parseNumber(count, options.replyCount)) {
        options.reply = ReplyMode::Count;
        return true;
    }
    return false;
}

bool parseSecurity(std::string_view value, Options& options) {
    struct Named {
        std::string_view name;
        SecurityMode mode;
    };
    static constexpr Named kModes[] = {
        {"service", SecurityMode::Service},
        {"system-only", SecurityMode::SystemOnly},
        {"read-only", SecurityMode::ReadOnly},
        {"default", SecurityMode::Default},
    };
    for (const Named& named : kModes) {
        if (value == named.name) {
            options.security = named.mode;
            return true;
        }
    }
    return false;
}

bool parseHold(std::string_view value, MutexHold& hold) {
    size_t colon = value.find(':');
    return colon != std::string_view::npos && parseNumber(value.substr(0, colon), hold.number) &&
           parseNumber(value.substr(colon + 1), hold.milliseconds);
}

// Applies one switch; false when it is unknown or its value is malformed.
bool applySwitch(std::string_view argument, Options& options) {
    std::string_view value;
    if (argument == "--console") {
        options.console = true;
        return true;
    }
    if (argument == "--global-names") {
        options.globalNames = true;
        return true;
    }
    if (argument == "--no-section") {
        options.createSection = false;
        return true;
    }
    if (startsWith(argument, "--security=", value)) return parseSecurity(value, options);
    if (startsWith(argument, "--start-delay-ms=", value)) return parseNumber(value, options.startDelayMs);
    if (startsWith(argument, "--section-delay-ms=", value)) return parseNumber(value, options.sectionDelayMs);
    if (startsWith(argument, "--section-bytes=", value)) {
        uint64_t bytes = 0;
        // A section of the paging file cannot be empty.
        if (!parseNumber(value, bytes) || bytes == 0) return false;
        options.sectionBytes = bytes;
        return true;
    }
    if (startsWith(argument, "--reply=", value)) return parseReply(value, options);
    if (startsWith(argument, "--hold-mutex=", value)) {
        MutexHold hold;
        if (!parseHold(value, hold)) return false;
        options.holdMutex = hold;
        return true;
    }
    if (startsWith(argument, "--exit-holding=", value)) {
        int32_t number = 0;
        if (!parseNumber(value, number)) return false;
        options.exitHolding = number;
        return true;
    }
    return false;
}

} // namespace

ParsedOptions parseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    for (int i = 1; i < argc; ++i) {
        if (!applySwitch(argv[i], parsed.options)) {
            parsed.error = std::string("unknown or malformed switch: ") + argv[i];
            break;
        }
    }
    return parsed;
}

const char* optionsUsage() {
    return "zyn_reference_service [switches]\n"
           "  --console                 run in this console until Enter or Ctrl-C, not under the SCM\n"
           "  --global-names            create every object under \"Global\\\" as a session-0 service's\n"
           "                            objects appear to applications\n"
           "  --security=MODE           what the section and mutexes grant: service (the default: SYSTEM and\n"
           "                            Administrators full control, Authenticated Users what a client\n"
           "                            uses), system-only (only SYSTEM more than a client), read-only\n"
           "                            (clients may only read and wait), or default (no descriptor)\n"
           "  --start-delay-ms=N        report START_PENDING for N ms before RUNNING\n"
           "  --section-delay-ms=N      create \"ZYN_MAP_1\" N ms after reporting RUNNING\n"
           "  --no-section              never create \"ZYN_MAP_1\"\n"
           "  --section-bytes=N         give the section N bytes; pages that do not fit stay unfilled\n"
           "  --reply=MODE              answer the UDP query with MODE: normal, empty, short, count-only,\n"
           "                            oversize, silent, or count=N (normal reply, count field N)\n"
           "  --hold-mutex=NUMBER:MS    after creating the section, hold mutex ZYN_MAP_1-NUMBER for MS ms\n"
           "  --exit-holding=NUMBER     after creating the section, take mutex ZYN_MAP_1-NUMBER and end\n"
           "                            the process without releasing it (waiters see it abandoned)\n";
}

} // namespace zyn::reference
