// watch_command.cpp - `zynctl watch`: the exchanges read once a round until a number of changes
// or an interrupt; in text a line for each change, with --json a line for each exchange and
// round. A refused reading is reported on its round's line and the watch goes on, since the
// service that stopped or restarted may come back.
#include "watch_command.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "exchange_io.h"
#include "failure.h"
#include "json.h"
#include "reading_format.h"
#include "text_output.h"

namespace zynctl {

namespace {

struct WatchArguments {
    std::vector<std::string> names;
    uint32_t intervalMs = 500;
    std::optional<uint32_t> changes;
    bool json = false;
};

// "12:00:01.250"
std::string clockTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

// "100 bytes, status set"
std::string stateText(const ExchangeReading& reading) {
    return std::to_string(reading.data.size()) + " bytes, status " + statusText(reading.statusClear);
}

// What changed from one reading to the next, which have the same size; empty when nothing did.
std::string describeChange(const ExchangeReading& before, const ExchangeReading& after) {
    std::string change;
    if (before.statusClear != after.statusClear)
        change = "status " + statusText(before.statusClear) + " -> " + statusText(after.statusClear);
    size_t first = 0;
    while (first < after.data.size() && before.data[first] == after.data[first])
        ++first;
    if (first < after.data.size()) {
        size_t last = after.data.size() - 1;
        while (before.data[last] == after.data[last])
            --last;
        const std::string where = first == last ? "byte " + std::to_string(first)
                                                : "bytes " + std::to_string(first) + "-" + std::to_string(last);
        change += (change.empty() ? "" : "; ") + where + ": " + hexBytes(after.data.data() + first, last - first + 1);
    }
    return change;
}

// One round's readings, one per name, in their order. A refused status test (the service has
// stopped, or is on its way back) is every exchange's refusal in that round.
std::vector<BatchReading> readRound(const std::vector<std::string>& names,
                                    const std::vector<std::optional<uint32_t>>& counts) {
    std::vector<ExchangeRange> ranges;
    for (size_t i = 0; i < names.size(); ++i)
        ranges.push_back({names[i], 0, counts[i]});
    try {
        return readEach(ranges);
    } catch (const LibraryFailure& refused) {
        return std::vector<BatchReading>(names.size(), BatchReading{refused.code(), {}});
    }
}

// What an exchange's round shows in text against its round before; no text when nothing changed.
// Only a change of data or status is `counted` towards --count: a refusal, and the reading that
// ends one, are shown but not counted, so that a restart of the service does not use up the
// changes the user waits for.
struct ChangeLine {
    std::string text;
    bool counted = false;
};

ChangeLine changeLine(const BatchReading& before, const BatchReading& after, const char* function) {
    if (after.result != ZYN_OK) return {after.result == before.result ? "" : refusalText(function, after.result)};
    if (before.result != ZYN_OK) return {"readable: " + stateText(after.reading)};
    std::string change = describeChange(before.reading, after.reading);
    const bool counted = !change.empty();
    return {std::move(change), counted};
}

// The rounds in which the library refused some exchange, which make the exit status 1: a script
// learns that the watch had gaps even when it saw every change it waited for.
class RefusedRounds {
public:
    void add(const std::vector<BatchReading>& round) {
        ++rounds_;
        for (const BatchReading& entry : round) {
            if (entry.result == ZYN_OK) continue;
            if (refused_++ == 0) first_ = entry.result;
            return;
        }
    }

    void requireNone(const char* function) const {
        if (refused_ == 0) return;
        throw Failure(refusalText(function, first_) + " (the first refusal; " + std::to_string(refused_) + " of " +
                      std::to_string(rounds_) + " rounds were refused)");
    }

private:
    uint32_t rounds_ = 0;
    uint32_t refused_ = 0;
    int32_t first_ = ZYN_OK;
};

class Watch {
public:
    explicit Watch(const WatchArguments& args)
        : args_(args), function_(readFunction(args.names.size())), counts_(args.names.size()) {}

