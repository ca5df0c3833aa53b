// reference_service_query_test.cpp - the reference service answers the exchange-list query on
// UDP port 21586 as the library expects, and in each fault mode its --reply switch selects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "query_protocol.h"
#include "support/clean_machine.h"
#include "support/udp_query.h"
#include "test_configurations.h"

namespace {

using namespace zyn::test;
namespace ref = zyn::reference;

constexpr uint32_t kReplyTimeoutMs = 2000;
constexpr size_t kRecords = std::size(kFixedLayoutPages);
constexpr size_t kNormalReplyBytes = 12 + kRecords * 16;

int32_t word(const std::vector<uint8_t>& reply, size_t at) {
    int32_t value = 0;
    std::memcpy(&value, reply.data() + at, sizeof value);
    return value;
}

void expectEntries(const std::vector<uint8_t>& reply) {
    ASSERT_GE(reply.size(), kNormalReplyBytes);
    for (size_t i = 0; i < kRecords; ++i) {
        const ExpectedPage& page = kFixedLayoutPages[i];
        const size_t at = 12 + i * 16;
        EXPECT_EQ(word(reply, at), page.exchangeNumber) << "entry " << i;
        EXPECT_EQ(word(reply, at + 4), page.exchangeId) << "entry " << i;
        EXPECT_EQ(static_cast<uint32_t>(word(reply, at + 8)), page.size) << "entry " << i;
    }
    // Flags: bit 0 on every record, bit 1 from the T option of the third line.
    EXPECT_EQ(word(reply, 12 + 12), 1);
    EXPECT_EQ(word(reply, 12 + 16 + 12), 1);
    EXPECT_EQ(word(reply, 12 + 32 + 12), 3);
}

bool startsWithHead(const std::vector<uint8_t>& reply, size_t length) {
    static const uint8_t kHead[] = {7, 1, 0, 0, 1, 0, 0, 0};
    return reply.size() >= length && std::equal(kHead, kHead + length, reply.begin());
}

using ServiceQueryTest = CleanMachineTest;

TEST_F(ServiceQueryTest, NormalReplyListsEveryRecord) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    auto reply = queryServiceOverUdp(kReplyTimeoutMs);
    ASSERT_TRUE(reply.has_value()) << "no reply";
    EXPECT_EQ(reply->size(), kNormalReplyBytes);
    EXPECT_TRUE(startsWithHead(*reply, 8));
    EXPECT_EQ(word(*reply, 8), static_cast<int32_t>(kRecords));
    expectEntries(*reply);
    // Every request gets its own answer.
    auto second = queryServiceOverUdp(kReplyTimeoutMs);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(*second, *reply);
}

TEST_F(ServiceQueryTest, StoppedServiceNoLongerAnswers) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service;
    service.start();
    ASSERT_TRUE(queryServiceOverUdp(kReplyTimeoutMs).has_value());
    service.stop();
    EXPECT_FALSE(queryServiceOverUdp(300).has_value());
}

struct ReplyCase {
    const char* name;
    const char* switches;
    size_t bytes;
    int32_t count; // the count field, where the reply has one
};

class ServiceReplyModeTest : public CleanMachineTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ServiceReplyModeTest, ReplyHasTheShapeTheSwitchSelects) {
    const ReplyCase& reply_case = GetParam();
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service(reply_case.switches);
    service.start();
    auto reply = queryServiceOverUdp(kReplyTimeoutMs);
    ASSERT_TRUE(reply.has_value()) << "no reply";
    EXPECT_EQ(reply->size(), reply_case.bytes);
    EXPECT_TRUE(startsWithHead(*reply, std::min<size_t>(reply->size(), 8)));
    if (reply->size() >= 12) {
        EXPECT_EQ(word(*reply, 8), reply_case.count);
    }
    if (reply->size() >= kNormalReplyBytes) expectEntries(*reply);
}

const ReplyCase kReplyCases[] = {
    {"Empty", "--reply=empty", 0, 0},
    {"Short", "--reply=short", 6, 0},
    {"CountOnly", "--reply=count-only", 12, static_cast<int32_t>(kRecords)},
    {"Oversize", "--reply=oversize", ref::kOversizeReplyBytes, static_cast<int32_t>(kRecords)},
    {"NegativeCount", "--reply=count=-1", kNormalReplyBytes, -1},
    {"CountBeyondTheBuffer", "--reply=count=88", kNormalReplyBytes, 88},
};
INSTANTIATE_TEST_SUITE_P(Modes, ServiceReplyModeTest, ::testing::ValuesIn(kReplyCases),
                         [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

TEST_F(ServiceQueryTest, SilentServiceSendsNothing) {
    ZynIni ini(kFixedLayoutIni);
    ReferenceService service("--reply=silent");
    service.start();
    EXPECT_FALSE(queryServiceOverUdp(500).has_value());
}

} // namespace
