// Reading and writing live exchange data: the order of the checks, the byte ranges, the page
// each layout addresses, the exchange mutexes, that nothing outside the view is touched, and the
// batches that carry many exchanges for one status test.
#include "library_fixture.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <vector>

#include "config/page_layout.h"
#include "exchange/find_page.h"
#include "exchange_def_builder.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceRunning;

class DataAccess : public LibraryTest {
protected:
    // Loads with the service running and a section of `sectionBytes`, each byte holding the
    // low byte of its offset, so a copy shows where it came from.
    void load(const std::string& ini, size_t sectionBytes) {
        installService(kServiceRunning);
        world().writeIni(ini);
        auto& section = world().createSection(config::kSectionName, sectionBytes);
        for (size_t i = 0; i < section.bytes.size(); ++i)
            section.bytes[i] = static_cast<uint8_t>(i);
        attach();
        ASSERT_NE(state().view.address(), nullptr);
    }
    std::vector<uint8_t>& section() { return world().sections[config::kSectionName].bytes; }
    ExchangeAccess request(const char* name, uint32_t offset) {
        ExchangeAccess access;
        std::memset(&access, 0, sizeof access);
        std::strncpy(access.exchangeName, name, sizeof access.exchangeName - 1);
        access.offset = offset;
        access.lengthPtr = &count_;
        return access;
    }
    uint32_t count_ = 0;
};

// Fixed layout, E = 200: page n at n x 200, its data at n x 200 + 32.
constexpr char kFixedIni[] = "MAX_EXCHANGE_SIZE = 200\nMAX_STATIC_EXCHANGES = 8\n[EXCHANGE_DEFS]\n"
                             "1 100 1 node1 g\n2 8 1 node2 g\n3 50 1 node3 g E=9\n";
constexpr size_t kFixedSection = 9 * 200 + 32;

TEST_F(DataAccess, ByteRangeChecks) {
    load(kFixedIni, kFixedSection);
    struct Case {
        uint32_t offset;
        uint32_t count;
        int32_t result;
    };
    const Case cases[] = {
        {10, 20, 3}, {80, 20, 3},   {81, 20, -20}, {100, 0, 3},           {101, 0, -20},
        {0, 100, 3}, {0, 101, -20}, {99, 2, -20},  {1, 0xFFFFFFFFu, -20}, {0xFFFFFFFFu, 2, -20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " count " << c.count);
        ExchangeAccess access = request("exchange_1@NODE1", c.offset);
        count_ = c.count;
        std::vector<uint8_t> buffer(128, 0xEE);
        EXPECT_EQ(ZYN_GetExchange(&access, buffer.data()), c.result);
        if (c.result == ZYN_OK) {
            for (uint32_t i = 0; i < c.count; ++i)
                ASSERT_EQ(buffer[i], static_cast<uint8_t>(200 + 32 + c.offset + i));
            EXPECT_EQ(access.header[0], static_cast<uint8_t>(200));
        } else {
            EXPECT_EQ(buffer[0], 0xEE) << "a refused read writes nothing";
            EXPECT_EQ(access.header[0], 0);
        }
    }
}

TEST_F(DataAccess, ReadCopiesHeaderDataAndStatus) {
    load(kFixedIni, kFixedSection);
    ExchangeAccess access = request("exchange_1@node1", 10);
    count_ = 20;
    uint8_t buffer[20];
    section()[1] = 0; // status byte of page 1
    ASSERT_EQ(ZYN_GetExchange(&access, buffer), ZYN_OK);
    EXPECT_EQ(access.statusClear, 1u);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(access.header[i], static_cast<uint8_t>(200 + i));
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(242));
    EXPECT_EQ(buffer[19], static_cast<uint8_t>(261));
    section()[1] = 7;
    ASSERT_EQ(ZYN_GetExchange(&access, buffer), ZYN_OK);
    EXPECT_EQ(access.statusClear, 0u);
}

