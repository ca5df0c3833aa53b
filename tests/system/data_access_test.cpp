// data_access_test.cpp - applications reading and writing live exchange data through TRVZYN32.dll
// while the reference service runs: the pages of both layouts, byte ranges, producers that share
// an exchange id, the exchange mutexes held or abandoned by other processes, a service that is
// stopped or gone, and a zyn.ini that claims more than the service's section holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "page_pattern.h"
#include "peer/peer_protocol.h"
#include "support/clean_machine.h"
#include "support/data_access_helpers.h"
#include "support/loaded_library.h"
#include "support/peer_process.h"
#include "support/shared_objects.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace ref = zyn::reference;

constexpr char kSectionName[] = "ZYN_MAP_1";
constexpr uint8_t kUntouched = 0xCD; // fills the caller's buffers: bytes nobody may write
constexpr uint8_t kUntouchedHeader = 0xAB;
constexpr uint32_t kUntouchedStatus = 7;

long long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// ---------------------------------------------------------------------------------------------
// The section as the test program sees it, through a view of its own.

std::optional<SectionView> sectionOnceCreated() {
    const auto deadline = Clock::now() + 5s;
    for (;;) {
        std::optional<SectionView> section = SectionView::open(kSectionName);
        if (section || Clock::now() > deadline) return section;
        std::this_thread::sleep_for(10ms);
    }
}

std::vector<uint8_t> sectionSnapshot() {
    std::optional<SectionView> section = SectionView::open(kSectionName);
    if (!section) {
        ADD_FAILURE() << "no section " << kSectionName;
        return {};
    }
    return bytesAt(section->data(), section->size());
}

// Reports the first byte where the section differs from what it should hold.
void expectSection(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected) {
    ASSERT_EQ(actual.size(), expected.size()) << "section size";
    for (size_t at = 0; at < actual.size(); ++at) {
        ASSERT_EQ(actual[at], expected[at]) << "section byte " << at;
    }
}

// What a successful ZYN_PutExchange does to the section: header bytes 12 to 19 of the page and the
// addressed data bytes, nothing else.
void applyWrite(std::vector<uint8_t>& section, int64_t pageOffset, const ExchangeAccess& access, const uint8_t* source,
                uint32_t count) {
    std::memcpy(section.data() + pageOffset + 12, access.header + 12, 8);
    std::memcpy(section.data() + pageOffset + ZYN_PAGE_HEADER_SIZE + access.offset, source, count);
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char two[3];
    for (uint8_t byte : bytes) {
        std::snprintf(two, sizeof two, "%02x", byte);
        text += two;
    }
    return text;
}

// A second process's view of the same bytes.
std::string peerReadsSection(int64_t offset, size_t count) {
    const PeerResult read = runPeer("read-section " + std::string(kSectionName) + " " + std::to_string(offset) + " " +
                                    std::to_string(count));
    EXPECT_EQ(read.exitCode, static_cast<DWORD>(zyn::peer::kPeerOk));
    return read.output.substr(0, read.output.find('\n'));
}

// The header of a write: two words that tell the writes apart in bytes 12 to 19, every other byte
// a value that must not reach the page.
void setWriterHeader(ExchangeAccess& access, uint32_t tag) {
    std::memset(access.header, 0xEE, ZYN_PAGE_HEADER_SIZE);
    const uint32_t words[2] = {0xC0DE0000u + tag, 0x5EED0000u + tag};
    std::memcpy(access.header + 12, words, sizeof words);
}

// A write request for `count` bytes from `offset`, with the inverse of the service's pattern as
// data, so that every written byte changes.
struct Write {
    Write(const std::string& name, const ExpectedPage& page, uint32_t offset, uint32_t count, uint32_t tag)
        : request(name, offset, count), data(patternData(page.exchangeNumber, offset, count)) {
        for (uint8_t& byte : data)
            byte = static_cast<uint8_t>(~byte);
        setWriterHeader(*request.get(), tag);
    }
    ExchangeRequest request;
    std::vector<uint8_t> data;
};

// ---------------------------------------------------------------------------------------------
// The two page layouts, with the exchanges an application addresses in each.

struct NamedExchange {
    const char* name;
    const ExpectedPage* page; // null: the exchange is defined but has no page
};

