// global_namespace_test.cpp - the library with a service whose objects live in the global
// namespace, as a session-0 service's do for applications since Windows Vista: the reference
// service with --global-names creates "Global\ZYN_MAP_1", "Global\ZYN_MAP_1-%05d" and reads
// zyn.ini under "Global\__ZYN_INIFILE". And with a service of plain names, nothing global.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "peer/peer_protocol.h"
#include "support/clean_machine.h"
#include "support/config_editor_process.h"
#include "support/config_editor_protocol.h"
#include "support/data_access_helpers.h"
#include "support/loaded_library.h"
#include "support/peer_process.h"
#include "support/shared_objects.h"
#include "test_configurations.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;

constexpr char kGlobalNames[] = "--global-names";
constexpr char kGlobalIniMutex[] = "Global\\__ZYN_INIFILE";

// The exchange of kFixedLayoutPages[0], "exchange_1@NODE1" on page 1.
const ExpectedPage& firstPage() { return kFixedLayoutPages[0]; }
std::string firstName() { return exchangeName(firstPage().exchangeId, "NODE1"); }

// True when the mutex is free now: taken without waiting and given back at once.
bool mutexIsFree(const char* name) {
    zyn::win32::KernelHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name));
    if (!mutex) return false;
    const DWORD result = WaitForSingleObject(mutex.get(), 0);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) return false;
    ReleaseMutex(mutex.get());
    return true;
}

ExchangeDef definition(int32_t number, const char* producer) {
    ExchangeDef def{};
    def.exchangeNumber = number;
    def.size = 10;
    def.thirdNumber = 1;
    std::snprintf(def.producer, sizeof def.producer, "%s", producer);
    std::snprintf(def.destination, sizeof def.destination, "GROUP");
    def.flags = ZYN_FLAG_MUTEX;
    def.exchangeId = number;
    return def;
}

class GlobalNamespaceTest : public CleanMachineTest {
protected:
    void TearDown() override {
        api_.reset();
        library_.reset();
        service_.reset();
        ini_.reset();
        CleanMachineTest::TearDown();
    }
    void install(const std::string& switches) {
        ini_.emplace(kFixedLayoutIni);
        service_.emplace(switches);
    }
    void load() {
        library_.emplace();
        api_.emplace(*library_);
    }
    ReferenceService& service() { return *service_; }
    const LoadedLibrary& library() const { return *library_; }
    const DataAccessApi& api() const { return *api_; }

    // Every page reads as the service filled it, and a write lands on the service's page.
    void expectDataPathOnTheServicesPages() {
        // The first two lines of kFixedLayoutIni; the third's exchange id has no page.
        expectServicePage(api(), exchangeName(kFixedLayoutPages[0].exchangeId, "NODE1"), kFixedLayoutPages[0]);
        expectServicePage(api(), exchangeName(kFixedLayoutPages[1].exchangeId, "NODE2"), kFixedLayoutPages[1]);
        std::optional<SectionView> section = SectionView::open("Global\\ZYN_MAP_1");
        ASSERT_TRUE(section);
        ExchangeRequest write(firstName(), 0, 4);
        const uint8_t bytes[4] = {0xDE, 0xAD, 0xBE, 0xEF};
        ASSERT_EQ(api().putExchange(write.get(), bytes), ZYN_OK);
        EXPECT_EQ(bytesAt(section->data() + firstPage().pageOffset + ZYN_PAGE_HEADER_SIZE, 4),
                  std::vector<uint8_t>(bytes, bytes + 4));
    }

private:
    std::optional<ZynIni> ini_;
    std::optional<ReferenceService> service_;
    std::optional<LoadedLibrary> library_;
    std::optional<DataAccessApi> api_;
};

// Loaded while the service runs: the section is found under "Global\", and the library creates
// nothing under the plain names, so it shares the service's mutexes.
TEST_F(GlobalNamespaceTest, LoadAttachesToTheGlobalSectionAndUsesTheServicesMutexes) {
    install(kGlobalNames);
    service().start();
    load();
    expectDataPathOnTheServicesPages();
    EXPECT_FALSE(namedSectionExists("ZYN_MAP_1"));
    EXPECT_FALSE(namedMutexExists("ZYN_MAP_1-00001"));
    EXPECT_FALSE(namedMutexExists("__ZYN_INIFILE"));
    EXPECT_TRUE(namedMutexExists(kGlobalIniMutex));
}

