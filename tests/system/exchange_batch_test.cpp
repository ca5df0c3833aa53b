// exchange_batch_test.cpp - an application that polls a hundred exchanges of the running
// reference service with one ZYN_GetExchanges call, and writes them with one ZYN_PutExchanges:
// every entry is carried out as the single call would carry it out, failures in the middle
// included, and a mutex another process holds delays the batch until it is given back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

constexpr uint8_t kUntouched = 0xCD;
constexpr uint8_t kUntouchedHeader = 0xAB;
constexpr uint32_t kUntouchedStatus = 7;

// Fixed layout, E = 128, S = 128: exchange n (1 to 100) of 16 + n % 64 bytes on page n, which
// its data never leaves. Exchange number 101 carries the id 200, beyond S: it has no page.
constexpr int kExchanges = 100;
constexpr int32_t kPageBytes = 128;

std::string hundredExchangesIni() {
    std::string ini = "MAX_EXCHANGE_SIZE = 128\nMAX_STATIC_EXCHANGES = 128\nMAX_DYNAMIC_EXCHANGES = 8\n"
                      "EXCH_MAP = 0\n[EXCHANGE_DEFS]\n";
    char line[64];
    for (int n = 1; n <= kExchanges; ++n) {
        std::snprintf(line, sizeof line, "%d\t%d\t1\tNODE%d\tGROUP\tM\n", n, 16 + n % 64, n % 5);
        ini += line;
    }
    return ini + "101\t16\t1\tNODEX\tGROUP\tM,E=200\n";
}

std::string nameOf(int32_t n) { return exchangeName(n, ("NODE" + std::to_string(n % 5)).c_str()); }

ExpectedPage pageOf(int32_t n) { return {n, static_cast<uint32_t>(16 + n % 64), n, n - 1, n * kPageBytes, n, n}; }

// One entry of a batch: its record, its count and a buffer of the count's size, all filled with
// bytes that nobody may write unless the entry succeeds.
struct Entry {
    Entry(const std::string& name, uint32_t offset, uint32_t count, int32_t expected, int32_t exchangeNumber = 0)
        : request(name, offset, count), buffer(count, kUntouched), expected(expected), exchangeNumber(exchangeNumber) {
        std::memset(request.get()->header, kUntouchedHeader, ZYN_PAGE_HEADER_SIZE);
        request.get()->statusClear = kUntouchedStatus;
    }
    ExchangeRequest request;
    std::vector<uint8_t> buffer;
    int32_t expected;
    int32_t exchangeNumber; // of an entry that succeeds
};

// The whole data of every exchange, in table order, with entries that fail for different reasons
// in between: unknown name, byte range, no page.
std::vector<std::unique_ptr<Entry>> everyExchangeAndThreeFailures() {
    std::vector<std::unique_ptr<Entry>> entries;
    for (int32_t n = 1; n <= kExchanges; ++n) {
        if (n == 25) entries.push_back(std::make_unique<Entry>("exchange_150@NODE1", 0, 1, ZYN_E_NOT_FOUND));
        if (n == 50) entries.push_back(std::make_unique<Entry>(nameOf(7), 60, 1, ZYN_E_RANGE));
        if (n == 75) entries.push_back(std::make_unique<Entry>("exchange_200@NODEX", 0, 1, ZYN_E_NOT_FOUND));
        entries.push_back(std::make_unique<Entry>(nameOf(n), 0, pageOf(n).size, ZYN_OK, n));
    }
    return entries;
}

std::vector<ExchangeTransfer> transfersOf(const std::vector<std::unique_ptr<Entry>>& entries) {
    std::vector<ExchangeTransfer> transfers;
    for (const auto& entry : entries)
        transfers.push_back({entry->request.get(), entry->buffer.data(), 0x7777});
    return transfers;
}

// Each entry holds its result, and exactly the service's page when it succeeded; a failed entry
// left its record and buffer alone.
void expectEntries(const std::vector<std::unique_ptr<Entry>>& entries, const std::vector<ExchangeTransfer>& transfers) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = *entries[i];
        SCOPED_TRACE(::testing::Message() << "entry " << i << " " << entry.request.access().exchangeName);
        ASSERT_EQ(transfers[i].result, entry.expected);
        const ExchangeAccess& access = entry.request.access();
        if (entry.expected == ZYN_OK) {
            const ExpectedPage page = pageOf(entry.exchangeNumber);
            EXPECT_EQ(entry.buffer, patternData(page.exchangeNumber, 0, page.size));
            EXPECT_EQ(bytesAt(access.header, ZYN_PAGE_HEADER_SIZE), patternHeaderOf(page));
            EXPECT_EQ(access.statusClear, zyn::reference::patternStatusByte(page.exchangeNumber) == 0 ? 1u : 0u);
        } else {
            EXPECT_EQ(entry.buffer, std::vector<uint8_t>(entry.buffer.size(), kUntouched));
            EXPECT_EQ(bytesAt(access.header, ZYN_PAGE_HEADER_SIZE),
                      std::vector<uint8_t>(ZYN_PAGE_HEADER_SIZE, kUntouchedHeader));
            EXPECT_EQ(access.statusClear, kUntouchedStatus);
        }
    }
}

