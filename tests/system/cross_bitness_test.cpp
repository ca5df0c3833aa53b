// cross_bitness_test.cpp - a 32-bit and a 64-bit application on one machine, each with the DLL
// of its bitness, work with the same running service at once: what one writes into an exchange
// the other reads, their edits of zyn.ini, made at the same time, all survive, and both read
// the same registry settings. The other bitness's programs (DLL, editor, exchange client,
// reference service) come from a build of that bitness and sit in the "partner" folder beside
// this test; the service is either bitness's.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/churn_lines.h"
#include "support/clean_machine.h"
#include "support/config_editor_process.h"
#include "support/config_editor_protocol.h"
#include "support/data_access_helpers.h"
#include "support/exchange_client_protocol.h"
#include "support/loaded_library.h"
#include "support/reference_service.h"
#include "support/settings_key.h"
#include "support/zyn_ini.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;
namespace editor = zyn::editor;
namespace client = zyn::exchange_client;

constexpr int kOwnBits = sizeof(void*) * 8;
constexpr int kPartnerBits = kOwnBits == 64 ? 32 : 64;

constexpr char kPartnerService[] = "partner\\zyn_reference_service.exe";
constexpr char kPartnerEditor[] = "partner\\zyn_config_editor.exe";
constexpr char kPartnerExchangeClient[] = "partner\\zyn_exchange_client.exe";

// Room for the editors' exchange numbers (up to 189) and the churn sizes (up to 103 bytes).
constexpr char kDefinitions[] = "[EXCHANGE_DEFS]\n"
                                "1\t48\t1\tNODE1\tGROUP\tM,E=1\n"
                                "2\t16\t1\tNODE2\tGROUP\tM,E=2\n";
const std::string kFixedLayoutIni = std::string("MAX_EXCHANGE_SIZE = 128\nMAX_STATIC_EXCHANGES = 200\n"
                                                "MAX_DYNAMIC_EXCHANGES = 8\nEXCH_MAP = 0\n") +
                                    kDefinitions;
const std::string kPackedLayoutIni = std::string("MAX_EXCHANGE_SIZE = 128\nMAX_STATIC_EXCHANGES = 200\n"
                                                 "MAX_DYNAMIC_EXCHANGES = 8\nEXCH_MAP = 1\n") +
                                     kDefinitions;
constexpr uint32_t kFirstSize = 48;
constexpr uint32_t kSecondSize = 16;

constexpr int kDefinitionsPerEditor = 40;

// A header whose bytes 12 to 19, the two words ZYN_PutExchange writes, name the writer; every
// other byte is one the page must not take.
std::vector<uint8_t> writerHeader(uint8_t writer) {
    std::vector<uint8_t> header(ZYN_PAGE_HEADER_SIZE, 0xEE);
    for (size_t at = 12; at < 20; ++at)
        header[at] = static_cast<uint8_t>(writer + at);
    return header;
}

std::vector<uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> slice(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

// What the partner's ZYN_GetExchange gave, as its client printed it.
struct PartnerRead {
    int result = 0;
    unsigned statusClear = 0;
    std::string header; // hexadecimal text
    std::string data;
};

PartnerRead partnerGets(const std::string& name, uint32_t offset, uint32_t count) {
    const ChildResult run = ChildProcess::run(kPartnerExchangeClient, "get " + name + " " + std::to_string(offset) +
                                                                          " " + std::to_string(count));
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(client::kClientOk)) << run.output;
    PartnerRead read;
    std::istringstream(run.output) >> read.result >> read.statusClear >> read.header >> read.data;
    return read;
}

int partnerPuts(const std::string& name, uint32_t offset, const std::vector<uint8_t>& header,
                const std::vector<uint8_t>& data) {
    const ChildResult run =
        ChildProcess::run(kPartnerExchangeClient, "put " + name + " " + std::to_string(offset) + " " +
                                                      client::hexText(header) + " " + client::hexText(data));
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(client::kClientOk)) << run.output;
    return std::stoi(run.output);
}

struct SharedServiceCase {
    const char* name;
    const std::string* ini;
    const char* serviceProgram; // the reference service of this program's bitness or the partner's
};

class CrossBitnessTest : public CleanMachineTest, public ::testing::WithParamInterface<SharedServiceCase> {};

