// section_plan.h - where every record's page and status byte lie in "ZYN_MAP_1", which mutex
// guards it, and how large the section must be for all of it to fit.
#pragma once

#include <cstdint>
#include <vector>

#include "configuration.h"

namespace zyn::reference {

struct PagePlacement {
    size_t record = 0;      // index into Configuration::records, i.e. the table position
    int64_t pageOffset = 0; // the 32-byte page header; the data follows it
    int64_t statusOffset = 0;
    int32_t mutexNumber = 0; // the number in "ZYN_MAP_1-%05d"
};

struct SectionPlan {
    std::vector<PagePlacement> pages; // in table order
    // Bytes the layout needs: fixed, (S + 1) x E + 32, so that page S's header and E data bytes
    // fit; packed, S + D + the sum of (32 + size). Not positive when the header's values make no
    // usable layout (negative limits).
    int64_t requiredBytes = 0;
    // Data bytes a page holds: E - 32 in the fixed layout, where the next page's header follows;
    // in the packed layout each page is as long as its record.
    int64_t pageRoom = 0;
};

SectionPlan planSection(const Configuration& configuration);

// True when the page's header and data, and its status byte, all lie within `sectionBytes`.
bool pageFits(const PagePlacement& page, uint32_t size, int64_t sectionBytes);

} // namespace zyn::reference