struct LayoutCase {
    const char* label;
    const char* ini;
    std::vector<NamedExchange> exchanges; // the first two have pages
};

const LayoutCase kLayoutCases[] = {
    {"Fixed",
     kFixedLayoutIni,
     {
         {"exchange_1@NODE1", &kFixedLayoutPages[0]},
         {"exchange_2@NODE2", &kFixedLayoutPages[1]},
         // Exchange number 5 carries the id 40, beyond MAX_STATIC_EXCHANGES = 16: no page.
         {"exchange_40@NODE1", nullptr},
     }},
    {"Packed",
     kPackedLayoutIni,
     {
         {"exchange_1@NODE1", &kPackedLayoutPages[0]},
         {"exchange_2@NODE2", &kPackedLayoutPages[1]},
         {"exchange_9@NODE3", &kPackedLayoutPages[2]},
     }},
};

class DataAccessLayoutTest : public CleanMachineTest, public ::testing::WithParamInterface<LayoutCase> {
protected:
    // The service runs and fills its section before the library is loaded, so the load attaches.
    void startServiceAndLoadLibrary(const std::string& switches = {}) {
        ini_.emplace(GetParam().ini);
        service_.emplace(switches);
        service_->start();
        library_.emplace();
        api_.emplace(*library_);
    }
    void TearDown() override {
        api_.reset();
        library_.reset();
        service_.reset();
        ini_.reset();
        CleanMachineTest::TearDown();
    }
    const DataAccessApi& api() const { return *api_; }
    std::vector<NamedExchange> pagedExchanges() const {
        std::vector<NamedExchange> paged;
        for (const NamedExchange& exchange : GetParam().exchanges)
            if (exchange.page != nullptr) paged.push_back(exchange);
        return paged;
    }

private:
    std::optional<ZynIni> ini_;
    std::optional<ReferenceService> service_;
    std::optional<LoadedLibrary> library_;
    std::optional<DataAccessApi> api_;
};

TEST_P(DataAccessLayoutTest, ReadsEveryPageAsTheServiceFilledIt) {
    startServiceAndLoadLibrary();
    for (const NamedExchange& exchange : GetParam().exchanges) {
        SCOPED_TRACE(exchange.name);
        if (exchange.page == nullptr) {
            EXPECT_EQ(readExchange(api(), exchange.name, 0, 1).result, ZYN_E_NOT_FOUND);
            ExchangeRequest request(exchange.name, 0, 0);
            EXPECT_EQ(api().getExchangePtr(request.get()), nullptr);
            continue;
        }
        const ExpectedPage& page = *exchange.page;
        expectServicePage(api(), exchange.name, page);
        // A part from the middle: the header and status as before, the data from the offset on.
        const uint32_t offset = page.size / 4;
        const uint32_t count = page.size / 2;
        const ReadResult part = readExchange(api(), exchange.name, offset, count);
        ASSERT_EQ(part.result, ZYN_OK);
        EXPECT_EQ(part.data, patternData(page.exchangeNumber, offset, count)) << "bytes " << offset << "+" << count;
        EXPECT_EQ(bytesAt(part.access.header, ZYN_PAGE_HEADER_SIZE), patternHeaderOf(page));
    }
}

