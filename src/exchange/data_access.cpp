// data_access.cpp - ZYN_GetExchange, ZYN_PutExchange and ZYN_GetExchangePtr. The data path
// allocates nothing and copies the data once, between the caller's buffer and the page.
#include "exchange/data_access.h"

#include <cstring>
#include <string_view>

#include "config/page_layout.h"
#include "config/queries.h"
#include "config/text.h"
#include "core/library_state.h"
#include "core/service_status.h"
#include "exchange/find_page.h"
#include "platform/mutex_wait.h"

namespace zyn::exchange {

namespace {

constexpr size_t kPutHeaderFirst = 12; // page header bytes 12 to 19 are the writer's two words
constexpr size_t kPutHeaderWord = 4;

struct Page {
    uint8_t* header = nullptr; // 32 bytes, then the data
    uint8_t* status = nullptr;
    platform::Handle mutex = nullptr;
};

// The name within the record's 100 bytes: a name without its terminator there names nothing.
std::string_view nameOf(const ExchangeAccess& access) {
    size_t length = config::boundedLength(access.exchangeName, sizeof access.exchangeName);
    return length == sizeof access.exchangeName ? std::string_view{} : std::string_view(access.exchangeName, length);
}

// The page of `record` when its header and its first `dataEnd` data bytes, and its status byte,
// lie wholly inside the mapped view: a zyn.ini that disagrees with the service's section must
// never lead outside the mapping.
bool findPage(const core::LibraryState& state, const ExchangeDef& record, int64_t position, uint64_t dataEnd,
              Page& page) {
    const int64_t index = FindPageIndex(state, record, position);
    const config::PageEntry* entry = state.pageTable.find(index);
    if (entry == nullptr) return false;
    const int64_t viewSize = static_cast<int64_t>(state.view.size());
    if (entry->pageOffset < 0 || entry->statusOffset < 0 || entry->statusOffset >= viewSize) return false;
    if (entry->pageOffset > viewSize - config::kPageHeaderSize - static_cast<int64_t>(dataEnd)) return false;
    page.header = state.view.address() + entry->pageOffset;
    page.status = state.view.address() + entry->statusOffset;
    page.mutex = entry->mutex.get();
    return true;
}

// The checks that ZYN_GetExchange and ZYN_PutExchange share after the status test, in their
// order; ZYN_OK when the byte range [offset, offset + count) of an attached page may be copied.
int32_t checkAccess(core::LibraryState& state, const ExchangeAccess* access, const void* buffer, Page& page,
                    uint32_t& count) {
    if (access == nullptr) return ZYN_E_NOT_FOUND;
    ExchangeDef record;
    const int64_t position = config::lookupExchange(state, nameOf(*access), record);
    if (position < 0) return ZYN_E_NOT_FOUND;
    // The count and the buffer are the caller's promise; missing ones are refused, not followed.
    if (access->lengthPtr == nullptr) return ZYN_E_PARAMETER;
    count = *access->lengthPtr;
    if (buffer == nullptr && count != 0) return ZYN_E_PARAMETER;
    if (access->offset > record.size) return ZYN_E_RANGE;
    const uint64_t dataEnd = uint64_t{access->offset} + count; // no 32-bit wrap
    if (dataEnd > record.size) return ZYN_E_RANGE;
    if (state.view.address() == nullptr) return ZYN_E_NOT_FOUND;
    if (!findPage(state, record, position, dataEnd, page)) return ZYN_E_NOT_FOUND;
    return ZYN_OK;
}

// Holds a page's mutex for its lifetime; a page without a mutex is used unlocked.
class PageLock {
public:
    explicit PageLock(platform::Handle mutex)
        : mutex_(mutex), acquired_(mutex == nullptr || platform::mutexAcquired(platform::waitForMutex(mutex))) {}
    PageLock(const PageLock&) = delete;
    PageLock& operator=(const PageLock&) = delete;
    ~PageLock() {
        if (mutex_ != nullptr && acquired_) platform::releaseMutex(mutex_);
    }
    bool acquired() const { return acquired_; }

private:
    platform::Handle mutex_;
    bool acquired_;
};

} // namespace

int32_t getExchange(core::LibraryState& state, ExchangeAccess* access, void* destination) {
    if (access == nullptr) return ZYN_E_NOT_FOUND;
    if (int32_t refused = core::checkServiceRunning(state); refused != ZYN_OK) return refused;
    return readExchangeData(state, access, destination);
}

int32_t putExchange(core::LibraryState& state, ExchangeAccess* access, const void* source) {
    if (access == nullptr) return ZYN_E_NOT_FOUND;
    if (int32_t refused = core::checkServiceRunning(state); refused != ZYN_OK) return refused;
    return writeExchangeData(state, access, source);
}

int32_t readExchangeData(core::LibraryState& state, ExchangeAccess* access, void* destination) {
    Page page;
    uint32_t count = 0;
    if (int32_t result = checkAccess(state, access, destination, page, count); result != ZYN_OK) return result;
    PageLock lock(page.mutex);
    if (!lock.acquired()) return ZYN_E_FAILED;
    access->statusClear = *page.status == 0 ? 1 : 0;
    std::memcpy(access->header, page.header, sizeof access->header);
    if (count != 0) std::memcpy(destination, page.header + config::kPageHeaderSize + access->offset, count);
    return ZYN_OK;
}

int32_t writeExchangeData(core::LibraryState& state, ExchangeAccess* access, const void* source) {
    Page page;
    uint32_t count = 0;
    if (int32_t result = checkAccess(state, access, source, page, count); result != ZYN_OK) return result;
    // The write holds the page's mutex as the read does, so no reader sees a half-written page.
    PageLock lock(page.mutex);
    if (!lock.acquired()) return ZYN_E_FAILED;
    std::memcpy(page.header + kPutHeaderFirst, access->header + kPutHeaderFirst, kPutHeaderWord);
    std::memcpy(page.header + kPutHeaderFirst + kPutHeaderWord, access->header + kPutHeaderFirst + kPutHeaderWord,
                kPutHeaderWord);
    if (count != 0) std::memcpy(page.header + config::kPageHeaderSize + access->offset, source, count);
    return ZYN_OK;
}

void* getExchangePtr(core::LibraryState& state, ExchangeAccess* access) {
    if (access == nullptr || core::checkServiceRunning(state) != ZYN_OK) return nullptr;
    ExchangeDef record;
    const int64_t position = config::lookupExchange(state, nameOf(*access), record);
    if (position < 0 || state.view.address() == nullptr) return nullptr;
    // The same page that the reads and writes use, and only when all of it lies in the view.
    Page page;
    return findPage(state, record, position, record.size, page) ? page.header : nullptr;
}

} // namespace zyn::exchange