TEST_F(DataAccess, WriteChangesOnlyHeaderWordsAndAddressedBytes) {
    load(kFixedIni, kFixedSection);
    const std::vector<uint8_t> before = section();
    ExchangeAccess access = request("exchange_2@NODE2", 2);
    for (int i = 0; i < 32; ++i)
        access.header[i] = static_cast<uint8_t>(0xA0 + i);
    count_ = 3;
    const uint8_t data[3] = {1, 2, 3};
    ASSERT_EQ(ZYN_PutExchange(&access, data), ZYN_OK);
    for (size_t i = 0; i < before.size(); ++i) {
        const bool headerWord = i >= 400 + 12 && i < 400 + 20;
        const bool addressed = i >= 400 + 32 + 2 && i < 400 + 32 + 5;
        if (headerWord) {
            EXPECT_EQ(section()[i], 0xA0 + (i - 400)) << i;
        } else if (addressed) {
            EXPECT_EQ(section()[i], data[i - 434]) << i;
        } else {
            ASSERT_EQ(section()[i], before[i]) << "byte " << i << " changed";
        }
    }
    ExchangeAccess read = request("exchange_2@NODE2", 0);
    count_ = 8;
    uint8_t back[8];
    ASSERT_EQ(ZYN_GetExchange(&read, back), ZYN_OK);
    EXPECT_EQ(std::memcmp(read.header + 12, access.header + 12, 8), 0);
    EXPECT_EQ(back[2], 1);
    EXPECT_EQ(back[4], 3);
}

TEST_F(DataAccess, FixedLayoutAddressesThePageOfTheExchangeIdUnderThatPagesMutex) {
    load(kFixedIni, kFixedSection);
    ExchangeAccess access = request("exchange_9@NODE3", 0);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), nullptr) << "id 9 lies beyond the 8 pages";
    access = request("exchange_3@NODE3", 0);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), nullptr) << "the exchange is named by its id, 9";

    core::resetLibraryState();
    detach();
    core::resetLibraryState();
    world().writeIni("MAX_EXCHANGE_SIZE = 200\nMAX_STATIC_EXCHANGES = 8\n[EXCHANGE_DEFS]\n3 50 1 node3 g E=6\n");
    attach();
    access = request("exchange_6@NODE3", 0);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), state().view.address() + 6 * 200);
    ASSERT_NE(world().mutex("ZYN_MAP_1-00006"), nullptr) << "the addressed page has its own mutex";
    count_ = 4;
    uint8_t buffer[4];
    const int waitsBefore = world().mutex("ZYN_MAP_1-00006")->waits;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer), ZYN_OK);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00006")->waits, waitsBefore + 1);
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(6 * 200 + 32));
}

// Packed layout with S = 4, D = 2: pages from offset 6, each 32 + size bytes.
constexpr char kPackedIni[] = "MAX_STATIC_EXCHANGES = 4\nMAX_DYNAMIC_EXCHANGES = 2\nEXCH_MAP = 1\n[EXCHANGE_DEFS]\n"
                              "1 10 1 nodeb g E=5\n2 20 1 nodea g E=5\n3 30 1 nodeb g E=6\n";