TEST_P(DataAccessLayoutTest, WriteChangesOnlyTheHeaderWordsAndTheAddressedBytes) {
    startServiceAndLoadLibrary();
    std::vector<uint8_t> expected = sectionSnapshot();
    ASSERT_FALSE(expected.empty());
    uint32_t tag = 1;
    for (const NamedExchange& exchange : pagedExchanges()) {
        SCOPED_TRACE(exchange.name);
        const ExpectedPage& page = *exchange.page;
        Write write(exchange.name, page, page.size / 4, page.size / 2, tag++);
        ASSERT_EQ(api().putExchange(write.request.get(), write.data.data()), ZYN_OK);
        applyWrite(expected, page.pageOffset, write.request.access(), write.data.data(), write.request.count());

        // Read back: the two words in header bytes 12 to 19, the rest of the header the service's.
        const ReadResult read = readExchange(api(), exchange.name, 0, page.size);
        ASSERT_EQ(read.result, ZYN_OK);
        std::vector<uint8_t> header = patternHeaderOf(page);
        std::memcpy(header.data() + 12, write.request.access().header + 12, 8);
        EXPECT_EQ(bytesAt(read.access.header, ZYN_PAGE_HEADER_SIZE), header);
        EXPECT_EQ(bytesAt(read.data.data() + write.request.access().offset, write.data.size()), write.data);
    }
    // Byte for byte, nothing else in the section changed.
    expectSection(sectionSnapshot(), expected);
    // And another process sees the written pages.
    for (const NamedExchange& exchange : pagedExchanges()) {
        const ExpectedPage& page = *exchange.page;
        const std::vector<uint8_t> pageBytes(expected.begin() + page.pageOffset,
                                             expected.begin() + page.pageOffset + ZYN_PAGE_HEADER_SIZE + page.size);
        EXPECT_EQ(peerReadsSection(page.pageOffset, pageBytes.size()), hex(pageBytes)) << exchange.name;
    }
}

// Reads and writes both take the exchange's mutex: while another process holds it they wait, and
// they finish once it is given back.
TEST_P(DataAccessLayoutTest, ReadAndWriteWaitWhileAnotherProcessHoldsTheExchangeMutex) {
    constexpr int kHoldMs = 1000;
    startServiceAndLoadLibrary();
    const std::vector<NamedExchange> paged = pagedExchanges();
    struct Step {
        const char* what;
        NamedExchange exchange;
        bool write;
    };
    const Step steps[] = {{"read", paged[1], false}, {"write", paged[0], true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.what) + " of " + step.exchange.name);
        const ExpectedPage& page = *step.exchange.page;
        const std::string mutexName = exchangeMutexName(page.mutexNumber);
        PeerProcess holder("hold-mutex " + mutexName + " " + std::to_string(kHoldMs));
        ASSERT_EQ(holder.readLine(), zyn::peer::kHeldLine) << mutexName;

        Write write(step.exchange.name, page, 0, page.size, 1);
        std::vector<uint8_t> data(page.size, kUntouched);
        const auto start = Clock::now();
        const int32_t result = step.write ? api().putExchange(write.request.get(), write.data.data())
                                          : api().getExchange(write.request.get(), data.data());
        const long long waited = millisecondsSince(start);
        std::printf("%s of %s waited %lld ms for %s\n", step.what, step.exchange.name, waited, mutexName.c_str());

        EXPECT_EQ(result, ZYN_OK);
        EXPECT_GE(waited, kHoldMs - 300) << "the " << step.what << " did not wait for " << mutexName;
        EXPECT_LT(waited, 10000);
        EXPECT_EQ(holder.wait(), static_cast<DWORD>(zyn::peer::kPeerOk));
        if (step.write) {
            EXPECT_EQ(readExchange(api(), step.exchange.name, 0, page.size).data, write.data);
        } else {
            EXPECT_EQ(data, patternData(page.exchangeNumber, 0, page.size));
        }
    }
}

// A process that ended while holding an exchange's mutex leaves it abandoned: the library takes it
// over, does its work and gives it back, so that the next process gets it at once.
TEST_P(DataAccessLayoutTest, MutexAbandonedByAnEndedProcessIsTakenOver) {
    startServiceAndLoadLibrary();
    const NamedExchange exchange = pagedExchanges()[0];
    const ExpectedPage& page = *exchange.page;
    const std::string mutexName = exchangeMutexName(page.mutexNumber);
    for (const bool write : {false, true}) {
        SCOPED_TRACE(write ? "write" : "read");
        PeerProcess holder("exit-holding " + mutexName);
        ASSERT_EQ(holder.readLine(), zyn::peer::kHeldLine);
        ASSERT_EQ(holder.wait(), static_cast<DWORD>(zyn::peer::kPeerExitedHolding));

        Write request(exchange.name, page, 0, page.size, 2);
        std::vector<uint8_t> data(page.size, kUntouched);
        const auto start = Clock::now();
        const int32_t result = write ? api().putExchange(request.request.get(), request.data.data())
                                     : api().getExchange(request.request.get(), data.data());
        EXPECT_EQ(result, ZYN_OK);
        EXPECT_LT(millisecondsSince(start), 3000);
        if (!write) {
            EXPECT_EQ(data, patternData(page.exchangeNumber, 0, page.size));
        }
        // Checked before the next step: a mutex kept by this process would block the next holder.
        ASSERT_EQ(runPeer("wait-mutex " + mutexName + " 0").exitCode, static_cast<DWORD>(zyn::peer::kPeerOk))
            << mutexName << " was not given back";
    }
    // The write that took the abandoned mutex over is in the page.
    EXPECT_EQ(readExchange(api(), exchange.name, 0, page.size).data, Write(exchange.name, page, 0, page.size, 2).data);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DataAccessLayoutTest, ::testing::ValuesIn(kLayoutCases),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.label; });