class ExchangeBatchTest : public CleanMachineTest {
protected:
    void SetUp() override {
        CleanMachineTest::SetUp();
        ini_.emplace(hundredExchangesIni());
        service_.emplace();
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

private:
    std::optional<ZynIni> ini_;
    std::optional<ReferenceService> service_;
    std::optional<LoadedLibrary> library_;
    std::optional<DataAccessApi> api_;
};

TEST_F(ExchangeBatchTest, ReadsAHundredExchangesInOneCallPastEntriesThatFail) {
    const auto entries = everyExchangeAndThreeFailures();
    std::vector<ExchangeTransfer> transfers = transfersOf(entries);
    ASSERT_EQ(transfers.size(), static_cast<size_t>(kExchanges + 3));
    EXPECT_EQ(api().getExchanges(transfers.data(), static_cast<uint32_t>(transfers.size())), ZYN_E_NOT_FOUND)
        << "the first failure: the unknown name";
    expectEntries(entries, transfers);
}

TEST_F(ExchangeBatchTest, PutBatchIsReadBackBySingleGets) {
    // From data byte 2 to the end of every exchange: the inverse of the service's pattern, and
    // header words that tell the exchanges apart.
    std::vector<std::unique_ptr<Entry>> entries;
    for (int32_t n = 1; n <= kExchanges; ++n) {
        const ExpectedPage page = pageOf(n);
        auto entry = std::make_unique<Entry>(nameOf(n), 2, page.size - 2, ZYN_OK, n);
        entry->buffer = patternData(n, 2, page.size - 2);
        for (uint8_t& byte : entry->buffer)
            byte = static_cast<uint8_t>(~byte);
        const uint32_t words[2] = {0xC0DE0000u + static_cast<uint32_t>(n), 0x5EED0000u + static_cast<uint32_t>(n)};
        std::memcpy(entry->request.get()->header + 12, words, sizeof words);
        entries.push_back(std::move(entry));
    }
    std::vector<ExchangeTransfer> transfers = transfersOf(entries);
    ASSERT_EQ(api().putExchanges(transfers.data(), static_cast<uint32_t>(transfers.size())), ZYN_OK);

    for (const auto& entry : entries) {
        const ExpectedPage page = pageOf(entry->exchangeNumber);
        SCOPED_TRACE(entry->request.access().exchangeName);
        const ReadResult read = readExchange(api(), entry->request.access().exchangeName, 0, page.size);
        ASSERT_EQ(read.result, ZYN_OK);
        EXPECT_EQ(bytesAt(read.data.data(), 2), patternData(page.exchangeNumber, 0, 2)) << "bytes before the offset";
        EXPECT_EQ(bytesAt(read.data.data() + 2, page.size - 2), entry->buffer);
        std::vector<uint8_t> header = patternHeaderOf(page);
        std::memcpy(header.data() + 12, entry->request.access().header + 12, 8);
        EXPECT_EQ(bytesAt(read.access.header, ZYN_PAGE_HEADER_SIZE), header);
    }
}

// Another process holds the mutex of exchange 50 for a second: the batch waits for it there, and
// then completes every entry.
TEST_F(ExchangeBatchTest, BatchWaitsForAMutexHeldByAnotherProcess) {
    constexpr int kHoldMs = 1000;
    PeerProcess holder("hold-mutex " + exchangeMutexName(50) + " " + std::to_string(kHoldMs));
    ASSERT_EQ(holder.readLine(), zyn::peer::kHeldLine);

    const auto entries = everyExchangeAndThreeFailures();
    std::vector<ExchangeTransfer> transfers = transfersOf(entries);
    const auto start = Clock::now();
    EXPECT_EQ(api().getExchanges(transfers.data(), static_cast<uint32_t>(transfers.size())), ZYN_E_NOT_FOUND);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::printf("the batch waited %lld ms for %s\n", static_cast<long long>(waited), exchangeMutexName(50).c_str());
    EXPECT_GE(waited, kHoldMs - 300) << "the batch did not wait for the held mutex";
    EXPECT_LT(waited, 10000);
    EXPECT_EQ(holder.wait(), static_cast<DWORD>(zyn::peer::kPeerOk));
    expectEntries(entries, transfers);
}

} // namespace
