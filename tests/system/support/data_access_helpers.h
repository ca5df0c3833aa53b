// data_access_helpers.h - exchange data read and written through the loaded TRVZYN32.dll as an
// application does it, and the checks that a page holds what the reference service put there.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "page_pattern.h"
#include "support/loaded_library.h"
#include "support/shared_objects.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace zyn::test {

// "exchange_<id>@<producer>", the name by which an application addresses one exchange.
inline std::string exchangeName(int32_t id, const char* producer) {
    char name[ZYN_EXCHANGE_NAME_SIZE];
    std::snprintf(name, sizeof name, "exchange_%d@%s", static_cast<int>(id), producer);
    return name;
}

// One ExchangeAccess record as an application fills it. The count lives in the object, which the
// record points to, so the object stays where it was made.
class ExchangeRequest {
public:
    ExchangeRequest(const std::string& name, uint32_t offset, uint32_t count) : count_(count) {
        std::snprintf(access_.exchangeName, sizeof access_.exchangeName, "%s", name.c_str());
        access_.offset = offset;
        access_.lengthPtr = &count_;
    }
    ExchangeRequest(const ExchangeRequest&) = delete;
    ExchangeRequest& operator=(const ExchangeRequest&) = delete;

    ExchangeAccess* get() { return &access_; }
    const ExchangeAccess& access() const { return access_; }
    uint32_t count() const { return count_; }

private:
    uint32_t count_;
    ExchangeAccess access_{};
};

// The data operations of a loaded library.
struct DataAccessApi {
    explicit DataAccessApi(const LoadedLibrary& library)
        : getExchange(ZYN_EXPORT(library, ZYN_GetExchange)), putExchange(ZYN_EXPORT(library, ZYN_PutExchange)),
          getExchangePtr(ZYN_EXPORT(library, ZYN_GetExchangePtr)), getExchanges(ZYN_EXPORT(library, ZYN_GetExchanges)),
          putExchanges(ZYN_EXPORT(library, ZYN_PutExchanges)) {}

    decltype(&ZYN_GetExchange) getExchange;
    decltype(&ZYN_PutExchange) putExchange;
    decltype(&ZYN_GetExchangePtr) getExchangePtr;
    decltype(&ZYN_GetExchanges) getExchanges;
    decltype(&ZYN_PutExchanges) putExchanges;
};

// What one ZYN_GetExchange gave: its result and the bytes it left in a buffer of `count` bytes.
struct ReadResult {
    int32_t result = 0;
    std::vector<uint8_t> data;
    ExchangeAccess access{};
};

inline ReadResult readExchange(const DataAccessApi& api, const std::string& name, uint32_t offset, uint32_t count) {
    ExchangeRequest request(name, offset, count);
    ReadResult read;
    read.data.assign(count, 0);
    read.result = api.getExchange(request.get(), read.data.data());
    read.access = request.access();
    return read;
}

// Data bytes [offset, offset + count) of a page as the reference service fills it.
inline std::vector<uint8_t> patternData(int32_t exchangeNumber, uint32_t offset, uint32_t count) {
    std::vector<uint8_t> bytes(count);
    for (uint32_t k = 0; k < count; ++k)
        bytes[k] = reference::patternDataByte(exchangeNumber, offset + k);
    return bytes;
}

inline std::vector<uint8_t> patternHeaderOf(const ExpectedPage& page) {
    const auto header = reference::patternHeader(page.exchangeNumber, page.size, page.exchangeId, page.tablePosition);
    return {header.begin(), header.end()};
}

inline std::vector<uint8_t> bytesAt(const void* address, size_t count) {
    const auto* begin = static_cast<const uint8_t*>(address);
    return {begin, begin + count};
}

// Waits up to ten seconds until the service has created its section and filled `page` there: a
// service reports RUNNING a moment before. True when it has.
inline bool waitForServicePage(const ExpectedPage& page) {
    const auto expected = patternHeaderOf(page);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (auto view = SectionView::open("ZYN_MAP_1")) {
            const auto end = static_cast<size_t>(page.pageOffset) + ZYN_PAGE_HEADER_SIZE + page.size;
            if (view->size() >= end && bytesAt(view->data() + page.pageOffset, ZYN_PAGE_HEADER_SIZE) == expected &&
                bytesAt(view->data() + page.pageOffset + ZYN_PAGE_HEADER_SIZE, page.size) ==
                    patternData(page.exchangeNumber, 0, page.size)) {
                return true;
            }
        }
        Sleep(10);
    }
    return false;
}

// The whole exchange `name` reads as the service's page `page`: its header, its data and its
// status; and ZYN_GetExchangePtr hands out that same page.
inline void expectServicePage(const DataAccessApi& api, const std::string& name, const ExpectedPage& page) {
    SCOPED_TRACE(name);
    const ReadResult read = readExchange(api, name, 0, page.size);
    ASSERT_EQ(read.result, ZYN_OK);
    EXPECT_EQ(bytesAt(read.access.header, sizeof read.access.header), patternHeaderOf(page)) << "page header";
    EXPECT_EQ(read.access.statusClear, reference::patternStatusByte(page.exchangeNumber) == 0 ? 1u : 0u)
        << "status of exchange number " << page.exchangeNumber;
    EXPECT_EQ(read.data, patternData(page.exchangeNumber, 0, page.size)) << "data";

    ExchangeRequest request(name, 0, 0);
    const void* pointer = api.getExchangePtr(request.get());
    ASSERT_NE(pointer, nullptr) << "no page address";
    EXPECT_EQ(bytesAt(pointer, ZYN_PAGE_HEADER_SIZE), patternHeaderOf(page)) << "header at the page address";
    EXPECT_EQ(bytesAt(static_cast<const uint8_t*>(pointer) + ZYN_PAGE_HEADER_SIZE, page.size), read.data)
        << "data at the page address";
}

} // namespace zyn::test
