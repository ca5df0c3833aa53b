// library_threads_test.cpp - the library as multi-threaded applications use it: the loading
// that happens at the first call rather than in LoadLibrary, a service that starts after the
// library has looked for it, and threads next to an edit or to a mutex held elsewhere, on both
// kinds of state lock (the slim one, and the critical section of systems before Vista).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "exchange_def_builder.h"
#include "support/clean_machine.h"
#include "support/data_access_helpers.h"
#include "support/loaded_library.h"
#include "support/shared_objects.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;
using zyn::test_support::exchangeDef;

using LibraryThreadsTest = CleanMachineTest;

// The SCM's state of "ZYN Service".
DWORD serviceState(const ReferenceService& service) { return service.status().dwCurrentState; }

// A service started elsewhere, while this process's library had found it stopped, is attached by
// the next data call: no restart of the application and no ZYN_StartService are needed.
TEST_F(LibraryThreadsTest, ServiceStartedElsewhereIsAttachedByTheNextDataCall) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    LoadedLibrary library;
    const DataAccessApi data(library);
    ASSERT_EQ(readExchange(data, "exchange_1@NODE1", 0, 1).result, ZYN_E_NOT_RUNNING);

    service.start();
    const ExpectedPage& page = kFixedLayoutPages[0];
    ASSERT_TRUE(waitForServicePage(page));
    const ReadResult read = readExchange(data, "exchange_1@NODE1", 0, page.size);
    ASSERT_EQ(read.result, ZYN_OK);
    EXPECT_EQ(read.data, patternData(page.exchangeNumber, 0, page.size));
    ExchangeRequest request("exchange_1@NODE1", 0, 0);
    const void* pointer = data.getExchangePtr(request.get());
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(bytesAt(pointer, ZYN_PAGE_HEADER_SIZE), patternHeaderOf(page));
}

