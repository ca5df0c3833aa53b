// reference_service_test.cpp - the reference service, installed and started through the Service
// Control Manager, provides what the library relies on: the section "ZYN_MAP_1" in both page
// layouts with the documented page pattern, the exchange mutexes, and a clean stop. Its
// fault-injection switches do what they say.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "page_pattern.h"
#include "support/clean_machine.h"
#include "support/shared_objects.h"
#include "support/system_error.h"
#include "test_configurations.h"

namespace {

using namespace zyn::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace ref = zyn::reference;

constexpr char kSectionName[] = "ZYN_MAP_1";

// Waits until `condition` holds, up to `limit`; false when it never did.
template <typename Condition> bool eventually(Condition condition, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool pageFilled(const SectionView& section, const ExpectedPage& page, uint32_t filled) {
    const uint8_t* at = section.data() + page.pageOffset;
    const auto header = ref::patternHeader(page.exchangeNumber, page.size, page.exchangeId, page.tablePosition);
    if (std::memcmp(at, header.data(), header.size()) != 0) return false;
    for (uint32_t k = 0; k < filled; ++k)
        if (at[32 + k] != static_cast<uint8_t>(page.exchangeNumber * 31 + k)) return false;
    return section.data()[page.statusOffset] == (page.exchangeNumber % 2 == 1 ? 1 : 0);
}

// `room`: the data bytes the page holds (fixed layout: E - 32); the service fills no more.
void expectPatternPage(const SectionView& section, const ExpectedPage& page, uint32_t room = UINT32_MAX) {
    SCOPED_TRACE("exchange " + std::to_string(page.exchangeNumber));
    const uint32_t filled = std::min(page.size, room);
    ASSERT_LE(page.pageOffset + 32 + filled, section.size());
    // The service fills its pages after it has created the section, which is when a test finds it.
    eventually([&] { return pageFilled(section, page, filled); });
    const uint8_t* at = section.data() + page.pageOffset;
    const auto header = ref::patternHeader(page.exchangeNumber, page.size, page.exchangeId, page.tablePosition);
    EXPECT_EQ(std::memcmp(at, "ZYNP", 4), 0);
    EXPECT_EQ(std::memcmp(at, header.data(), header.size()), 0) << "page header at offset " << page.pageOffset;
    for (uint32_t k = 0; k < filled; ++k) {
        ASSERT_EQ(at[32 + k], static_cast<uint8_t>(page.exchangeNumber * 31 + k)) << "data byte " << k;
    }
    EXPECT_EQ(section.data()[page.statusOffset], page.exchangeNumber % 2 == 1 ? 1 : 0) << "status byte";
}

void expectMutexesOf(const ExpectedPage* begin, const ExpectedPage* end) {
    for (const ExpectedPage* page = begin; page != end; ++page) {
        EXPECT_TRUE(namedMutexExists(exchangeMutexName(page->mutexNumber).c_str())) << page->mutexNumber;
    }
}

// Until another process has taken it, the mutex may still be free: each time this process gets
// it, it gives it back at once and looks again. Returns WAIT_TIMEOUT once the other holds it, or
// WAIT_ABANDONED when it ended while holding it.
DWORD waitUntilTakenElsewhere(HANDLE mutex) {
    DWORD result = WAIT_OBJECT_0;
    eventually([&] {
        result = WaitForSingleObject(mutex, 0);
        if (result == WAIT_OBJECT_0) ReleaseMutex(mutex);
        return result != WAIT_OBJECT_0;
    });
    return result;
}

std::optional<SectionView> sectionOnceCreated() {
    std::optional<SectionView> section;
    eventually([&] { return (section = SectionView::open(kSectionName)).has_value(); });
    return section;
}

using ReferenceServiceTest = CleanMachineTest;

TEST_F(ReferenceServiceTest, FixedLayoutPagesCarryThePatternAndStopReleasesEverything) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    {
        std::optional<SectionView> section = sectionOnceCreated();
        ASSERT_TRUE(section.has_value()) << "no section ZYN_MAP_1";
        EXPECT_GE(section->size(), static_cast<size_t>(kFixedLayoutSectionBytes));
        for (const ExpectedPage& page : kFixedLayoutPages)
            expectPatternPage(*section, page, 200 - 32);
        // Pages without a definition stay empty, also page 6 after the 200-byte page 5.
        EXPECT_EQ(section->data()[3], 0);
        EXPECT_EQ(section->data()[3 * 200], 0);
        EXPECT_EQ(section->data()[6 * 200], 0);
        expectMutexesOf(std::begin(kFixedLayoutPages), std::end(kFixedLayoutPages));
        EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00003"));
    }
    service.stop();
    EXPECT_FALSE(namedSectionExists(kSectionName));
    EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00001"));
    EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00005"));
}

TEST_F(ReferenceServiceTest, PackedLayoutPagesFollowTableOrder) {
    ZynIni ini(kPackedLayoutIni);
    ReferenceService service;
    service.start();
    std::optional<SectionView> section = sectionOnceCreated();
    ASSERT_TRUE(section.has_value()) << "no section ZYN_MAP_1";
    EXPECT_GE(section->size(), static_cast<size_t>(kPackedLayoutSectionBytes));
    for (const ExpectedPage& page : kPackedLayoutPages)
        expectPatternPage(*section, page);
    // Mutexes are named by table position, never by exchange number.
    expectMutexesOf(std::begin(kPackedLayoutPages), std::end(kPackedLayoutPages));
    EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00004"));
    EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00009"));
}

TEST_F(ReferenceServiceTest, WithoutConfigurationFileRunsWithAnEmptyTable) {
    ReferenceService service;
    service.start();
    std::optional<SectionView> section = sectionOnceCreated();
    ASSERT_TRUE(section.has_value());
    // The defaults, E = 1024 and S = 512, in the fixed layout.
    EXPECT_GE(section->size(), static_cast<size_t>(513 * 1024 + 32));
    EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00001"));
}

TEST_F(ReferenceServiceTest, SectionAppearsOnlyAfterTheDelay) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--section-delay-ms=700");
    service.start();
    const auto running = Clock::now();
    EXPECT_FALSE(namedSectionExists(kSectionName));
    // The mutexes come before RUNNING, the section only after the delay.
    expectMutexesOf(std::begin(kFixedLayoutPages), std::end(kFixedLayoutPages));
    std::optional<SectionView> section = sectionOnceCreated();
    ASSERT_TRUE(section.has_value());
    EXPECT_GE(Clock::now() - running, 500ms);
    expectPatternPage(*section, kFixedLayoutPages[0]);
}