// ---------------------------------------------------------------------------------------------
// Scenarios of one configuration each.

using DataAccessTest = CleanMachineTest;

// The byte range is checked against the exchange's size the same way for reads and writes; a
// refused request leaves the caller's record and buffer, and the page, as they were.
TEST_F(DataAccessTest, ByteRangeIsCheckedAgainstTheExchangeSize) {
    struct RangeCase {
        const char* label;
        uint32_t offset;
        uint32_t count;
        int32_t result;
    };
    const RangeCase cases[] = {
        {"the whole exchange", 0, 100, ZYN_OK},
        {"bytes 10 to 29", 10, 20, ZYN_OK},
        {"the last 20 bytes", 80, 20, ZYN_OK},
        {"20 bytes ending one past the end", 81, 20, ZYN_E_RANGE},
        {"nothing, at the end", 100, 0, ZYN_OK},
        {"nothing, inside", 50, 0, ZYN_OK},
        {"nothing, one past the end", 101, 0, ZYN_E_RANGE},
        {"one byte at the end", 100, 1, ZYN_E_RANGE},
        {"offset + count exactly 2^32", 10, 0xFFFFFFF6u, ZYN_E_RANGE},
        {"offset + count past 2^32", 50, 0xFFFFFFFFu, ZYN_E_RANGE},
        {"the last possible offset", 0xFFFFFFFFu, 1, ZYN_E_RANGE},
    };
    constexpr size_t kBufferBytes = 256; // more than any accepted count
    const ExpectedPage& page = kFixedLayoutPages[0];
    const std::string name = "exchange_1@NODE1"; // 100 bytes
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    LoadedLibrary library;
    const DataAccessApi api(library);

    for (const RangeCase& range : cases) {
        SCOPED_TRACE(std::string("read of ") + range.label);
        ExchangeRequest request(name, range.offset, range.count);
        std::memset(request.get()->header, kUntouchedHeader, ZYN_PAGE_HEADER_SIZE);
        request.get()->statusClear = kUntouchedStatus;
        std::vector<uint8_t> buffer(kBufferBytes, kUntouched);
        EXPECT_EQ(api.getExchange(request.get(), buffer.data()), range.result);

        const uint32_t copied = range.result == ZYN_OK ? range.count : 0;
        std::vector<uint8_t> expectedBuffer(kBufferBytes, kUntouched);
        const std::vector<uint8_t> data = patternData(page.exchangeNumber, range.offset, copied);
        std::copy(data.begin(), data.end(), expectedBuffer.begin());
        EXPECT_EQ(buffer, expectedBuffer);
        if (range.result == ZYN_OK) {
            EXPECT_EQ(bytesAt(request.access().header, ZYN_PAGE_HEADER_SIZE), patternHeaderOf(page));
            EXPECT_EQ(request.access().statusClear, 0u) << "exchange number 1 is odd";
        } else {
            EXPECT_EQ(bytesAt(request.access().header, ZYN_PAGE_HEADER_SIZE),
                      std::vector<uint8_t>(ZYN_PAGE_HEADER_SIZE, kUntouchedHeader));
            EXPECT_EQ(request.access().statusClear, kUntouchedStatus);
        }
    }
    for (const RangeCase& range : cases) {
        SCOPED_TRACE(std::string("write of ") + range.label);
        ExchangeRequest request(name, range.offset, range.count);
        setWriterHeader(*request.get(), 3);
        // The source holds the accepted bytes, inverted so that each changes the page.
        const uint32_t accepted = range.result == ZYN_OK ? range.count : 0;
        std::vector<uint8_t> source(kBufferBytes, kUntouched);
        for (uint32_t k = 0; k < accepted; ++k)
            source[k] = static_cast<uint8_t>(~ref::patternDataByte(page.exchangeNumber, range.offset + k));

        std::vector<uint8_t> expected = sectionSnapshot();
        EXPECT_EQ(api.putExchange(request.get(), source.data()), range.result);
        if (range.result == ZYN_OK) applyWrite(expected, page.pageOffset, request.access(), source.data(), accepted);
        expectSection(sectionSnapshot(), expected);
    }
}