    void run() {
        for (uint32_t round = 1; !args_.changes || seen_ < *args_.changes; ++round) {
            if (round > 1) Sleep(args_.intervalMs);
            std::vector<BatchReading> now = readRound(args_.names, counts_);
            const std::string time = clockTime();
            refused_.add(now);
            // From its first reading on, an exchange is read at that size, so that two readings
            // compare byte by byte.
            for (size_t i = 0; i < now.size(); ++i) {
                if (!counts_[i] && now[i].result == ZYN_OK)
                    counts_[i] = static_cast<uint32_t>(now[i].reading.data.size());
            }
            if (args_.json)
                printJsonRound(round, time, now);
            else if (round == 1)
                printFirstLines(time, now);
            else
                printChangeLines(time, now);
            // Whoever reads the other end of a pipe sees each line as it happens.
            std::fflush(stdout);
            last_ = std::move(now);
        }
        refused_.requireNone(function_);
    }

private:
    // Every exchange of every round, so that a script has each reading; the round ends whole.
    void printJsonRound(uint32_t round, const std::string& time, const std::vector<BatchReading>& now) {
        for (size_t i = 0; i < now.size(); ++i) {
            Json::Object object = readingJson(args_.names[i], 0, now[i], function_);
            object.emplace_back("round", round);
            object.emplace_back("time", time);
            printJsonLine(object);
            if (!last_.empty() && changeLine(last_[i], now[i], function_).counted) ++seen_;
        }
    }

    void printFirstLines(const std::string& time, const std::vector<BatchReading>& now) const {
        for (size_t i = 0; i < now.size(); ++i) {
            const std::string state =
                now[i].result == ZYN_OK ? stateText(now[i].reading) : refusalText(function_, now[i].result);
            std::printf("%s  %s: %s; watching every %u ms\n", time.c_str(), args_.names[i].c_str(), state.c_str(),
                        static_cast<unsigned>(args_.intervalMs));
        }
    }

    // A line per exchange that changed; the watch ends at the change it was told to wait for.
    void printChangeLines(const std::string& time, const std::vector<BatchReading>& now) {
        // With several exchanges a change line names its exchange.
        const bool several = now.size() > 1;
        for (size_t i = 0; i < now.size() && (!args_.changes || seen_ < *args_.changes); ++i) {
            const ChangeLine change = changeLine(last_[i], now[i], function_);
            if (change.text.empty()) continue;
            std::printf("%s  %s%s\n", time.c_str(), several ? (args_.names[i] + ": ").c_str() : "",
                        change.text.c_str());
            if (change.counted) ++seen_;
        }
    }

    const WatchArguments& args_;
    const char* function_;
    std::vector<std::optional<uint32_t>> counts_;
    std::vector<BatchReading> last_;
    RefusedRounds refused_;
    uint32_t seen_ = 0;
};

} // namespace

void addWatchCommand(CLI::App& app, Action& chosen) {
    auto args = std::make_shared<WatchArguments>();
    CLI::App* command =
        addCommand(app, chosen, "watch",
                   "print a line whenever an exchange's data or status changes, until --count or an interrupt; "
                   "several NAMEs are read in one call each time. A refused reading is shown on its line and the "
                   "watch goes on; after --count, the exit status is 1 if any round was refused",
                   [args] { Watch(*args).run(); });
    addExchangeNames(*command, args->names);
    addUnsigned(*command, "--interval", args->intervalMs, "milliseconds between two readings (default 500)", 1,
                3600000);
    addUnsigned(*command, "--count", args->changes, "stop after K changes of data or status (refusals do not count)",
                1);
    addJsonFlag(*command, args->json)
        ->description("print one JSON object per exchange and round, one per line (JSON Lines), with the round's "
                      "number and time");
}

} // namespace zynctl