TEST_F(DataAccess, PackedLayoutSelectsThePageByProducerAndId) {
    load(kPackedIni, 6 + 42 + 52 + 62);
    struct Case {
        const char* name;
        int64_t pageOffset; // -1: no page
    };
    const Case cases[] = {
        {"exchange_5@NODEB", 6},  {"exchange_5@NODEA", 6 + 42}, {"exchange_6@NODEB", 6 + 42 + 52},
        {"exchange_6@NODEA", -1}, {"exchange_7@NODEB", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeAccess access = request(c.name, 0);
        void* page = ZYN_GetExchangePtr(&access);
        count_ = 1;
        uint8_t first = 0;
        int32_t result = ZYN_GetExchange(&access, &first);
        if (c.pageOffset < 0) {
            EXPECT_EQ(page, nullptr);
            EXPECT_EQ(result, ZYN_E_NOT_FOUND);
        } else {
            EXPECT_EQ(page, state().view.address() + c.pageOffset) << "the same page as the read";
            EXPECT_EQ(result, ZYN_OK);
            EXPECT_EQ(first, static_cast<uint8_t>(c.pageOffset + 32));
        }
    }
}

TEST_F(DataAccess, FindPageIndexStaysWithinTheTableAsBuilt) {
    load(kPackedIni, 6 + 42 + 52 + 62);
    // Parameters changed in the state since the build do not change how the table is indexed.
    state().params.exchMap = 0;
    state().params.maxStaticExchanges = 1000;
    const auto record = [](const char* producer, int32_t id) {
        return test_support::exchangeDef(1, 10, 1, producer, "G", ZYN_FLAG_MUTEX, 0, id);
    };
    EXPECT_EQ(exchange::FindPageIndex(state(), record("NODEB", 6), 2), 2);
    EXPECT_EQ(exchange::FindPageIndex(state(), record("NODEB", 500), 500), -1);
    detach();
    core::resetLibraryState();
    load(kFixedIni, kFixedSection);
    state().params.maxStaticExchanges = 1000;
    state().params.exchMap = 1;
    EXPECT_EQ(exchange::FindPageIndex(state(), record("NODE1", 8), 0), 8);
    EXPECT_EQ(exchange::FindPageIndex(state(), record("NODE1", 9), 0), -1);
    EXPECT_EQ(exchange::FindPageIndex(state(), record("NODE1", 0), 0), -1);
    EXPECT_EQ(exchange::FindPageIndex(state(), record("NODE1", -1), 0), -1);
}

TEST_F(DataAccess, PagesOutsideTheViewAreNoPages) {
    // The file claims pages of 1400 bytes; the service's section holds far less.
    load("MAX_EXCHANGE_SIZE = 1400\n[EXCHANGE_DEFS]\n1 1400 1 n g\n2 10 1 n g\n", 2 * 1400 + 32);
    ExchangeAccess access = request("exchange_1@N", 0);
    count_ = 1400 - 32; // all the room of page 1, up to page 2's header
    std::vector<uint8_t> buffer(1400);
    EXPECT_EQ(ZYN_GetExchange(&access, buffer.data()), ZYN_OK);
    access = request("exchange_2@N", 0);
    count_ = 10;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer.data()), ZYN_E_NOT_FOUND);
    EXPECT_EQ(ZYN_PutExchange(&access, buffer.data()), ZYN_E_NOT_FOUND);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), nullptr);
    count_ = 0;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer.data()), ZYN_OK) << "its header alone still lies inside";
    section().resize(2 * 1400 + 31); // one byte short of page 2's header
    detach();
    core::resetLibraryState();
    attach();
    EXPECT_EQ(ZYN_GetExchange(&access, buffer.data()), ZYN_E_NOT_FOUND);

    // A negative exchange size in the header puts every page before the view, and leaves no
    // room for data in any.
    detach();
    core::resetLibraryState();
    load("MAX_EXCHANGE_SIZE = -100\n[EXCHANGE_DEFS]\n1 10 1 n g\n", 4096);
    access = request("exchange_1@N", 0);
    count_ = 1;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer.data()), ZYN_E_RANGE);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), nullptr);
}

// Fixed-layout pages lie E bytes apart, so each holds E - 32 data bytes whatever its
// definition's size; packed pages are as long as their definitions.
TEST_F(DataAccess, DataBeyondThePagesRoomIsOutsideTheExchange) {
    load("MAX_EXCHANGE_SIZE = 64\nMAX_STATIC_EXCHANGES = 4\n[EXCHANGE_DEFS]\n1 64 1 n g\n", 5 * 64 + 32);
    const std::vector<uint8_t> before = section();
    const struct {
        uint32_t offset;
        uint32_t count;
        int32_t result;
    } cases[] = {{0, 32, ZYN_OK}, {31, 1, ZYN_OK}, {32, 0, ZYN_OK}, {32, 1, ZYN_E_RANGE}, {0, 64, ZYN_E_RANGE}};
    uint8_t buffer[64];
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " count " << c.count);
        ExchangeAccess access = request("exchange_1@N", c.offset);
        count_ = c.count;
        EXPECT_EQ(ZYN_GetExchange(&access, buffer), c.result);
        if (c.result != ZYN_OK) {
            EXPECT_EQ(ZYN_PutExchange(&access, buffer), c.result);
        }
    }
    EXPECT_EQ(section(), before) << "page 2's header is untouched";
    ExchangeAccess access = request("exchange_1@N", 32);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), state().view.address() + 64) << "the page address is unchanged";
    // The room is the table's as built: a larger E stored since does not widen it.
    state().params.maxExchangeSize = 1000;
    count_ = 1;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer), ZYN_E_RANGE);

    detach();
    core::resetLibraryState();
    load("MAX_EXCHANGE_SIZE = 64\nMAX_STATIC_EXCHANGES = 4\nMAX_DYNAMIC_EXCHANGES = 2\nEXCH_MAP = 1\n"
         "[EXCHANGE_DEFS]\n1 64 1 n g\n",
         6 + 96);
    access = request("exchange_1@N", 0);
    count_ = 64;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer), ZYN_OK) << "a packed page holds its whole size";
    EXPECT_EQ(buffer[63], static_cast<uint8_t>(6 + 32 + 63));
}