// Fixed-layout pages lie E bytes apart, so a page holds E - 32 data bytes whatever its
// definition's size: the bytes after them are the next page's header, which neither the service
// nor a write may touch. A packed page is as long as its definition.
TEST_F(DataAccessTest, FixedPageHoldsEMinus32BytesAndPackedPageItsWholeSize) {
    // The 64-byte exchange 1 is loaded after its neighbour on page 2, so that data of it beyond the
    // room would land on a header already written.
    constexpr char kFixedIni[] = "MAX_EXCHANGE_SIZE = 64\nMAX_STATIC_EXCHANGES = 4\nMAX_DYNAMIC_EXCHANGES = 2\n"
                                 "EXCH_MAP = 0\n[EXCHANGE_DEFS]\n"
                                 "2\t8\t1\tNODE2\tGROUP\tM\n"
                                 "1\t64\t1\tNODE1\tGROUP\tM\n";
    constexpr ExpectedPage kNeighbour = {2, 8, 2, 0, 2 * 64, 2, 2};
    constexpr ExpectedPage kFull = {1, 64, 1, 1, 64, 1, 1};
    const struct {
        uint32_t offset;
        uint32_t count;
        int32_t result;
    } fixedRows[] = {{31, 1, ZYN_OK}, {32, 1, ZYN_E_RANGE}, {0, 33, ZYN_E_RANGE}, {0, 64, ZYN_E_RANGE}};
    {
        ZynIni ini(kFixedIni);
        ReferenceService service;
        service.start();
        LoadedLibrary library;
        const DataAccessApi api(library);
        expectServicePage(api, "exchange_2@NODE2", kNeighbour);
        for (const auto& row : fixedRows) {
            SCOPED_TRACE("bytes " + std::to_string(row.offset) + "+" + std::to_string(row.count));
            std::vector<uint8_t> expected = sectionSnapshot();
            Write write("exchange_1@NODE1", kFull, row.offset, row.count, 7);
            EXPECT_EQ(api.putExchange(write.request.get(), write.data.data()), row.result);
            if (row.result == ZYN_OK)
                applyWrite(expected, kFull.pageOffset, write.request.access(), write.data.data(), row.count);
            expectSection(sectionSnapshot(), expected);
            EXPECT_EQ(readExchange(api, "exchange_1@NODE1", row.offset, row.count).result, row.result);
        }
        expectServicePage(api, "exchange_2@NODE2", kNeighbour);
    }
    ZynIni ini("MAX_EXCHANGE_SIZE = 64\nMAX_STATIC_EXCHANGES = 4\nMAX_DYNAMIC_EXCHANGES = 2\nEXCH_MAP = 1\n"
               "[EXCHANGE_DEFS]\n1\t64\t1\tNODE1\tGROUP\tM\n2\t8\t1\tNODE2\tGROUP\tM\n");
    ReferenceService service;
    service.start();
    LoadedLibrary library;
    const DataAccessApi api(library);
    const ExpectedPage packed = {1, 64, 1, 0, 6, 0, 0};
    expectServicePage(api, "exchange_1@NODE1", packed);
    Write write("exchange_1@NODE1", packed, 0, 64, 8);
    ASSERT_EQ(api.putExchange(write.request.get(), write.data.data()), ZYN_OK);
    EXPECT_EQ(readExchange(api, "exchange_1@NODE1", 0, 64).data, write.data);
    expectServicePage(api, "exchange_2@NODE2", {2, 8, 2, 1, 6 + 96, 1, 1});
}

