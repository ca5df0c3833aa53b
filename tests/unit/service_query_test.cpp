// The UDP exchange-list query against a scripted peer.
#include "library_fixture.h"

#include <cstring>
#include <optional>
#include <vector>

#include "service/service_query.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceRunning;

std::vector<uint8_t> replyWith(int32_t count, int entriesCarried) {
    std::vector<uint8_t> reply(12 + 16 * static_cast<size_t>(entriesCarried), 0);
    reply[0] = 7;
    std::memcpy(reply.data() + 8, &count, 4);
    for (int i = 0; i < entriesCarried; ++i) {
        for (int b = 0; b < 16; ++b)
            reply[12 + 16 * i + b] = static_cast<uint8_t>(i * 16 + b + 1);
    }
    return reply;
}

class ServiceQuery : public LibraryTest {
protected:
    void SetUp() override {
        installService(kServiceRunning);
        world().createSection("ZYN_MAP_1", 4096);
        attach();
    }
    void answer(std::optional<std::vector<uint8_t>> reply) {
        world().udp.answer = [reply](const std::vector<uint8_t>&) { return reply; };
    }
};

TEST_F(ServiceQuery, SendsTheFourByteRequestToThePortWithABoundedWait) {
    answer(replyWith(2, 2));
    EXPECT_EQ(ZYN_GetNumberOfExchangesFromService(), 2);
    ASSERT_EQ(world().udp.requests.size(), 1u);
    EXPECT_EQ(world().udp.requests[0], (std::vector<uint8_t>{7, 1, 0, 0}));
    EXPECT_EQ(world().udp.lastPort, 21586);
    EXPECT_EQ(world().udp.lastTimeoutMs, 2000u);
}

TEST_F(ServiceQuery, ReplyVariants) {
    struct Case {
        const char* what;
        std::optional<std::vector<uint8_t>> reply;
        int32_t count;        // result of the count query
        int32_t listResult;   // result of the list query
        size_t entriesCopied; // entries that carry bytes
        size_t bytesWritten;  // bytes the list query writes
    };
    std::vector<uint8_t> oversize(1405, 0);
    const Case cases[] = {
        {"normal", replyWith(3, 3), 3, 3, 3, 48},
        {"empty datagram", std::vector<uint8_t>{}, 0, 3, 0, 0},
        {"shorter than the head", std::vector<uint8_t>{7, 1, 0, 0, 1, 0}, 0, 3, 0, 0},
        {"count 0", replyWith(0, 0), 0, 3, 0, 0},
        {"count without entries", replyWith(4, 0), 4, 3, 0, 64},
        {"count beyond the entries carried", replyWith(4, 1), 4, 3, 1, 64},
        {"largest count the buffer carries", replyWith(87, 87), 87, 3, 87, 87 * 16},
        {"count above 87", replyWith(88, 87), -24, -24, 0, 0},
        {"negative count", replyWith(-1, 1), -24, -24, 0, 0},
        {"longer than 1404 bytes", oversize, -24, -24, 0, 0},
        {"silent", std::nullopt, -24, -24, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        answer(c.reply);
        EXPECT_EQ(ZYN_GetNumberOfExchangesFromService(), c.count);
        std::vector<uint8_t> area(1500, 0xEE);
        EXPECT_EQ(ZYN_GetAllExchangesFromService(area.data()), c.listResult);
        for (size_t i = 0; i < area.size(); ++i) {
            uint8_t expected = 0xEE;
            if (i < c.bytesWritten) expected = i < c.entriesCopied * 16 ? static_cast<uint8_t>(i + 1) : 0;
            ASSERT_EQ(area[i], expected) << "byte " << i;
        }
    }
}

TEST_F(ServiceQuery, ServiceMissingOrStoppedSendsNothing) {
    answer(replyWith(1, 1));
    uint8_t area[16];
    world().services[core::kServiceName].state = platform::kServiceStopped;
    EXPECT_EQ(ZYN_GetNumberOfExchangesFromService(), ZYN_E_NOT_RUNNING);
    EXPECT_EQ(ZYN_GetAllExchangesFromService(area), ZYN_E_NOT_RUNNING);
    world().services.clear();
    EXPECT_EQ(ZYN_GetNumberOfExchangesFromService(), ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(ZYN_GetAllExchangesFromService(area), ZYN_E_NOT_INSTALLED);
    EXPECT_EQ(world().calls(fake::Op::Socket), 0);
}

TEST_F(ServiceQuery, NetworkFailuresGiveUdpError) {
    for (auto outcome :
         {platform::UdpOutcome::SocketFailed, platform::UdpOutcome::NoHostName, platform::UdpOutcome::NoAddress,
          platform::UdpOutcome::ConnectFailed, platform::UdpOutcome::SendFailed, platform::UdpOutcome::ReceiveFailed}) {
        world().udp.failWith = outcome;
        EXPECT_EQ(ZYN_GetNumberOfExchangesFromService(), ZYN_E_UDP);
    }
}

TEST_F(ServiceQuery, NullListAreaIsRefusedAndStubsDoNothing) {
    answer(replyWith(1, 1));
    EXPECT_EQ(ZYN_GetAllExchangesFromService(nullptr), ZYN_E_PARAMETER);
    EXPECT_TRUE(world().udp.requests.empty());
    EXPECT_EQ(ZYN_GetLocallyConsumedExchangesFromService(0), 0);
    EXPECT_EQ(ZYN_GetLocallyProducedExchangesFromService(-1), 0);
    EXPECT_EQ(ZYN_GetRemotelyProducedExchangesFromService(1, 2), 0);
    EXPECT_EQ(ZYN_GetRemotelyConsumedExchangesFromService(3, 4), 0);
    EXPECT_EQ(ZYN_GetServiceVersion(5), 0);
    EXPECT_EQ(ZYN_GetProtocolVersion(), 0);
    EXPECT_TRUE(world().udp.requests.empty());
}

} // namespace
} // namespace zyn::testing