TEST_F(DataAccess, ServiceStateIsCheckedBeforeAnythingElse) {
    load(kFixedIni, kFixedSection);
    ExchangeAccess access = request("exchange_1@NODE1", 0);
    count_ = 4;
    uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    world().services[core::kServiceName].state = platform::kServiceStopped;
    EXPECT_EQ(ZYN_GetExchange(&access, buffer), ZYN_E_NOT_RUNNING);
    EXPECT_EQ(ZYN_PutExchange(&access, buffer), ZYN_E_NOT_RUNNING);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), nullptr);
    world().services.erase(core::kServiceName);
    EXPECT_EQ(ZYN_GetExchange(&access, buffer), ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(ZYN_PutExchange(&access, buffer), ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(ZYN_GetExchange(nullptr, buffer), ZYN_E_NOT_FOUND);
    EXPECT_EQ(ZYN_GetExchangePtr(nullptr), nullptr);
    EXPECT_EQ(section()[232], static_cast<uint8_t>(232)) << "the page was not touched";
}

TEST_F(DataAccess, BadCallerRecordsAreRefused) {
    load(kFixedIni, kFixedSection);
    ExchangeAccess access = request("exchange_1@NODE1", 0);
    std::memset(access.exchangeName, 'x', sizeof access.exchangeName); // no terminator in 100 bytes
    std::memcpy(access.exchangeName, "exchange_1@NODE1", 16);
    count_ = 1;
    uint8_t byte = 0;
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_E_NOT_FOUND);
    access = request("exchange_1@NODE1", 0);
    access.lengthPtr = nullptr;
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_E_PARAMETER);
    access.lengthPtr = &count_;
    EXPECT_EQ(ZYN_GetExchange(&access, nullptr), ZYN_E_PARAMETER);
    EXPECT_EQ(ZYN_PutExchange(&access, nullptr), ZYN_E_PARAMETER);
    count_ = 0;
    EXPECT_EQ(ZYN_GetExchange(&access, nullptr), ZYN_OK) << "no bytes need no buffer";
}

TEST_F(DataAccess, NoViewGivesNotFound) {
    installService(kServiceRunning);
    world().writeIni(kFixedIni);
    attach(); // no section: 46 attempts, then unattached
    ExchangeAccess access = request("exchange_1@NODE1", 0);
    count_ = 1;
    uint8_t byte = 0;
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_E_NOT_FOUND);
    EXPECT_EQ(ZYN_GetExchangePtr(&access), nullptr);
    access.offset = 200;
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_E_RANGE) << "the range is checked before the view";
}

TEST_F(DataAccess, ReadAndWriteWaitForTheExchangeMutex) {
    load(kFixedIni, kFixedSection);
    fake::MutexObject* mutex = world().mutex("ZYN_MAP_1-00001");
    ASSERT_NE(mutex, nullptr);
    ExchangeAccess access = request("exchange_1@NODE1", 0);
    count_ = 1;
    uint8_t byte = 0;

    mutex->heldByOther = true;
    mutex->otherReleasesAt = world().now + 5000;
    const uint64_t before = world().now;
    world().at(before + 1000, [&] { // the caller's record changes during the wait: it was read before
        access.offset = 4000;
        count_ = 100;
    });
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_OK);
    EXPECT_GE(world().now, before + 5000) << "the read waited for the holder";
    EXPECT_EQ(byte, static_cast<uint8_t>(232)) << "read at the offset checked, nothing beyond";
    EXPECT_EQ(mutex->ownedByUs, 0) << "and released the mutex";
    access.offset = 0;
    count_ = 1;

    mutex->heldByOther = mutex->abandonedByOther = true;
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_OK) << "an abandoned mutex counts as acquired";
    EXPECT_EQ(mutex->ownedByUs, 0);

    const int waits = mutex->waits;
    EXPECT_EQ(ZYN_PutExchange(&access, &byte), ZYN_OK);
    EXPECT_EQ(mutex->waits, waits + 1) << "the write holds the mutex too";
    EXPECT_EQ(mutex->ownedByUs, 0);

    byte = 0x5A;
    const uint8_t pageByte = section()[232];
    world().failCall(fake::Op::WaitMutex, 1);
    EXPECT_EQ(ZYN_PutExchange(&access, &byte), ZYN_E_FAILED);
    EXPECT_EQ(section()[232], pageByte) << "a failed wait writes nothing";
    world().failCall(fake::Op::WaitMutex, 1);
    uint8_t out = 0xEE;
    EXPECT_EQ(ZYN_GetExchange(&access, &out), ZYN_E_FAILED);
    EXPECT_EQ(out, 0xEE);
}