// With EXCH_MAP = 1 the producer is part of the address: two exchanges with the id 7 live on two
// pages, and an id that exists only for another producer finds nothing.
TEST_F(DataAccessTest, PackedLayoutTellsProducersOfOneExchangeIdApart) {
    constexpr char kSharedIdIni[] = "MAX_EXCHANGE_SIZE = 200\n"
                                    "MAX_STATIC_EXCHANGES = 16\n"
                                    "MAX_DYNAMIC_EXCHANGES = 8\n"
                                    "EXCH_MAP = 1\n"
                                    "[EXCHANGE_DEFS]\n"
                                    "3\t16\t1\tNODEB\tGROUP\tM,E=7\n"
                                    "5\t24\t1\tNODEA\tGROUP\tM,E=7\n"
                                    "6\t8\t1\tNODEA\tGROUP\tM,E=8\n";
    // Pages packed from S + D = 24 in table order, each 32 + size bytes.
    constexpr ExpectedPage kPages[] = {
        {3, 16, 7, 0, 24, 0, 0},
        {5, 24, 7, 1, 72, 1, 1},
        {6, 8, 8, 2, 128, 2, 2},
    };
    // Producers in names are upper-cased like those in zyn.ini; NODEB has no id 8; there is no NODEC.
    const NamedExchange exchanges[] = {
        {"exchange_7@NODEB", &kPages[0]}, {"exchange_7@NODEA", &kPages[1]}, {"exchange_8@NODEA", &kPages[2]},
        {"exchange_7@nodea", &kPages[1]}, {"exchange_8@NODEB", nullptr},    {"exchange_7@NODEC", nullptr},
    };
    ZynIni ini(kSharedIdIni);
    ReferenceService service;
    service.start();
    LoadedLibrary library;
    const DataAccessApi api(library);

    for (const NamedExchange& exchange : exchanges) {
        if (exchange.page != nullptr) {
            expectServicePage(api, exchange.name, *exchange.page);
        } else {
            SCOPED_TRACE(exchange.name);
            EXPECT_EQ(readExchange(api, exchange.name, 0, 0).result, ZYN_E_NOT_FOUND);
            ExchangeRequest request(exchange.name, 0, 0);
            EXPECT_EQ(api.getExchangePtr(request.get()), nullptr);
        }
    }
    // A write to NODEA's exchange 7 leaves NODEB's alone.
    Write write("exchange_7@NODEA", kPages[1], 0, kPages[1].size, 4);
    ASSERT_EQ(api.putExchange(write.request.get(), write.data.data()), ZYN_OK);
    EXPECT_EQ(readExchange(api, "exchange_7@NODEA", 0, kPages[1].size).data, write.data);
    expectServicePage(api, "exchange_7@NODEB", kPages[0]);
}

