// zyn_config_editor.cpp - another process that edits zyn.ini through its own copy of
// TRVZYN32.dll, loaded with LoadLibrary: single edits on command, many of them alongside other
// editors, or a stream of rewrites for a test to cut short. Commands and exit codes:
// support/config_editor_protocol.h.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

#include "support/config_editor_protocol.h"
#include "support/loaded_library.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::editor;
using zyn::test::LoadedLibrary;

void printLine(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void printResult(int32_t result) {
    std::printf("%d\n", static_cast<int>(result));
    std::fflush(stdout);
}

int usage(const char* what) {
    std::fprintf(stderr, "zyn_config_editor: %s\n", what);
    return kEditorUsage;
}

bool parseNumber(const char* text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

void copyText(char (&field)[ZYN_TEXT_FIELD_SIZE], const char* text) {
    std::memset(field, 0, sizeof field);
    std::strncpy(field, text, sizeof field - 1);
}

// NUMBER SIZE THIRD PRODUCER DESTINATION FLAGS PVALUE ID
bool parseDefinition(char** fields, ExchangeDef& definition) {
    long long numbers[8] = {};
    for (int i : {0, 1, 2, 5, 6, 7}) {
        if (!parseNumber(fields[i], numbers[i])) return false;
    }
    std::memset(&definition, 0, sizeof definition);
    definition.exchangeNumber = static_cast<int32_t>(numbers[0]);
    definition.size = static_cast<uint32_t>(numbers[1]);
    definition.thirdNumber = static_cast<int32_t>(numbers[2]);
    copyText(definition.producer, fields[3]);
    copyText(definition.destination, fields[4]);
    definition.flags = static_cast<uint32_t>(numbers[5]);
    definition.pValue = static_cast<int32_t>(numbers[6]);
    definition.exchangeId = static_cast<int32_t>(numbers[7]);
    return true;
}

ExchangeDef churnDefinition(const char* producer, int32_t number) {
    ExchangeDef definition;
    std::memset(&definition, 0, sizeof definition);
    definition.exchangeNumber = number;
    definition.size = churnSize(number);
    definition.thirdNumber = kChurnThirdNumber;
    copyText(definition.producer, producer);
    copyText(definition.destination, kChurnDestination);
    definition.flags = kChurnFlags;
    definition.pValue = churnPValue(number);
    definition.exchangeId = churnExchangeId(number);
    return definition;
}

ExchangeDef alternatingDefinition(uint32_t size) {
    ExchangeDef definition;
    std::memset(&definition, 0, sizeof definition);
    definition.exchangeNumber = kAlternatingNumber;
    definition.size = size;
    definition.thirdNumber = 1;
    copyText(definition.producer, kAlternatingProducer);
    copyText(definition.destination, "GROUP");
    definition.flags = ZYN_FLAG_MUTEX;
    definition.exchangeId = kAlternatingNumber;
    return definition;
}

int churn(const LoadedLibrary& library, const char* producer, int32_t first, int32_t count, const char* eventName) {
    const auto add = ZYN_EXPORT(library, ZYN_AddStaticExchange);
    const auto remove = ZYN_EXPORT(library, ZYN_DeleteStaticExchange);
    zyn::win32::KernelHandle go(OpenEventA(SYNCHRONIZE, FALSE, eventName));
    if (!go) return usage("the start event cannot be opened");
    printLine(kReadyLine);
    if (WaitForSingleObject(go.get(), 60000) != WAIT_OBJECT_0) return usage("no start signal");

    int failures = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t number = first + i;
        if (int32_t result = add(churnDefinition(producer, number)); result != ZYN_OK) {
            std::printf("add %d@%s: %d\n", static_cast<int>(number), producer, static_cast<int>(result));
            ++failures;
        }
        if (i % 2 == 1) {
            char name[ZYN_EXCHANGE_NAME_SIZE];
            std::snprintf(name, sizeof name, "exchange_%d@%s", static_cast<int>(churnExchangeId(number - 1)), producer);
            if (int32_t result = remove(name); result != ZYN_OK) {
                std::printf("delete %s: %d\n", name, static_cast<int>(result));
                ++failures;
            }
        }
    }
    std::fflush(stdout);
    return failures == 0 ? kEditorOk : kEditorEditFailed;
}

// One rewrite from the content zyn.ini holds now to the other one.
int32_t alternateOnce(const LoadedLibrary& library, bool change) {
    ExchangeDef current;
    std::memset(&current, 0, sizeof current);
    ZYN_EXPORT(library, ZYN_GetStaticExchangeParams)(kAlternatingName, &current);
    if (change) {
        const uint32_t next = current.size == kAlternatingSizeA ? kAlternatingSizeB : kAlternatingSizeA;
        return ZYN_EXPORT(library, ZYN_ChangeStaticExchangeParams)(alternatingDefinition(next));
    }
    if (current.exchangeNumber == 0) {
        return ZYN_EXPORT(library, ZYN_AddStaticExchange)(alternatingDefinition(kAlternatingSizeA));
    }
    char name[sizeof kAlternatingName];
    std::memcpy(name, kAlternatingName, sizeof name);
    return ZYN_EXPORT(library, ZYN_DeleteStaticExchange)(name);
}

int alternate(const LoadedLibrary& library, std::string_view mode, long long count) {
    if (mode != "change" && mode != "add-delete") return usage("alternate: MODE is change or add-delete");
    printLine(kReadyLine);
    const auto start = std::chrono::steady_clock::now();
    for (long long i = 0; i < count; ++i) {
        if (int32_t result = alternateOnce(library, mode == "change"); result != ZYN_OK) {
            std::printf("rewrite %lld: %d\n", i, static_cast<int>(result));
            std::fflush(stdout);
            return kEditorEditFailed;
        }
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%s %lld\n", kDoneWord,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    std::fflush(stdout);
    return kEditorOk;
}

int run(int argc, char** argv) {
    if (argc < 2) return usage("no command");
    const std::string_view command = argv[1];
    LoadedLibrary library;
    if ((command == "add" || command == "change") && argc == 10) {
        ExchangeDef definition;
        if (!parseDefinition(argv + 2, definition)) return usage("bad definition");
        printResult(command == "add" ? ZYN_EXPORT(library, ZYN_AddStaticExchange)(definition)
                                     : ZYN_EXPORT(library, ZYN_ChangeStaticExchangeParams)(definition));
        return kEditorOk;
    }
    if (command == "delete" && argc == 3) {
        printResult(ZYN_EXPORT(library, ZYN_DeleteStaticExchange)(argv[2]));
        return kEditorOk;
    }
    long long first = 0;
    long long count = 0;
    if (command == "churn" && argc == 6 && parseNumber(argv[3], first) && parseNumber(argv[4], count)) {
        return churn(library, argv[2], static_cast<int32_t>(first), static_cast<int32_t>(count), argv[5]);
    }
    if (command == "alternate" && argc == 4 && parseNumber(argv[3], count)) return alternate(library, argv[2], count);
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