TEST_F(DataAccess, PageWithoutMutexIsCopiedUnlocked) {
    world().failAllCalls(fake::Op::CreateMutex);
    world().failAllCalls(fake::Op::OpenMutex);
    load(kFixedIni, kFixedSection);
    ExchangeAccess access = request("exchange_1@NODE1", 0);
    count_ = 1;
    uint8_t byte = 0;
    EXPECT_EQ(ZYN_GetExchange(&access, &byte), ZYN_OK);
    EXPECT_EQ(byte, static_cast<uint8_t>(232));
}

// ---- batches

// One entry of a batch with its own record, count and buffer, which starts as 0xEE bytes. The
// record points at the count, so an entry stays where it was made.
struct BatchEntry {
    BatchEntry(const char* name, uint32_t offset, uint32_t count) : count(count), buffer(128, 0xEE) {
        std::memset(&access, 0, sizeof access);
        if (name != nullptr) std::strncpy(access.exchangeName, name, sizeof access.exchangeName - 1);
        access.offset = offset;
        access.lengthPtr = &this->count;
    }
    BatchEntry(const BatchEntry&) = delete;
    BatchEntry& operator=(const BatchEntry&) = delete;
    ExchangeAccess access;
    uint32_t count;
    std::vector<uint8_t> buffer;
};

std::vector<ExchangeTransfer> transfersOf(std::deque<BatchEntry>& entries) {
    std::vector<ExchangeTransfer> transfers;
    for (BatchEntry& entry : entries)
        transfers.push_back({&entry.access, entry.buffer.data(), 0x7777});
    return transfers;
}

