// exchange_section.cpp - creating and filling "ZYN_MAP_1".
#include "exchange_section.h"

#include <algorithm>
#include <cstring>

#include "config/page_layout.h"
#include "page_pattern.h"

namespace zyn::reference {

DWORD ExchangeSection::create(const std::string& name, uint64_t bytes, SECURITY_ATTRIBUTES* security) {
    if (bytes == 0 || bytes > kMaxSectionBytes) return ERROR_NOT_ENOUGH_MEMORY;
    mapping_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, static_cast<DWORD>(bytes >> 32),
                                      static_cast<DWORD>(bytes), name.c_str()));
    bool reused = mapping_ && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!mapping_ && GetLastError() == ERROR_ACCESS_DENIED) {
        // Creating an existing section asks for more than a view needs (the standard rights too),
        // which an earlier run's descriptor may deny this account (under Wine it is no LocalSystem).
        mapping_.reset(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str()));
        reused = true;
    }
    if (!mapping_) return GetLastError();
    view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    if (!view_) {
        DWORD error = GetLastError();
        mapping_.reset();
        return error;
    }
    usableBytes_ = static_cast<int64_t>(bytes);
    if (reused) {
        // A section that outlived the last run keeps its old size, which may be smaller: only
        // the pages of the view may be touched.
        MEMORY_BASIC_INFORMATION info{};
        SIZE_T queried = VirtualQuery(view_.get(), &info, sizeof info);
        usableBytes_ = queried == 0 ? 0 : static_cast<int64_t>(info.RegionSize);
        if (usableBytes_ > static_cast<int64_t>(bytes)) usableBytes_ = static_cast<int64_t>(bytes);
        std::memset(view_.get(), 0, static_cast<size_t>(usableBytes_));
    }
    return 0;
}

size_t ExchangeSection::fill(const Configuration& configuration, const SectionPlan& plan) {
    auto* base = static_cast<uint8_t*>(view_.get());
    if (base == nullptr) return 0;
    size_t written = 0;
    for (const PagePlacement& page : plan.pages) {
        const ExchangeDef& record = configuration.records[page.record];
        if (!pageFits(page, record.size, usableBytes_)) continue;
        const auto header =
            patternHeader(record.exchangeNumber, record.size, record.exchangeId, static_cast<int32_t>(page.record));
        uint8_t* at = base + page.pageOffset;
        std::memcpy(at, header.data(), header.size());
        // Data past the page's room would overwrite the next page's header.
        const uint32_t filled = static_cast<uint32_t>(std::clamp<int64_t>(plan.pageRoom, 0, record.size));
        for (uint32_t k = 0; k < filled; ++k)
            at[config::kPageHeaderSize + k] = patternDataByte(record.exchangeNumber, k);
        base[page.statusOffset] = patternStatusByte(record.exchangeNumber);
        ++written;
    }
    return written;
}

} // namespace zyn::reference