// In the fixed layout an exchange is addressed by its id. When the id differs from the exchange
// number, the read, the write and the page address still meet on one page: the id's.
TEST_F(DataAccessTest, ReadWriteAndPageAddressMeetOnThePageOfTheExchangeId) {
    constexpr char kOwnIdIni[] = "MAX_EXCHANGE_SIZE = 200\n"
                                 "MAX_STATIC_EXCHANGES = 16\n"
                                 "MAX_DYNAMIC_EXCHANGES = 8\n"
                                 "EXCH_MAP = 0\n"
                                 "[EXCHANGE_DEFS]\n"
                                 "3\t16\t1\tNODE4\tGROUP\tM,E=7\n";
    constexpr int64_t kIdPage = 7 * 200;
    constexpr ExpectedPage kNumberPage = {3, 16, 7, 0, 3 * 200, 3, 3};
    const std::string name = "exchange_7@NODE4";
    ZynIni ini(kOwnIdIni);
    ReferenceService service;
    service.start();
    LoadedLibrary library;
    const DataAccessApi api(library);

    ExchangeRequest pointerRequest(name, 0, 0);
    auto* page = static_cast<uint8_t*>(api.getExchangePtr(pointerRequest.get()));
    ASSERT_NE(page, nullptr);

    // Written through the library, seen at the page address...
    Write write(name, kNumberPage, 4, 8, 5);
    ASSERT_EQ(api.putExchange(write.request.get(), write.data.data()), ZYN_OK);
    EXPECT_EQ(bytesAt(page + 12, 8), bytesAt(write.request.access().header + 12, 8));
    EXPECT_EQ(bytesAt(page + ZYN_PAGE_HEADER_SIZE + 4, 8), write.data);
    // ...written at the page address, seen by a read.
    page[ZYN_PAGE_HEADER_SIZE + 15] = 0x5A;
    const ReadResult read = readExchange(api, name, 0, 16);
    ASSERT_EQ(read.result, ZYN_OK);
    EXPECT_EQ(bytesAt(read.data.data() + 4, 8), write.data);
    EXPECT_EQ(read.data[15], 0x5A);
    EXPECT_EQ(bytesAt(read.access.header, ZYN_PAGE_HEADER_SIZE), bytesAt(page, ZYN_PAGE_HEADER_SIZE));

    // In the section that is page 7; page 3, where the service put the exchange, is as it was.
    const std::vector<uint8_t> section = sectionSnapshot();
    ASSERT_GE(section.size(), static_cast<size_t>(kIdPage + ZYN_PAGE_HEADER_SIZE + 16));
    EXPECT_EQ(bytesAt(section.data() + kIdPage + ZYN_PAGE_HEADER_SIZE + 4, 8), write.data);
    EXPECT_EQ(section[kIdPage + ZYN_PAGE_HEADER_SIZE + 15], 0x5A);
    EXPECT_EQ(bytesAt(section.data() + kNumberPage.pageOffset, ZYN_PAGE_HEADER_SIZE), patternHeaderOf(kNumberPage));
    EXPECT_EQ(bytesAt(section.data() + kNumberPage.pageOffset + ZYN_PAGE_HEADER_SIZE, 16),
              patternData(kNumberPage.exchangeNumber, 0, 16));
}

// A service whose objects carry the creator's default security, as before it granted clients
// only what they use, serves reads and writes all the same.
TEST_F(DataAccessTest, ServiceWithDefaultSecurityServesReadAndWrite) {
    const ExpectedPage& page = kFixedLayoutPages[0];
    const std::string name = "exchange_1@NODE1";
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--security=default");
    service.start();
    LoadedLibrary library;
    const DataAccessApi api(library);
    expectServicePage(api, name, page);
    Write write(name, page, 0, page.size, 9);
    ASSERT_EQ(api.putExchange(write.request.get(), write.data.data()), ZYN_OK);
    EXPECT_EQ(readExchange(api, name, 0, page.size).data, write.data);
}

// A stopped or uninstalled service is refused before anything is read or written, although the
// library still has the old section mapped.
TEST_F(DataAccessTest, StoppedOrRemovedServiceIsRefusedBeforeAnyDataMoves) {
    const ExpectedPage& page = kFixedLayoutPages[0];
    const std::string name = "exchange_1@NODE1";
    ZynIni ini(kFixedLayoutIni);
    std::optional<ReferenceService> service(std::in_place);
    service->start();
    LoadedLibrary library;
    const DataAccessApi api(library);
    ASSERT_EQ(readExchange(api, name, 0, page.size).result, ZYN_OK);

    const auto expectRefused = [&](int32_t refusal) {
        const std::vector<uint8_t> sectionBefore = sectionSnapshot();
        ASSERT_FALSE(sectionBefore.empty()) << "the library keeps the section open";

        ExchangeRequest read(name, 0, page.size);
        std::memset(read.get()->header, kUntouchedHeader, ZYN_PAGE_HEADER_SIZE);
        read.get()->statusClear = kUntouchedStatus;
        const ExchangeAccess recordBefore = read.access();
        std::vector<uint8_t> buffer(page.size, kUntouched);
        EXPECT_EQ(api.getExchange(read.get(), buffer.data()), refusal);
        EXPECT_EQ(std::memcmp(&read.access(), &recordBefore, sizeof recordBefore), 0) << "record written";
        EXPECT_EQ(buffer, std::vector<uint8_t>(page.size, kUntouched)) << "buffer written";

        Write write(name, page, 0, page.size, 6);
        EXPECT_EQ(api.putExchange(write.request.get(), write.data.data()), refusal);
        EXPECT_EQ(api.getExchangePtr(write.request.get()), nullptr);
        expectSection(sectionSnapshot(), sectionBefore);
    };
    service->stop();
    {
        SCOPED_TRACE("service stopped");
        expectRefused(ZYN_E_NOT_RUNNING);
    }
    service.reset();
    {
        SCOPED_TRACE("service removed");
        expectRefused(ZYN_E_NOT_INSTALLED);
    }
}