TEST_P(CrossBitnessTest, BothBitnessesShareExchangeDataAndEditZynIniAtOnce) {
    ZynIni ini(*GetParam().ini);
    ReferenceService service({}, GetParam().serviceProgram);
    service.start();
    LoadedLibrary library;
    const DataAccessApi api(library);
    const std::string first = exchangeName(1, "NODE1");
    const std::string second = exchangeName(2, "NODE2");

    // This program writes; the partner reads the whole page and sees what this program sees.
    const std::vector<uint8_t> ownData = textBytes("written by " + std::to_string(kOwnBits) + "-bit");
    ExchangeRequest write(first, 8, static_cast<uint32_t>(ownData.size()));
    const std::vector<uint8_t> ownHeader = writerHeader(static_cast<uint8_t>(kOwnBits));
    std::memcpy(write.get()->header, ownHeader.data(), ownHeader.size());
    ASSERT_EQ(api.putExchange(write.get(), ownData.data()), ZYN_OK);
    const ReadResult own = readExchange(api, first, 0, kFirstSize);
    ASSERT_EQ(own.result, ZYN_OK);
    EXPECT_EQ(slice(own.data, 8, ownData.size()), ownData);
    const PartnerRead partner = partnerGets(first, 0, kFirstSize);
    ASSERT_EQ(partner.result, ZYN_OK) << "the " << kPartnerBits << "-bit read";
    EXPECT_EQ(partner.header, client::hexText(own.access.header, sizeof own.access.header));
    EXPECT_EQ(partner.data, client::hexText(own.data));
    EXPECT_EQ(partner.statusClear, own.access.statusClear);

    // The partner writes; this program reads it back.
    const std::vector<uint8_t> partnerData = textBytes("from " + std::to_string(kPartnerBits) + "-bit");
    const std::vector<uint8_t> partnerHeader = writerHeader(static_cast<uint8_t>(kPartnerBits));
    ASSERT_EQ(partnerPuts(second, 4, partnerHeader, partnerData), ZYN_OK) << "the " << kPartnerBits << "-bit write";
    const ReadResult back = readExchange(api, second, 0, kSecondSize);
    ASSERT_EQ(back.result, ZYN_OK);
    EXPECT_EQ(slice(back.data, 4, partnerData.size()), partnerData);
    EXPECT_EQ(bytesAt(back.access.header + 12, 8), slice(partnerHeader, 12, 8));

    // Both bitnesses edit zyn.ini at once, each adding its own definitions and deleting every
    // other one: every line either wrote is there once, and no line of the file is lost.
    const std::string eventName = "zyn-cross-bitness-editing-" + std::to_string(GetCurrentProcessId());
    zyn::win32::KernelHandle go(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(go) << "CreateEventA failed, error " << GetLastError();
    const std::string ownProducer = "EDITOR" + std::to_string(kOwnBits);
    const std::string partnerProducer = "EDITOR" + std::to_string(kPartnerBits);
    constexpr int32_t kOwnFirst = 100;
    constexpr int32_t kPartnerFirst = kOwnFirst + kDefinitionsPerEditor + 10;
    const std::string count = " " + std::to_string(kDefinitionsPerEditor) + " ";
    ConfigEditorProcess ownEditor("churn " + ownProducer + " " + std::to_string(kOwnFirst) + count + eventName);
    ConfigEditorProcess partnerEditor(
        "churn " + partnerProducer + " " + std::to_string(kPartnerFirst) + count + eventName, kPartnerEditor);
    ASSERT_EQ(ownEditor.readLine(), editor::kReadyLine);
    ASSERT_EQ(partnerEditor.readLine(), editor::kReadyLine);
    SetEvent(go.get());
    const std::string ownOutput = ownEditor.readToEnd();
    const std::string partnerOutput = partnerEditor.readToEnd();
    EXPECT_EQ(ownEditor.wait(), static_cast<DWORD>(editor::kEditorOk)) << ownOutput;
    EXPECT_EQ(partnerEditor.wait(), static_cast<DWORD>(editor::kEditorOk)) << partnerOutput;

    std::map<std::string, int> expected{{"1\t48\t1\tNODE1\tGROUP\tM,E=1", 1}, {"2\t16\t1\tNODE2\tGROUP\tM,E=2", 1}};
    for (int k = 1; k < kDefinitionsPerEditor; k += 2) {
        expected[churnLine(kOwnFirst + k, ownProducer)] = 1;
        expected[churnLine(kPartnerFirst + k, partnerProducer)] = 1;
    }
    std::map<std::string, int> found;
    for (const std::string& line : linesAfterMarker(zynIniBytes()))
        if (!line.empty()) ++found[line];
    EXPECT_EQ(found, expected);
}

const SharedServiceCase kSharedServices[] = {
    {"FixedLayoutServiceOfThisBitness", &kFixedLayoutIni, kReferenceServiceProgram},
    {"FixedLayoutServiceOfThePartner", &kFixedLayoutIni, kPartnerService},
    {"PackedLayoutServiceOfThisBitness", &kPackedLayoutIni, kReferenceServiceProgram},
    {"PackedLayoutServiceOfThePartner", &kPackedLayoutIni, kPartnerService},
};
INSTANTIATE_TEST_SUITE_P(Services, CrossBitnessTest, ::testing::ValuesIn(kSharedServices),
                         [](const ::testing::TestParamInfo<SharedServiceCase>& info) { return info.param.name; });

// The two registry settings as one DLL answered them.
struct SettingsAnswer {
    int32_t thirdPartyAppsAllowed;
    int32_t maxExchangeSize;
    bool operator==(const SettingsAnswer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SettingsAnswer& answer) {
    return out << "{" << answer.thirdPartyAppsAllowed << ", " << answer.maxExchangeSize << "}";
}

SettingsAnswer partnerSettings() {
    const ChildResult run = ChildProcess::run(kPartnerExchangeClient, "settings");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(client::kClientOk)) << run.output;
    SettingsAnswer answer{};
    std::istringstream(run.output) >> answer.thirdPartyAppsAllowed >> answer.maxExchangeSize;
    return answer;
}

// What a setup program left in one registry view.
enum class Stored { Nothing, KeyWithoutValues, Values };

struct SettingsViewCase {
    const char* name;
    Stored in32BitView;
    Stored in64BitView;
    SettingsAnswer expected; // from both DLLs
};

// Values that tell the views apart, and differ from the defaults (1 and 1024).
constexpr SettingsAnswer k32BitViewValues{0, 3232};
constexpr SettingsAnswer k64BitViewValues{7, 6464};

class SettingsViewTest : public SettingsKeyTest, public ::testing::WithParamInterface<SettingsViewCase> {
protected:
    static void store(REGSAM view, Stored stored, const SettingsAnswer& values) {
        if (stored == Stored::Nothing) return;
        createKey(view);
        if (stored == Stored::KeyWithoutValues) return;
        setDword(kThirdPartyApps, static_cast<uint32_t>(values.thirdPartyAppsAllowed), view);
        setDword(kMaxExchangeSize, static_cast<uint32_t>(values.maxExchangeSize), view);
    }
};

TEST_P(SettingsViewTest, BothDllsReadTheSameView) {
    const SettingsViewCase& row = GetParam();
    store(KEY_WOW64_32KEY, row.in32BitView, k32BitViewValues);
    store(KEY_WOW64_64KEY, row.in64BitView, k64BitViewValues);
    LoadedLibrary library;
    const SettingsAnswer own{ZYN_EXPORT(library, ZYN_ThirdPartyAppsAllowed)(),
                             ZYN_EXPORT(library, ZYN_GetMaxExchangeSize)()};
    EXPECT_EQ(own, row.expected) << "the " << kOwnBits << "-bit DLL";
    EXPECT_EQ(partnerSettings(), row.expected) << "the " << kPartnerBits << "-bit DLL";
}

const SettingsViewCase kSettingsViews[] = {
    {"OnlyIn32BitView", Stored::Values, Stored::Nothing, k32BitViewValues},
    {"OnlyIn64BitView", Stored::Nothing, Stored::Values, k64BitViewValues},
    {"InBothViews", Stored::Values, Stored::Values, k32BitViewValues},
    // Only a missing key sends the read to the 64-bit view: a key without the values gives the defaults.
    {"KeyWithoutValuesIn32BitView", Stored::KeyWithoutValues, Stored::Values, {1, 1024}},
};
INSTANTIATE_TEST_SUITE_P(Views, SettingsViewTest, ::testing::ValuesIn(kSettingsViews),
                         [](const ::testing::TestParamInfo<SettingsViewCase>& info) { return info.param.name; });

} // namespace
