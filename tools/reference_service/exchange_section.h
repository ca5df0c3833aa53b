// exchange_section.h - the shared-memory section "ZYN_MAP_1": created on the paging file, mapped,
// and filled with the page pattern; unmapped and closed when the object goes.
#pragma once

#include <cstdint>
#include <string>

#include "configuration.h"
#include "platform/win32/scoped_win32.h"
#include "section_plan.h"

namespace zyn::reference {

class ExchangeSection {
public:
    ExchangeSection() = default;

    // Creates (or, if a client still holds it from an earlier run, reuses) the section with
    // `bytes` bytes and the given security. Returns 0 or the system error code.
    DWORD create(const std::string& name, uint64_t bytes, SECURITY_ATTRIBUTES* security);

    // Writes the page pattern into every page, and the status byte of every record, that lies
    // within the section. Returns the number of pages written.
    size_t fill(const Configuration& configuration, const SectionPlan& plan);

    bool created() const { return static_cast<bool>(view_); }
    int64_t usableBytes() const { return usableBytes_; }

private:
    win32::KernelHandle mapping_;
    win32::MappedView view_;
    int64_t usableBytes_ = 0;
};

// The largest section the service agrees to create: a header with absurd limits must not take
// the machine's memory.
constexpr uint64_t kMaxSectionBytes = uint64_t{256} << 20;

} // namespace zyn::reference