// The service sized its section from one zyn.ini; the library is loaded after the file was
// rewritten with larger pages. Where a page, or the part of it a request addresses, lies beyond
// the section, the library finds no page and touches nothing.
TEST_F(DataAccessTest, ConfigurationClaimingMoreThanTheSectionHoldsFindsNoPage) {
    struct Row {
        const char* name;
        uint32_t offset;
        uint32_t count;
        int32_t result;
        bool pageAddress; // whether ZYN_GetExchangePtr gives the page: all of it must lie in the view
    };
    struct Claim {
        const char* label;
        const char* ini;
        std::vector<Row> rows;
    };
    // The service's section (fixed layout, E = 200, S = 16) is 3432 bytes: one 4096-byte view.
    const Claim claims[] = {
        {"pages of 1024 bytes",
         "MAX_EXCHANGE_SIZE = 1024\nMAX_STATIC_EXCHANGES = 16\nMAX_DYNAMIC_EXCHANGES = 8\nEXCH_MAP = 0\n"
         "[EXCHANGE_DEFS]\n"
         "1\t100\t1\tNODE1\tGROUP\tM\n"
         "3\t1024\t1\tNODE3\tGROUP\tM\n"
         "5\t1000\t1\tNODE5\tGROUP\tM\n",
         {
             {"exchange_1@NODE1", 0, 100, ZYN_OK, true},       // 1024 to 1156: inside
             {"exchange_3@NODE3", 0, 992, ZYN_OK, false},      // data up to the view's last byte
             {"exchange_3@NODE3", 0, 993, ZYN_E_RANGE, false}, // beyond it, and beyond the page's room
             {"exchange_3@NODE3", 1000, 24, ZYN_E_RANGE, false},
             {"exchange_5@NODE5", 0, 0, ZYN_E_NOT_FOUND, false}, // the header itself at 5120
         }},
        {"pages of 2^31 - 1 bytes",
         "MAX_EXCHANGE_SIZE = 2147483647\nMAX_STATIC_EXCHANGES = 16\nMAX_DYNAMIC_EXCHANGES = 8\nEXCH_MAP = 0\n"
         "[EXCHANGE_DEFS]\n"
         "1\t100\t1\tNODE1\tGROUP\tM\n"
         "2\t8\t1\tNODE2\tGROUP\tM\n",
         {
             {"exchange_1@NODE1", 0, 100, ZYN_E_NOT_FOUND, false},
             // Page 2 at 2^32 - 2: in 32-bit address arithmetic two bytes before the view.
             {"exchange_2@NODE2", 0, 8, ZYN_E_NOT_FOUND, false},
         }},
    };
    std::optional<ZynIni> ini(std::in_place, kFixedLayoutIni);
    ReferenceService service;
    service.start();
    {
        std::optional<SectionView> section = sectionOnceCreated();
        ASSERT_TRUE(section.has_value());
        ASSERT_EQ(section->size(), 4096u) << "the rows assume a section of one 4096-byte page";
    }
    for (const Claim& claim : claims) {
        SCOPED_TRACE(claim.label);
        ini.reset();
        ini.emplace(claim.ini);
        LoadedLibrary library;
        const DataAccessApi api(library);
        for (const Row& row : claim.rows) {
            SCOPED_TRACE(std::string(row.name) + " bytes " + std::to_string(row.offset) + "+" +
                         std::to_string(row.count));
            EXPECT_EQ(readExchange(api, row.name, row.offset, row.count).result, row.result);
            ExchangeRequest write(row.name, row.offset, row.count);
            const std::vector<uint8_t> zeros(row.count, 0);
            EXPECT_EQ(api.putExchange(write.get(), zeros.data()), row.result);
            EXPECT_EQ(api.getExchangePtr(write.get()) != nullptr, row.pageAddress);
        }
    }
}

} // namespace
