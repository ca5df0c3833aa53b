// section_plan.cpp - the two page layouts, computed with the library's own layout rules.
#include "section_plan.h"

#include "config/page_layout.h"

namespace zyn::reference {

namespace {

SectionPlan planFixed(const Configuration& configuration) {
    const config::ServiceParams& params = configuration.params;
    SectionPlan plan;
    // Every page is E bytes apart whatever its record's size, and the last page's data may be E
    // bytes long after its 32-byte header.
    plan.requiredBytes = (int64_t{params.maxStaticExchanges} + 1) * params.maxExchangeSize + config::kPageHeaderSize;
    plan.pageRoom = config::fixedPageRoom(params.maxExchangeSize);
    for (size_t i = 0; i < configuration.records.size(); ++i) {
        const ExchangeDef& record = configuration.records[i];
        plan.pages.push_back({i, config::fixedPageOffset(record.exchangeNumber, params.maxExchangeSize),
                              config::fixedStatusOffset(record.exchangeNumber), record.exchangeNumber});
    }
    return plan;
}

SectionPlan planPacked(const Configuration& configuration) {
    const config::ServiceParams& params = configuration.params;
    SectionPlan plan;
    plan.pageRoom = config::kPackedPageRoom;
    int64_t offset = config::packedFirstPageOffset(params.maxStaticExchanges, params.maxDynamicExchanges);
    for (size_t i = 0; i < configuration.records.size(); ++i) {
        const int32_t position = static_cast<int32_t>(i);
        plan.pages.push_back({i, offset, position, position});
        offset += config::packedPageLength(configuration.records[i].size);
    }
    plan.requiredBytes = offset;
    return plan;
}

} // namespace

SectionPlan planSection(const Configuration& configuration) {
    return config::layoutFor(configuration.params.exchMap) == config::PageLayout::Fixed ? planFixed(configuration)
                                                                                        : planPacked(configuration);
}

bool pageFits(const PagePlacement& page, uint32_t size, int64_t sectionBytes) {
    const int64_t pageEnd = page.pageOffset + config::kPageHeaderSize + size;
    return page.pageOffset >= 0 && pageEnd <= sectionBytes && page.statusOffset >= 0 &&
           page.statusOffset < sectionBytes;
}

} // namespace zyn::reference
