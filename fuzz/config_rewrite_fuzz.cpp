// config_rewrite_fuzz.cpp - libFuzzer target for the rewrites of zyn.ini: the input's first byte
// picks an addition, a deletion, a change of a definition or a setting of the parameters, the
// rest is zyn.ini as it lies on disk. The library loads it through the fake platform, whose files
// are held in memory, rewrites it, and the file afterwards must be the input with exactly the
// intended change: every other byte where it stood.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "config/definition_line.h"
#include "config/exchange_name.h"
#include "config/file_pieces.h"
#include "config/header_keys.h"
#include "config/service_params.h"
#include "config/queries.h"
#include "config/written_form.h"
#include "core/library_state.h"
#include "core/lifecycle.h"
#include "core/service_status.h"
#include "fake_platform.h"
#include "trvzyn32.h"

namespace {

using namespace zyn;

void dump(const char* label, std::string_view bytes) {
    std::fprintf(stderr, "%s (%zu bytes): \"", label, bytes.size());
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02X", c);
        }
    }
    std::fputs("\"\n", stderr);
}

[[noreturn]] void fail(const char* what, std::string_view before, std::string_view after) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    dump("file before", before);
    dump("file after", after);
    std::abort();
}

#define CHECK(condition)                                                                                               \
    do {                                                                                                               \
        if (!(condition)) fail(#condition, before, after);                                                             \
    } while (0)

// The part of `before` that `after` does not keep: `after` is `before` with the bytes
// [start, start + removed) replaced by `inserted`, the replaced range taken as late as possible.
struct Difference {
    size_t start = 0;
    std::string_view removed;
    std::string_view inserted;
};

Difference differenceOf(std::string_view before, std::string_view after) {
    size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    Difference d;
    d.start = prefix;
    d.removed = before.substr(prefix, before.size() - prefix - suffix);
    d.inserted = after.substr(prefix, after.size() - prefix - suffix);
    return d;
}

// False when the file is unchanged, which a refused or failed rewrite must leave it. A changed
// file with a failure is a rewrite that took place and a reload after it that could not be had
// (limits whose tables cannot be allocated): the change is checked all the same.
bool changedAsItMayBe(std::string_view before, std::string_view after, int32_t result) {
    if (after == before) return false;
    if (result != ZYN_OK) CHECK(core::libraryState().loaded == 0);
    return true;
}

// Whether `after` is `before` without one of the loader's lines that `removable` accepts (given
// where the line's text begins): the line with its own line end, the line with the line end
// before it, or only the line's text (the first definition leaves its line end behind).
bool isBeforeLessOneLine(std::string_view before, std::string_view after,
                         const std::function<bool(size_t)>& removable) {
    for (size_t start = 0; start < before.size();) {
        const size_t newline = before.find('\n', start);
        const size_t end = newline == std::string_view::npos ? before.size() : newline;
        const auto without = [&](size_t from, size_t to) {
            return after.size() == before.size() - (to - from) && before.substr(0, from) == after.substr(0, from) &&
                   before.substr(to) == after.substr(from);
        };
        // A line end is "\n" or "\r\n": the text stops before the CR of a CR LF.
        const size_t textEnd =
            newline != std::string_view::npos && end > start && before[end - 1] == '\r' ? end - 1 : end;
        const size_t lineEndBefore = start >= 2 && before[start - 2] == '\r' ? start - 2 : start - 1;
        if (removable(start)) {
            if (newline != std::string_view::npos && without(start, end + 1)) return true;
            if (start > 0 && without(lineEndBefore, textEnd)) return true;
            if (without(start, textEnd)) return true;
        }
        // The loader's lines are pieces of at most 127 characters: a definition can be the rest of
        // a longer line, which then goes from where its piece begins.
        for (size_t piece = start + 127; piece < textEnd; piece += 127) {
            if (removable(piece) && without(piece, textEnd)) return true;
        }
        if (newline == std::string_view::npos) break;
        start = newline + 1;
    }
    return false;
}

// Whether the loader's line that begins at `at` carries the exchange: its number, its exchange id
// and its producer, whatever the limits.
bool carriesExchange(std::string_view file, size_t at, const ExchangeDef& exchange) {
    config::FilePieces pieces(file.substr(at));
    config::FilePiece line;
    ExchangeDef record;
    return pieces.next(line) && config::parseDefinitionLine(line.view, {INT32_MAX, -1}, record) &&
           record.exchangeNumber == exchange.exchangeNumber && record.exchangeId == exchange.exchangeId &&
           std::strncmp(record.producer, exchange.producer, sizeof record.producer) == 0;
}

// A Ctrl-Z ends the lines the loader reads: a rewrite changes what lies before it and keeps the
// rest, the tail, as it was.
std::string_view tailOf(std::string_view file) { return file.substr(std::min(file.find('\x1A'), file.size())); }

ExchangeDef definition(int32_t number) {
    ExchangeDef d;
    std::memset(&d, 0, sizeof d);
    d.exchangeNumber = number;
    d.size = 1;
    d.thirdNumber = 1;
    std::strcpy(d.producer, "FUZZ");
    std::strcpy(d.destination, "G");
    d.flags = ZYN_FLAG_MUTEX;
    d.exchangeId = 77777;
    return d;
}

void checkAddition(std::string_view before, std::string_view after, int32_t result) {
    if (!changedAsItMayBe(before, after, result)) return;
    const Difference d = differenceOf(before, after);
    CHECK(d.removed.empty()); // an addition only inserts
    char line[config::kWrittenLineCapacity];
    const std::string_view written(line, config::formatDefinitionLine(line, definition(1)));
    CHECK(d.inserted.find(written.substr(1)) != std::string_view::npos);
    // Where the loader reads: before a Ctrl-Z, whose tail stays as it was.
    const std::string_view tail = tailOf(before);
    CHECK(after.ends_with(tail));
    CHECK(after.find(written.substr(1)) < after.size() - tail.size());
}

void checkDeletion(std::string_view before, std::string_view after, int32_t result, const ExchangeDef& removed) {
    if (!changedAsItMayBe(before, after, result)) return;
    CHECK(after.size() < before.size());
    const std::string_view tail = tailOf(before);
    CHECK(after.ends_with(tail));
    const std::string_view visible = before.substr(0, before.size() - tail.size());
    CHECK(isBeforeLessOneLine(visible, after.substr(0, after.size() - tail.size()),
                              [&](size_t at) { return carriesExchange(visible, at, removed); }));
}

// A change is the deletion of the replaced line and the addition of the new one as the file's last
// line, before a Ctrl-Z line that then follows it on a line of its own.
void checkChange(std::string_view before, std::string_view after, int32_t result, const ExchangeDef& replaced,
                 const ExchangeDef& changed) {
    if (!changedAsItMayBe(before, after, result)) return;
    const std::string_view tail = tailOf(before);
    CHECK(after.ends_with(tail));
    char line[config::kWrittenLineCapacity];
    std::string appended(line, config::formatDefinitionLine(line, changed));
    if (!tail.empty()) appended += '\n';
    const std::string_view visible = before.substr(0, before.size() - tail.size());
    const std::string_view rewritten = after.substr(0, after.size() - tail.size());
    CHECK(rewritten.ends_with(appended));
    CHECK(isBeforeLessOneLine(visible, rewritten.substr(0, rewritten.size() - appended.size()),
                              [&](size_t at) { return carriesExchange(visible, at, replaced); }));
}

void checkParameters(std::string_view before, std::string_view after, int32_t result) {
    if (!changedAsItMayBe(before, after, result)) return;
    // The new header, as the library writes it, stands once in the file: what precedes it is the
    // old file's beginning and what follows is the old file's end, each to the byte.
    config::ServiceParams written;
    written.maxExchangeSize = 100;
    written.maxStaticExchanges = 50;
    written.maxDynamicExchanges = 10;
    written.exchMap = 0;
    char line[config::kWrittenLineCapacity];
    std::string header(line + 1, config::formatHeaderNumbers(line, written) - 1); // without its first "\n"
    header += std::string(config::kDefinitionsMarker) + "\n";
    const size_t at = after.find(header);
    CHECK(at != std::string_view::npos);
    std::string_view kept = after.substr(0, at);
    // The header's first line end is the library's own, unless an empty line stood there already.
    if (!before.starts_with(kept) && kept.ends_with('\n')) kept.remove_suffix(1);
    CHECK(before.starts_with(kept));
    const std::string_view rest = after.substr(at + header.size());
    CHECK(before.ends_with(rest));
    CHECK(kept.size() + rest.size() <= before.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int operation = data[0] % 4;
    const std::string before(reinterpret_cast<const char*>(data) + 1, size - 1);

    fake::FakeWorldScope world;
    // The tables of a MAX_STATIC_EXCHANGES up to 2047, four times the default, can be had: a
    // header's limit sizes every table that the loads allocate and walk, whatever the rewrite,
    // and limits in the millions took most of the fuzzer's time. A larger one meets the refusal
    // a 32-bit process gives beyond its address space, the library's own path.
    world->allocationLimit = 256 * 1024;
    core::resetLibraryState();
    world->installService(core::kServiceName, platform::kServiceStopped);
    world->writeIni(before);
    core::startOnce(core::libraryState());
    core::LibraryState& state = core::libraryState();

    // The exchange the deletion and the change designate: the table's first, or one that no file
    // holds when nothing was loaded.
    ExchangeDef designated = definition(1);
    if (state.loaded != 0 && state.exchangeCount != 0) designated = *state.exchangeTable.record(0);
    int32_t result = 0;
    std::string after;
    switch (operation) {
    case 0:
        result = ZYN_AddStaticExchange(definition(1));
        after = world->readIni();
        checkAddition(before, after, result);
        break;
    case 1: {
        char name[config::kExchangeNameCapacity];
        config::formatExchangeName(name, designated.exchangeId, designated.producer);
        result = ZYN_DeleteStaticExchange(name);
        after = world->readIni();
        checkDeletion(before, after, result, designated);
        break;
    }
    case 2: {
        ExchangeDef changed = definition(2);
        changed.exchangeId = designated.exchangeId;
        std::memcpy(changed.producer, designated.producer, sizeof changed.producer);
        result = ZYN_ChangeStaticExchangeParams(changed);
        after = world->readIni();
        checkChange(before, after, result, designated, changed);
        break;
    }
    default: {
        ServiceConfigParams params;
        std::memset(&params, 0, sizeof params);
        params.maxExchangeSize = 100;
        params.maxStaticExchanges = 50;
        params.maxDynamicExchanges = 10;
        result = ZYN_SetServiceConfigParams(params);
        after = world->readIni();
        checkParameters(before, after, result);
        break;
    }
    }
    core::processDetach(state);
    core::resetLibraryState();
    return 0;
}
