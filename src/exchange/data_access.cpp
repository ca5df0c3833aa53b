// data_access.cpp - ZYN_GetExchange, ZYN_PutExchange and ZYN_GetExchangePtr. The data path
// allocates nothing and copies the data once, between the caller's buffer and the page.
//
// No thread waits for an exchange mutex while it holds the state lock: under the lock the data
// path only tries the mutex, with a wait of no time. When another holds it, the call lets the
// state lock go, waits for the mutex through a handle of its own (a rebuild meanwhile closes the
// table's), gives it back at once, takes the state lock again and starts over from the checks.
// So a mutex held elsewhere holds up only the calls that need it, no thread ever holds an
// exchange mutex while it waits for the state lock (the lock order stays: state lock, then
// exchange mutex), and every copy is made under both, on the tables as they are then.
#include "exchange/data_access.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "config/page_layout.h"
#include "config/queries.h"
#include "config/text.h"
#include "core/library_state.h"
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

// The caller's record as the call reads it: each field once, before the first try of a mutex,
// so that a caller thread that changes the record meanwhile cannot steer the copy away from what
// was checked. The count behind lengthPtr is read once too, when the checks first need it.
class Request {
public:
    explicit Request(const ExchangeAccess& access) : offset_(access.offset), lengthPtr_(access.lengthPtr) {
        std::memcpy(name_, access.exchangeName, sizeof name_);
        std::memcpy(writerWords_, access.header + kPutHeaderFirst, sizeof writerWords_);
    }

    // The name within the record's 100 bytes: a name without its terminator there names nothing.
    std::string_view name() const {
        const size_t length = config::boundedLength(name_, sizeof name_);
        return length == sizeof name_ ? std::string_view{} : std::string_view(name_, length);
    }
    uint32_t offset() const { return offset_; }
    bool hasCount() const { return lengthPtr_ != nullptr; }
    uint32_t count() {
        if (!count_) count_ = *lengthPtr_;
        return *count_;
    }
    // Page header bytes 12 to 19 as the writer gives them.
    const uint8_t* writerWords() const { return writerWords_; }

private:
    char name_[sizeof ExchangeAccess::exchangeName];
    uint32_t offset_;
    const uint32_t* lengthPtr_;
    std::optional<uint32_t> count_;
    uint8_t writerWords_[2 * kPutHeaderWord];
};

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

// The checks that ZYN_GetExchange and ZYN_PutExchange share after the status tests, in their
// order; ZYN_OK when the byte range [offset, offset + count) of an attached page may be copied.
int32_t checkAccess(const core::LibraryState& state, Request& request, const void* buffer, Page& page,
                    uint32_t& count) {
    ExchangeDef record;
    const int64_t position = config::lookupExchange(state, request.name(), record);
    if (position < 0) return ZYN_E_NOT_FOUND;
    // The count and the buffer are the caller's promise; missing ones are refused, not followed.
    if (!request.hasCount()) return ZYN_E_PARAMETER;
    count = request.count();
    if (buffer == nullptr && count != 0) return ZYN_E_PARAMETER;
    if (request.offset() > record.size) return ZYN_E_RANGE;
    const uint64_t dataEnd = uint64_t{request.offset()} + count; // no 32-bit wrap
    if (dataEnd > record.size) return ZYN_E_RANGE;
    // A fixed-layout page holds E - 32 data bytes whatever the definition's size: the bytes past
    // that room are the next page's header, as far outside this exchange as those past its size.
    if (static_cast<int64_t>(dataEnd) > state.pageTable.pageRoom()) return ZYN_E_RANGE;
    if (state.view.address() == nullptr) return ZYN_E_NOT_FOUND;
    if (!findPage(state, record, position, dataEnd, page)) return ZYN_E_NOT_FOUND;
    return ZYN_OK;
}

// Waits, holding no state lock, until `mutex`, which another holds, is free; gives it back at
// once. False when the wait failed.
bool waitUntilFree(platform::Handle mutex, core::SharedStateLock& held) {
    platform::KernelHandle own(platform::duplicateHandle(mutex));
    if (!own) return false;
    held.unlock();
    const bool acquired = platform::mutexAcquired(platform::waitForMutex(own.get()));
    if (acquired) platform::releaseMutex(own.get());
    held.lock();
    return acquired;
}

// Runs `copy` on the requested page under its mutex, after the checks have passed on the tables
// as they are while the mutex is held; a page without a mutex is copied unlocked.
template <typename Copy>
int32_t copyUnderPageMutex(const core::LibraryState& state, core::SharedStateLock& held, Request& request,
                           const void* buffer, Copy copy) {
    for (;;) {
        Page page;
        uint32_t count = 0;
        if (int32_t refused = checkAccess(state, request, buffer, page, count); refused != ZYN_OK) return refused;
        if (page.mutex == nullptr) {
            copy(page, count);
            return ZYN_OK;
        }
        const uint32_t tried = platform::waitForObject(page.mutex, 0);
        if (platform::mutexAcquired(tried)) {
            copy(page, count);
            platform::releaseMutex(page.mutex);
            return ZYN_OK;
        }
        if (tried != platform::kWaitTimeout || !waitUntilFree(page.mutex, held)) return ZYN_E_FAILED;
    }
}

} // namespace

int32_t readExchangeData(const core::LibraryState& state, core::SharedStateLock& held, ExchangeAccess& access,
                         void* destination) {
    Request request(access);
    return copyUnderPageMutex(state, held, request, destination, [&](const Page& page, uint32_t count) {
        access.statusClear = *page.status == 0 ? 1 : 0;
        std::memcpy(access.header, page.header, sizeof access.header);
        if (count != 0) std::memcpy(destination, page.header + config::kPageHeaderSize + request.offset(), count);
    });
}

// The write holds the page's mutex as the read does, so no reader sees a half-written page.
int32_t writeExchangeData(const core::LibraryState& state, core::SharedStateLock& held, const ExchangeAccess& access,
                          const void* source) {
    Request request(access);
    return copyUnderPageMutex(state, held, request, source, [&](const Page& page, uint32_t count) {
        std::memcpy(page.header + kPutHeaderFirst, request.writerWords(), kPutHeaderWord);
        std::memcpy(page.header + kPutHeaderFirst + kPutHeaderWord, request.writerWords() + kPutHeaderWord,
                    kPutHeaderWord);
        if (count != 0) std::memcpy(page.header + config::kPageHeaderSize + request.offset(), source, count);
    });
}

void* exchangePageAddress(const core::LibraryState& state, const ExchangeAccess& access) {
    const Request request(access);
    ExchangeDef record;
    const int64_t position = config::lookupExchange(state, request.name(), record);
    if (position < 0 || state.view.address() == nullptr) return nullptr;
    // The same page that the reads and writes use, and only when all of it lies in the view.
    Page page;
    return findPage(state, record, position, record.size, page) ? page.header : nullptr;
}

} // namespace zyn::exchange