TEST_F(DataAccess, BatchMakesOneStatusTestWhoseRefusalAnswersForEveryEntry) {
    load(kFixedIni, kFixedSection);
    std::deque<BatchEntry> entries;
    entries.emplace_back("exchange_1@NODE1", 0, 4);
    entries.emplace_back("exchange_2@NODE2", 0, 8);
    entries.emplace_back("exchange_1@NODE1", 50, 50);
    std::vector<ExchangeTransfer> transfers = transfersOf(entries);
    const auto statusQueriesOf = [&](const std::function<int32_t()>& call, int32_t result) {
        const int before = world().calls(fake::Op::QueryStatus);
        EXPECT_EQ(call(), result);
        return world().calls(fake::Op::QueryStatus) - before;
    };
    const auto get = [&] { return ZYN_GetExchanges(transfers.data(), 3); };
    const auto put = [&] { return ZYN_PutExchanges(transfers.data(), 3); };
    EXPECT_EQ(statusQueriesOf(get, ZYN_OK), 1);
    EXPECT_EQ(statusQueriesOf(put, ZYN_OK), 1);
    EXPECT_EQ(statusQueriesOf([&] { return ZYN_GetExchanges(transfers.data(), 0); }, ZYN_OK), 1);
    EXPECT_EQ(statusQueriesOf([&] { return ZYN_GetExchanges(nullptr, 0); }, ZYN_OK), 1);
    EXPECT_EQ(statusQueriesOf([&] { return ZYN_GetExchanges(nullptr, 3); }, ZYN_E_NOT_FOUND), 0);

    world().services[core::kServiceName].state = platform::kServiceStopped;
    const std::vector<uint8_t> sectionBefore = section();
    for (ExchangeTransfer& transfer : transfers)
        std::fill(static_cast<uint8_t*>(transfer.buffer), static_cast<uint8_t*>(transfer.buffer) + 128, 0xEE);
    const int waits = world().mutex("ZYN_MAP_1-00001")->waits;
    EXPECT_EQ(statusQueriesOf(get, ZYN_E_NOT_RUNNING), 1);
    for (const ExchangeTransfer& transfer : transfers)
        EXPECT_EQ(transfer.result, ZYN_E_NOT_RUNNING);
    EXPECT_EQ(entries[0].buffer[0], 0xEE);
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00001")->waits, waits) << "no entry was gone into";
    world().services.erase(core::kServiceName);
    EXPECT_EQ(ZYN_PutExchanges(transfers.data(), 3), ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(transfers[2].result, ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(section(), sectionBefore);
}

// Each entry gets the result the single call gives it; the entries after a failure are still
// carried out, and the batch answers with the first failure.
TEST_F(DataAccess, BatchEntriesAnswerAsSingleCallsAndTheFirstFailureIsReturned) {
    load(kFixedIni, kFixedSection);
    struct Row {
        const char* name; // null: the entry's record pointer is null
        uint32_t offset;
        uint32_t count;
        int32_t result;
        int64_t dataAt; // section offset of the first byte read
    };
    const Row rows[] = {
        {"exchange_1@NODE1", 10, 20, ZYN_OK, 242},
        {"exchange_7@NODE1", 0, 1, ZYN_E_NOT_FOUND, 0}, // no such exchange
        {"exchange_1@NODE1", 90, 20, ZYN_E_RANGE, 0},
        {"exchange_9@NODE3", 0, 1, ZYN_E_NOT_FOUND, 0}, // id 9 lies beyond the 8 pages
        {nullptr, 0, 1, ZYN_E_NOT_FOUND, 0},
        {"exchange_2@NODE2", 0, 8, ZYN_OK, 432},
        {"exchange_2@NODE2", 2, 4, ZYN_E_FAILED, 0}, // its mutex wait fails
        {"exchange_1@NODE1", 96, 4, ZYN_OK, 232 + 96},
    };
    std::deque<BatchEntry> entries;
    for (const Row& row : rows)
        entries.emplace_back(row.name, row.offset, row.count);
    std::vector<ExchangeTransfer> transfers = transfersOf(entries);
    for (size_t i = 0; i < std::size(rows); ++i)
        if (rows[i].name == nullptr) transfers[i].access = nullptr;
    world().failCall(fake::Op::WaitMutex, 3); // the third entry that gets as far as its mutex
    EXPECT_EQ(ZYN_GetExchanges(transfers.data(), static_cast<uint32_t>(transfers.size())), ZYN_E_NOT_FOUND);
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "entry " << i);
        const Row& row = rows[i];
        EXPECT_EQ(transfers[i].result, row.result);
        if (row.result == ZYN_OK) {
            for (uint32_t k = 0; k < row.count; ++k)
                ASSERT_EQ(entries[i].buffer[k], static_cast<uint8_t>(row.dataAt + k));
            EXPECT_EQ(entries[i].access.header[0], static_cast<uint8_t>(row.dataAt - row.offset - 32));
        } else {
            EXPECT_EQ(entries[i].buffer[0], 0xEE);
            EXPECT_EQ(entries[i].access.header[0], 0);
        }
    }
    EXPECT_EQ(world().mutex("ZYN_MAP_1-00001")->ownedByUs + world().mutex("ZYN_MAP_1-00002")->ownedByUs, 0);
    EXPECT_EQ(ZYN_GetExchanges(transfers.data() + 2, 3), ZYN_E_RANGE);
    EXPECT_EQ(ZYN_PutExchanges(transfers.data() + 2, 3), ZYN_E_RANGE);
    EXPECT_EQ(ZYN_GetExchanges(transfers.data() + 5, 3), ZYN_OK);
}

// A mutex another process holds delays the entries from its own on: those before it are done
// and their mutexes given back before the wait begins.
TEST_F(DataAccess, BatchHoldsOneExchangeMutexAtATime) {
    load(kFixedIni, kFixedSection);
    std::deque<BatchEntry> entries;
    entries.emplace_back("exchange_1@NODE1", 0, 4);
    entries.emplace_back("exchange_2@NODE2", 0, 4);
    entries.emplace_back("exchange_1@NODE1", 4, 4);
    std::vector<ExchangeTransfer> transfers = transfersOf(entries);
    fake::MutexObject* held = world().mutex("ZYN_MAP_1-00002");
    held->heldByOther = true;
    held->otherReleasesAt = world().now + 5000;
    bool looked = false;
    world().at(world().now + 1000, [&] {
        looked = true;
        EXPECT_EQ(world().mutex("ZYN_MAP_1-00001")->ownedByUs, 0);
        EXPECT_EQ(entries[0].buffer[0], static_cast<uint8_t>(232)) << "the entry before the held mutex is done";
        EXPECT_EQ(entries[2].buffer[0], 0xEE) << "the entry after it waits";
    });
    EXPECT_EQ(ZYN_GetExchanges(transfers.data(), 3), ZYN_OK);
    EXPECT_TRUE(looked);
    EXPECT_EQ(entries[2].buffer[0], static_cast<uint8_t>(236));
    EXPECT_EQ(held->ownedByUs, 0);
}

} // namespace
} // namespace zyn::testing