// LoadLibrary does not wait for a service that is starting; the first call that needs the state
// does, as the load always has, and then finds the service running and its section attached.
TEST_F(LibraryThreadsTest, LoadReturnsWhileTheServiceStartsAndTheFirstCallWaitsForIt) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--start-delay-ms=2500");
    std::thread starter([&service] { service.start(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (serviceState(service) != SERVICE_START_PENDING && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();

    LoadedLibrary library;
    const DWORD stateAfterLoad = serviceState(service);
    const int32_t init = ZYN_EXPORT(library, ZYN_Init)();
    const DWORD stateAfterFirstCall = serviceState(service);
    starter.join();

    EXPECT_EQ(stateAfterLoad, static_cast<DWORD>(SERVICE_START_PENDING)) << "LoadLibrary waited for the service";
    EXPECT_EQ(init, 0);
    EXPECT_EQ(stateAfterFirstCall, static_cast<DWORD>(SERVICE_RUNNING)) << "the first call did not wait";
    ASSERT_TRUE(waitForServicePage(kFixedLayoutPages[0]));
    expectServicePage(DataAccessApi(library), "exchange_1@NODE1", kFixedLayoutPages[0]);
}

// Reader iterations per thread; ZYN_THREAD_ITERATIONS asks for more in a run by hand.
int readerIterations() {
    const char* asked = std::getenv("ZYN_THREAD_ITERATIONS");
    const int iterations = asked != nullptr ? std::atoi(asked) : 0;
    return iterations > 0 ? iterations : 400;
}

// What went wrong in any thread, counted, with the first few messages kept for the report.
class Failures {
public:
    void add(const std::string& what) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (++count_ <= 5) messages_ += what + "\n";
    }
    int count() const { return count_; }
    const std::string& messages() const { return messages_; }

private:
    std::mutex mutex_;
    int count_ = 0;
    std::string messages_;
};

bool sameDefinition(const ExchangeDef& a, const ExchangeDef& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class LibraryThreadsOnBothLocks : public CleanMachineTest, public ::testing::WithParamInterface<const char*> {};

// Two threads read an exchange that no edit touches while a third adds, changes and deletes an
// exchange of its own over and over: every answer is one that some order of the calls gives.
TEST_P(LibraryThreadsOnBothLocks, ReadersNeverMissAnUntouchedExchangeWhileAnotherThreadEdits) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    ASSERT_TRUE(waitForServicePage(kFixedLayoutPages[0]));
    LoadedLibrary library(GetParam());
    const DataAccessApi data(library);
    const auto count = ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromConfigFile);
    const auto getAll = ZYN_EXPORT(library, ZYN_GetAllExchangesFromConfigFile);
    const auto getParams = ZYN_EXPORT(library, ZYN_GetStaticExchangeParams);
    const auto add = ZYN_EXPORT(library, ZYN_AddStaticExchange);
    const auto change = ZYN_EXPORT(library, ZYN_ChangeStaticExchangeParams);
    const auto remove = ZYN_EXPORT(library, ZYN_DeleteStaticExchange);

    const ExpectedPage& page = kFixedLayoutPages[0];
    ExchangeDef untouched{};
    getParams("exchange_1@NODE1", &untouched);
    ASSERT_EQ(untouched.exchangeNumber, 1);
    const int32_t tableSize = count(); // without the editor's exchange; with it, one more
    ASSERT_EQ(tableSize, 3);
    const std::vector<uint8_t> expectedData = patternData(page.exchangeNumber, 0, page.size);

    Failures failures;
    std::atomic<int> readersLeft{2};
    std::atomic<int> editRounds{0};
    std::thread editor([&] {
        const ExchangeDef own = exchangeDef(7, 10, 1, "EDITOR", "GROUP", ZYN_FLAG_MUTEX, 0, 7);
        const ExchangeDef changed = exchangeDef(7, 20, 1, "EDITOR", "GROUP", ZYN_FLAG_MUTEX, 0, 7);
        while (readersLeft.load() > 0) {
            char name[] = "exchange_7@EDITOR";
            // A short breath after each edit lets the readers in between as well as during edits.
            if (add(own) != ZYN_OK) failures.add("add");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (change(changed) != ZYN_OK) failures.add("change");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (remove(name) != ZYN_OK) failures.add("delete");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++editRounds;
        }
    });
    const auto reader = [&] {
        std::vector<ExchangeDef> table(17);
        for (int i = 0; i < readerIterations(); ++i) {
            ExchangeDef found{};
            getParams("exchange_1@NODE1", &found);
            if (!sameDefinition(found, untouched))
                failures.add("lookup: number " + std::to_string(found.exchangeNumber));
            const ReadResult read = readExchange(data, "exchange_1@NODE1", 0, page.size);
            if (read.result != ZYN_OK || read.data != expectedData)
                failures.add("ZYN_GetExchange: " + std::to_string(read.result));
            const int32_t counted = count();
            if (counted != tableSize && counted != tableSize + 1) failures.add("count " + std::to_string(counted));
            // The buffer holds the largest table there is: between the count and the copy the
            // table may change.
            std::memset(table.data(), 0, table.size() * sizeof(ExchangeDef));
            if (getAll(table.data()) != ZYN_OK) failures.add("whole table not loaded");
            int records = 0;
            while (records < 17 && table[records].exchangeNumber != 0)
                ++records;
            if (records != tableSize && records != tableSize + 1) failures.add("table of " + std::to_string(records));
            if (!sameDefinition(table[0], untouched)) failures.add("table: first record");
        }
        --readersLeft;
    };
    std::thread first(reader);
    std::thread second(reader);
    first.join();
    second.join();
    editor.join();

    std::printf("%d reads per thread beside %d edit rounds\n", readerIterations(), editRounds.load());
    EXPECT_EQ(failures.count(), 0) << failures.messages();
    EXPECT_GT(editRounds.load(), 0);
    EXPECT_EQ(count(), tableSize) << "the editor's exchange is gone again";
}

// A hung holder of one exchange's mutex (this program's main thread) holds up the read that
// waits for it, and nothing else: an edit queued behind that read, a count and a read of another
// exchange all return while the mutex is still held.
TEST_P(LibraryThreadsOnBothLocks, AHeldExchangeMutexHoldsUpOnlyTheCallsThatNeedIt) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    const ExpectedPage& page = kFixedLayoutPages[0];
    ASSERT_TRUE(waitForServicePage(page));
    LoadedLibrary library(GetParam());
    const DataAccessApi data(library);
    const auto count = ZYN_EXPORT(library, ZYN_GetNumberOfExchangesFromConfigFile);
    const auto add = ZYN_EXPORT(library, ZYN_AddStaticExchange);
    zyn::win32::KernelHandle mutex = openExchangeMutex(page.mutexNumber);
    ASSERT_EQ(WaitForSingleObject(mutex.get(), INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));

    ReadResult waiting;
    std::thread waiter([&] { waiting = readExchange(data, "exchange_1@NODE1", 0, page.size); });
    Sleep(300); // the waiter is in its wait by now
    std::atomic<int> succeeded{0};
    std::thread edit([&] { succeeded += add(exchangeDef(7, 10, 1, "EDITOR", "GROUP", 1, 0, 7)) == ZYN_OK; });
    Sleep(50); // the edit first: with the wait under the state lock, the others would queue behind it
    std::thread counter([&] { succeeded += count() >= 3; });
    std::thread reader([&] { succeeded += readExchange(data, "exchange_2@NODE2", 0, 8).result == ZYN_OK; });
    int waited = 0;
    for (; succeeded.load() < 3 && waited < 4000; waited += 10)
        Sleep(10);
    const int whileHeld = succeeded.load();
    ReleaseMutex(mutex.get());
    for (std::thread* thread : {&waiter, &edit, &counter, &reader})
        thread->join();
    EXPECT_EQ(whileHeld, 3) << "of the calls that need no mutex returned in " << waited << " ms, the mutex held";
    EXPECT_EQ(waiting.result, ZYN_OK);
    EXPECT_EQ(waiting.data, patternData(page.exchangeNumber, 0, page.size));
}

INSTANTIATE_TEST_SUITE_P(SlimAndFallback, LibraryThreadsOnBothLocks,
                         ::testing::Values(kLibraryName, kFallbackSyncLibraryName),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == kLibraryName ? "Slim" : "Fallback";
                         });

} // namespace