TEST_F(ReferenceServiceTest, NoSectionSwitchLeavesTheSectionAbsent) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--no-section");
    service.start();
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(namedSectionExists(kSectionName));
    expectMutexesOf(std::begin(kFixedLayoutPages), std::end(kFixedLayoutPages));
}

TEST_F(ReferenceServiceTest, SmallSectionLeavesPagesThatDoNotFitUnfilled) {
    ZynIni ini(kFixedLayoutIni);
    // Pages 1 (200..331) and 2 (400..439) fit in 700 bytes; page 5 (1000..1231) does not.
    ReferenceService service("--section-bytes=700");
    service.start();
    std::optional<SectionView> section = sectionOnceCreated();
    ASSERT_TRUE(section.has_value());
    expectPatternPage(*section, kFixedLayoutPages[0]);
    expectPatternPage(*section, kFixedLayoutPages[1]);
    // The view is whole memory pages, so the bytes past the section can be read: all zero.
    ASSERT_GE(section->size(), 1232u);
    for (int64_t at = 700; at < 1232; ++at)
        ASSERT_EQ(section->data()[at], 0) << "byte " << at;
    EXPECT_EQ(section->data()[5], 0) << "status byte of the unfilled page";
}

TEST_F(ReferenceServiceTest, HeldMutexIsReleasedAfterItsTime) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--hold-mutex=1:600");
    service.start();
    zyn::win32::KernelHandle mutex = openExchangeMutex(1);
    ASSERT_EQ(waitUntilTakenElsewhere(mutex.get()), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the service never took ZYN_MAP_1-00001";
    EXPECT_TRUE(namedSectionExists(kSectionName)) << "the mutex is taken after the section exists";
    EXPECT_EQ(WaitForSingleObject(mutex.get(), 10000), WAIT_OBJECT_0);
    ReleaseMutex(mutex.get());
}

