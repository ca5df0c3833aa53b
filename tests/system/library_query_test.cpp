// library_query_test.cpp - the exchange-list query through the library: what
// ZYN_GetNumberOfExchangesFromService and ZYN_GetAllExchangesFromService make of each reply the
// reference service can give, of no reply at all, and of a service that is stopped or missing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "support/clean_machine.h"
#include "support/loaded_library.h"
#include "support/reference_service.h"
#include "support/zyn_ini.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr size_t kEntryBytes = ZYN_SERVICE_ENTRY_SIZE;
constexpr size_t kListArea = ZYN_SERVICE_MAX_ENTRIES * kEntryBytes; // holds every reply that fits
constexpr uint8_t kUntouched = 0xA5;

// An entry of the reference service's reply: exchange number, exchange id, size, flags.
struct Entry {
    int32_t exchangeNumber;
    int32_t exchangeId;
    uint32_t size;
    uint32_t flags;
};
static_assert(sizeof(Entry) == kEntryBytes);

// The entries for kFixedLayoutIni: flags bit 0 on every record, bit 1 from the third line's T.
constexpr Entry kFixedLayoutEntries[] = {{1, 1, 100, 1}, {2, 2, 8, 1}, {5, 40, 200, 3}};
constexpr int32_t kRecords = static_cast<int32_t>(std::size(kFixedLayoutEntries));

struct Answers {
    int32_t count;
    int32_t listResult;
    std::vector<uint8_t> area; // the caller's list area after the list call
};

// Asks both operations, the list into an area filled with kUntouched beforehand.
Answers askBoth(const LoadedLibrary& library) {
    Answers answers{};
    answers.count = ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromService)();
    answers.area.assign(kListArea + 64, kUntouched);
    answers.listResult = ZYN_EXPORT(library, ZYN_GetAllExchangesFromService)(answers.area.data());
    return answers;
}

Entry entryAt(const std::vector<uint8_t>& area, size_t index) {
    Entry entry{};
    std::memcpy(&entry, area.data() + index * kEntryBytes, sizeof entry);
    return entry;
}

enum class Entries {
    None,            // the list operation writes nothing
    Normal,          // the three records of kFixedLayoutIni
    Zeros,           // count x 16 zero bytes
    NormalThenZeros, // the three records, then zero bytes up to count x 16
};

struct ReplyCase {
    const char* name;
    const char* switches;
    int32_t count;      // ZYN_GetNumberOfExchangesFromService
    int32_t listResult; // ZYN_GetAllExchangesFromService
    Entries entries;
};

class LibraryQueryTest : public CleanMachineTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(LibraryQueryTest, ReplyGivesTheCountAndTheEntries) {
    const ReplyCase& row = GetParam();
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service(row.switches);
    // Loaded before the start, the library does not wait for the section; the queries ask the
    // Service Control Manager afresh on each call.
    LoadedLibrary library;
    service.start();
    const Answers answers = askBoth(library);
    EXPECT_EQ(answers.count, row.count);
    EXPECT_EQ(answers.listResult, row.listResult);

    const size_t written = row.listResult == ZYN_OK ? static_cast<size_t>(row.count) * kEntryBytes : 0;
    switch (row.entries) {
    case Entries::None: break;
    case Entries::Normal:
        for (int32_t i = 0; i < kRecords; ++i) {
            const Entry entry = entryAt(answers.area, static_cast<size_t>(i));
            EXPECT_EQ(entry.exchangeNumber, kFixedLayoutEntries[i].exchangeNumber) << "entry " << i;
            EXPECT_EQ(entry.exchangeId, kFixedLayoutEntries[i].exchangeId) << "entry " << i;
            EXPECT_EQ(entry.size, kFixedLayoutEntries[i].size) << "entry " << i;
            EXPECT_EQ(entry.flags, kFixedLayoutEntries[i].flags) << "entry " << i;
        }
        break;
    case Entries::Zeros:
        for (size_t i = 0; i < written; ++i)
            ASSERT_EQ(answers.area[i], 0) << "byte " << i;
        break;
    case Entries::NormalThenZeros:
        for (int32_t i = 0; i < kRecords; ++i)
            EXPECT_EQ(entryAt(answers.area, static_cast<size_t>(i)).exchangeId, kFixedLayoutEntries[i].exchangeId);
        for (size_t i = kRecords * kEntryBytes; i < written; ++i)
            ASSERT_EQ(answers.area[i], 0) << "byte " << i;
        break;
    }
    // Nothing beyond count x 16 bytes is written, and nothing at all on a failure.
    for (size_t i = written; i < answers.area.size(); ++i)
        ASSERT_EQ(answers.area[i], kUntouched) << "byte " << i << " of the list area written";
}