// Loaded before the service runs: the start and the reset through the library find the global
// section, and from then on the library edits zyn.ini under the service's global mutex.
TEST_F(GlobalNamespaceTest, StartAndResetThroughTheLibraryAttachToTheGlobalSection) {
    install(kGlobalNames);
    load();
    EXPECT_EQ(readExchange(api(), firstName(), 0, 1).result, ZYN_E_NOT_RUNNING);
    ASSERT_EQ(ZYN_EXPORT(library(), ZYN_StartService)(), ZYN_OK);
    expectDataPathOnTheServicesPages();
    ASSERT_EQ(ZYN_EXPORT(library(), ZYN_ResetService)(), ZYN_OK);
    expectDataPathOnTheServicesPages();

    PeerProcess holder(std::string("hold-mutex ") + kGlobalIniMutex + " 1500");
    ASSERT_EQ(holder.readLine(), zyn::peer::kHeldLine) << "the library holds no " << kGlobalIniMutex;
    EXPECT_EQ(ZYN_EXPORT(library(), ZYN_AddStaticExchange)(definition(7, "NODE7")), ZYN_OK);
    EXPECT_TRUE(mutexIsFree(kGlobalIniMutex)) << "the edit did not wait for " << kGlobalIniMutex;
    EXPECT_EQ(holder.wait(), static_cast<DWORD>(zyn::peer::kPeerOk));
}

// The service holds its global exchange mutex: a read through the library waits for it.
TEST_F(GlobalNamespaceTest, ReadWaitsWhileTheServiceHoldsItsGlobalExchangeMutex) {
    install(std::string(kGlobalNames) + " --hold-mutex=1:4000");
    service().start();
    load(); // about a second: the attach pauses after opening the section
    ASSERT_FALSE(mutexIsFree("Global\\ZYN_MAP_1-00001")) << "the service no longer holds its mutex";
    const ReadResult read = readExchange(api(), firstName(), 0, firstPage().size);
    EXPECT_EQ(read.result, ZYN_OK);
    EXPECT_EQ(read.data, patternData(firstPage().exchangeNumber, 0, firstPage().size));
    EXPECT_TRUE(mutexIsFree("Global\\ZYN_MAP_1-00001")) << "the read did not wait for the service";
}

// Two applications edit at once, each with its own library: both lock the one global mutex, so
// no line of either is lost.
TEST_F(GlobalNamespaceTest, TwoApplicationsEditingAtOnceLoseNothing) {
    // Exchange numbers within the file's MAX_STATIC_EXCHANGES of 16.
    constexpr int kPerEditor = 4;
    constexpr int kFirstA = 6;
    constexpr int kFirstB = kFirstA + kPerEditor;
    install(kGlobalNames);
    service().start();
    const std::string eventName = "zyn-global-editing-" + std::to_string(GetCurrentProcessId());
    zyn::win32::KernelHandle go(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(go);
    ConfigEditorProcess first("churn EDITORA " + std::to_string(kFirstA) + " " + std::to_string(kPerEditor) + " " +
                              eventName);
    ConfigEditorProcess second("churn EDITORB " + std::to_string(kFirstB) + " " + std::to_string(kPerEditor) + " " +
                               eventName);
    ASSERT_EQ(first.readLine(), zyn::editor::kReadyLine);
    ASSERT_EQ(second.readLine(), zyn::editor::kReadyLine);
    SetEvent(go.get());
    EXPECT_EQ(first.wait(), static_cast<DWORD>(zyn::editor::kEditorOk)) << first.readToEnd();
    EXPECT_EQ(second.wait(), static_cast<DWORD>(zyn::editor::kEditorOk)) << second.readToEnd();

    load();
    // The file's three definitions and the odd-index survivors of each editor.
    EXPECT_EQ(ZYN_EXPORT(library(), ZYN_GetNumberOfExchangesFromConfigFile)(), 3 + kPerEditor);
    for (const auto& [producer, firstNumber] : {std::pair{"EDITORA", kFirstA}, std::pair{"EDITORB", kFirstB}}) {
        for (int k = 1; k < kPerEditor; k += 2) {
            const int32_t number = firstNumber + k;
            ExchangeDef found{};
            ZYN_EXPORT(library(), ZYN_GetStaticExchangeParams)
            (exchangeName(zyn::editor::churnExchangeId(number), producer).c_str(), &found);
            EXPECT_EQ(found.exchangeNumber, number) << producer;
        }
    }
}

// A service of plain names: nothing under "Global\" comes into being through the library.
TEST_F(GlobalNamespaceTest, PlainNamedServiceLeavesTheGlobalNamespaceAlone) {
    install("");
    service().start();
    load();
    expectServicePage(api(), firstName(), firstPage());
    EXPECT_EQ(ZYN_EXPORT(library(), ZYN_AddStaticExchange)(definition(7, "NODE7")), ZYN_OK);
    EXPECT_FALSE(namedSectionExists("Global\\ZYN_MAP_1"));
    EXPECT_FALSE(namedMutexExists("Global\\ZYN_MAP_1-00001"));
    EXPECT_FALSE(namedMutexExists(kGlobalIniMutex));
    EXPECT_TRUE(namedMutexExists("__ZYN_INIFILE"));
}

} // namespace