TEST_F(ReferenceServiceTest, ExitWhileHoldingLeavesTheMutexAbandoned) {
    ZynIni ini(kFixedLayoutIni);
    // The delay gives this process time to open the mutex before the service ends: a mutex that
    // nobody else holds a handle to would vanish with the service's process.
    ReferenceService service("--section-delay-ms=500 --exit-holding=2");
    service.start();
    zyn::win32::KernelHandle mutex = openExchangeMutex(2);
    DWORD result = waitUntilTakenElsewhere(mutex.get());
    if (result == WAIT_TIMEOUT) result = WaitForSingleObject(mutex.get(), 10000);
    EXPECT_EQ(result, static_cast<DWORD>(WAIT_ABANDONED));
    ReleaseMutex(mutex.get());
    EXPECT_TRUE(eventually([&] { return !service.processAlive(); }));
}

// What a client may open under each --security, asked as a member of the Administrators (which
// every process under Wine is). Wine checks a section's descriptor in full, a mutex's in part.
TEST_F(ReferenceServiceTest, SecurityModesGrantClientsWhatTheySay) {
    struct Row {
        const char* name;
        bool section; // else a mutex
        DWORD access;
        DWORD error; // 0: it opens
    };
    struct ModeCase {
        const char* switches;
        std::vector<Row> rows;
    };
    const DWORD kReadWrite = FILE_MAP_READ | FILE_MAP_WRITE;
    const ModeCase modes[] = {
        // The first row is what a library asking for FILE_MAP_ALL_ACCESS meets in every system test.
        {"--security=system-only",
         {{kSectionName, true, FILE_MAP_ALL_ACCESS, ERROR_ACCESS_DENIED}, {kSectionName, true, kReadWrite, 0}}},
        {"--security=system-only --global-names",
         {{"Global\\ZYN_MAP_1", true, FILE_MAP_ALL_ACCESS, ERROR_ACCESS_DENIED}}},
        {"--security=read-only",
         {{kSectionName, true, kReadWrite, ERROR_ACCESS_DENIED},
          {kSectionName, true, FILE_MAP_READ, 0},
          {"ZYN_MAP_1-00001", false, SYNCHRONIZE | MUTEX_MODIFY_STATE, ERROR_ACCESS_DENIED}}},
        // The Administrators have full control.
        {"--security=service", {{kSectionName, true, FILE_MAP_ALL_ACCESS, 0}}},
    };
    const auto openError = [](const Row& row) -> DWORD {
        zyn::win32::KernelHandle handle(row.section ? OpenFileMappingA(row.access, FALSE, row.name)
                                                    : OpenMutexA(row.access, FALSE, row.name));
        return handle ? 0 : GetLastError();
    };
    ZynIni ini(kFixedLayoutIni);
    for (const ModeCase& mode : modes) {
        SCOPED_TRACE(mode.switches);
        ReferenceService service(mode.switches);
        service.start();
        // The section comes a moment after RUNNING.
        eventually([&] { return openError(mode.rows[0]) != ERROR_FILE_NOT_FOUND; });
        for (const Row& row : mode.rows)
            EXPECT_EQ(openError(row), row.error) << row.name << " with access 0x" << std::hex << row.access;
    }
}

TEST_F(ReferenceServiceTest, UnknownSwitchStopsTheStartWithInvalidParameter) {
    ReferenceService service("--no-such-switch");
    // The SCM may refuse the start itself, seeing the service stop before it ran, or report the
    // stop afterwards; either way the service ends stopped with the reason as its exit code.
    EXPECT_THROW(service.start(), SystemError);
    const SERVICE_STATUS_PROCESS status = service.status();
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