const ReplyCase kReplies[] = {
    {"Normal", "--reply=normal", kRecords, ZYN_OK, Entries::Normal},
    {"Empty", "--reply=empty", 0, ZYN_OK, Entries::None},
    {"Short", "--reply=short", 0, ZYN_OK, Entries::None},
    {"CountOnly", "--reply=count-only", kRecords, ZYN_OK, Entries::Zeros},
    {"CountZero", "--reply=count=0", 0, ZYN_OK, Entries::None},
    {"CountOfAFullBuffer", "--reply=count=87", 87, ZYN_OK, Entries::NormalThenZeros},
    {"NegativeCount", "--reply=count=-1", ZYN_E_UDP, ZYN_E_UDP, Entries::None},
    {"CountBeyondTheBuffer", "--reply=count=88", ZYN_E_UDP, ZYN_E_UDP, Entries::None},
    {"Oversize", "--reply=oversize", ZYN_E_UDP, ZYN_E_UDP, Entries::None},
};
INSTANTIATE_TEST_SUITE_P(Replies, LibraryQueryTest, ::testing::ValuesIn(kReplies),
                         [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

using LibraryQueryFailureTest = CleanMachineTest;

// A service that never answers costs each call its two seconds' wait, and no more.
TEST_F(LibraryQueryFailureTest, SilentServiceGivesUdpFailureAfterTwoSeconds) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--reply=silent");
    LoadedLibrary library;
    service.start();
    auto start = Clock::now();
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromService)(), ZYN_E_UDP);
    const auto countWait = Clock::now() - start;
    std::vector<uint8_t> area(kListArea, kUntouched);
    start = Clock::now();
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetAllExchangesFromService)(area.data()), ZYN_E_UDP);
    const auto listWait = Clock::now() - start;
    for (auto wait : {countWait, listWait}) {
        EXPECT_GE(wait, 1900ms);
        EXPECT_LT(wait, 4s);
    }
    EXPECT_EQ(area, std::vector<uint8_t>(kListArea, kUntouched));
}

TEST_F(LibraryQueryFailureTest, NullListAreaIsAParameterError) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    LoadedLibrary library;
    service.start();
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetAllExchangesFromService)(nullptr), ZYN_E_PARAMETER);
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromService)(), kRecords) << "the service still answers";
}

TEST_F(LibraryQueryFailureTest, StoppedServiceGivesNotRunning) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service; // installed, never started
    LoadedLibrary library;
    const Answers answers = askBoth(library);
    EXPECT_EQ(answers.count, ZYN_E_NOT_RUNNING);
    EXPECT_EQ(answers.listResult, ZYN_E_NOT_RUNNING);
    EXPECT_EQ(answers.area, std::vector<uint8_t>(answers.area.size(), kUntouched));

    // Started and stopped again: the same.
    service.start();
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromService)(), kRecords);
    service.stop();
    const Answers afterStop = askBoth(library);
    EXPECT_EQ(afterStop.count, ZYN_E_NOT_RUNNING);
    EXPECT_EQ(afterStop.listResult, ZYN_E_NOT_RUNNING);
}

TEST_F(LibraryQueryFailureTest, MissingServiceGivesNotInstalled) {
    ZynIni ini(kFixedLayoutIni);
    LoadedLibrary library;
    const Answers answers = askBoth(library);
    EXPECT_EQ(answers.count, ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(answers.listResult, ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(answers.area, std::vector<uint8_t>(answers.area.size(), kUntouched));
}

} // namespace
