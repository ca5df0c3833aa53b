// zynctl_test.cpp - zynctl.exe as a person or a script uses it, against the reference service:
// its output, its JSON, and its exit status, also for command lines it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/clean_machine.h"
#include "support/console_program.h"
#include "support/json_syntax.h"
#include "support/settings_key.h"
#include "support/test_paths.h"
#include "test_configurations.h"

namespace {

using namespace zyn::test;

constexpr char kZynctl[] = "zynctl.exe";
constexpr DWORD kExitFailure = 1;
constexpr DWORD kExitUsage = 2;

ConsoleRun zynctl(const std::string& arguments, const std::string& input = {}) {
    return runConsoleProgram(kZynctl, arguments, input);
}

// gmock, whose matchers would say this, is not built here.
::testing::AssertionResult contains(const std::string& text, const std::string& piece) {
    if (text.find(piece) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << piece << "\" is not in:\n" << text;
}

::testing::AssertionResult startsWith(const std::string& text, const std::string& start) {
    if (text.starts_with(start)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "does not start with \"" << start << "\":\n" << text;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Exit status 0, nothing on stderr, and one JSON document on stdout, which is returned.
std::string jsonOf(const std::string& arguments) {
    const ConsoleRun run = zynctl(arguments);
    EXPECT_EQ(run.exitCode, 0u) << arguments << "\n" << run.err;
    EXPECT_EQ(run.err, "") << arguments;
    EXPECT_TRUE(isJsonDocument(run.out)) << arguments << " printed:\n" << run.out;
    return run.out;
}

// What get and watch print with --json (JSON Lines): one JSON document on each line.
std::vector<std::string> jsonLines(const std::string& out) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < out.size(); start = end + 1) {
        end = out.find('\n', start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "the last line has no line end: " << out.substr(start);
            end = out.size();
        }
        lines.push_back(out.substr(start, end - start));
        EXPECT_TRUE(isJsonDocument(lines.back())) << lines.back();
    }
    return lines;
}

// The same for JSON Lines.
std::vector<std::string> jsonLinesOf(const std::string& arguments) {
    const ConsoleRun run = zynctl(arguments);
    EXPECT_EQ(run.exitCode, 0u) << arguments << "\n" << run.err;
    EXPECT_EQ(run.err, "") << arguments;
    return jsonLines(run.out);
}

// Refused by the library: exit status 1, nothing on stdout, and the one line on stderr.
void expectRefused(const std::string& arguments, const std::string& line) {
    const ConsoleRun run = zynctl(arguments);
    EXPECT_EQ(run.exitCode, kExitFailure) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_EQ(run.err, line + "\n") << arguments;
}

class ZynctlTest : public CleanMachineTest {
protected:
    void TearDown() override {
        service_.reset();
        ini_.reset();
        CleanMachineTest::TearDown();
    }
    void writeIni(const char* content) { ini_.emplace(content); }
    ReferenceService& installService(const std::string& switches = {}) { return service_.emplace(switches); }

private:
    std::optional<ZynIni> ini_;
    std::optional<ReferenceService> service_;
};

TEST_F(ZynctlTest, BadArgumentsGiveTheUsageAndExitStatusTwoWithoutTouchingTheConfiguration) {
    struct Row {
        std::string arguments;
        std::string reason; // in the first line on stderr
    };
    const std::vector<Row> rows = {
        {"frobnicate", "'frobnicate' is not a command"},
        {"service bogus", "'bogus' is not a service command"},
        {"--version extra", "--version takes no other argument"},
        {"--help extra", "'extra' was not expected"},
        {"list extra", "not expected: extra"},
        {"get exchange_1@NODE1 --offset 12x", "--offset: '12x' is not a number from 0 to 4294967295"},
        {"get exchange_1@NODE1 --count 4294967296", "--count: '4294967296' is not a number"},
        {"watch exchange_1@NODE1 --interval 0", "--interval: 0 is out of range (1 to 3600000)"},
        {"watch exchange_1@NODE1 --interval -5", "--interval: '-5' is not a number from 1 to 3600000"},
        {"get exchange_1@NODE1 exchange_2@NODE2 --raw", "--raw: takes a single NAME"},
        {"put exchange_1@NODE1 --hex abc", "odd number of hex digits"},
        {"put exchange_1@NODE1", "give the data in one way"},
        {"put exchange_1@NODE1 --hex \"\"", "--hex: gives no bytes"},
        {"put exchange_1@NODE1 -", "put: standard input holds no bytes"}, // stdin is empty
        {"delete exchange_1@" + std::string(90, 'N'), "longer than the 99 characters the record holds"},
        {"add 1 8 1 " + std::string(32, 'N') + " GROUP", "longer than the 31 characters the record holds"},
        {"add 1 8 x NODE1 GROUP", "THIRD: 'x' is not a signed 32-bit number"},
        {"add 1 8 1 NODE1 GROUP --option X", "'X' is none of T, S, M, P=N, E=N"},
        {"change exchange_1@NODE1 --option E=4", "the exchange id names the exchange"},
        {"params --set MULTICAST=224.0.7.100000000", "longer than the 16 characters an entry holds"},
        {"params --set NOSUCHKEY=1", "'NOSUCHKEY' is none of"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const ConsoleRun run = zynctl(row.arguments);
        EXPECT_EQ(run.exitCode, kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(startsWith(run.err, "zynctl: "));
        EXPECT_TRUE(contains(run.err.substr(0, run.err.find('\n')), row.reason));
        EXPECT_TRUE(contains(run.err, "Usage: zynctl"));
    }
    // An edit that had reached the library would have created the file.
    EXPECT_FALSE(fileExists(zynIniPath()));
}

TEST_F(ZynctlTest, EveryCommandHasItsHelpAndTheToolItsVersion) {
    for (const char* command :
         {"doctor", "status", "list", "show", "add", "delete", "change", "params", "get", "put", "watch", "service",
          "service install", "service start", "service stop", "service reset", "service query"}) {
        SCOPED_TRACE(command);
        const ConsoleRun run = zynctl(std::string(command) + " --help");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(contains(run.out, std::string("Usage: zynctl ") + command));
    }
    const ConsoleRun version = zynctl("--version");
    EXPECT_EQ(version.exitCode, 0u);
    EXPECT_TRUE(startsWith(version.out, "zynctl "));
}

TEST_F(ZynctlTest, AgainstAStoppedServiceDataAndQueriesAreRefusedWhileTheConfigurationShows) {
    writeIni(kFixedLayoutIni);
    expectRefused("service start", "ZYN_StartService: -19 the service is not installed");
    installService();
    expectRefused("get exchange_1@NODE1", "ZYN_GetExchange: -21 the service is not running");
    expectRefused("put exchange_1@NODE1 --hex 00", "ZYN_PutExchange: -21 the service is not running");
    expectRefused("service query", "ZYN_GetNumberOfExchangesFromService: -21 the service is not running");

    const std::string status = jsonOf("status --json");
    EXPECT_TRUE(contains(status, "\"installed\": true"));
    EXPECT_TRUE(contains(status, "\"running\": false"));
    EXPECT_TRUE(contains(status, "\"namespace\": null"));
    EXPECT_TRUE(contains(status, "\"MAX_EXCHANGE_SIZE\": 200"));
    EXPECT_TRUE(contains(status, "\"exchanges\": 3"));
    // The third definition line: producer node1 upper-cased, exchange id from E=40.
    const std::string list = jsonOf("list --json");
    EXPECT_TRUE(contains(list, "\"count\": 3"));
    EXPECT_TRUE(contains(list, "\"name\": \"exchange_40@NODE1\""));
}

TEST_F(ZynctlTest, WithTheServiceRunningDataGoesInAndComesOut) {
    writeIni(kFixedLayoutIni);
    installService().start();
    const ConsoleRun status = zynctl("status");
    EXPECT_EQ(status.exitCode, 0u);
    EXPECT_TRUE(contains(status.out, "installed, running"));
    EXPECT_TRUE(contains(status.out, "plain names"));

    EXPECT_EQ(zynctl("put exchange_1@NODE1 --offset 4 --hex 68656c6c6f").exitCode, 0u);
    // A header word alone, without data and from an empty pipe: the other word stays as it is.
    EXPECT_EQ(zynctl("put exchange_1@NODE1 --word3 5").out,
              "exchange_1@NODE1: wrote 0 bytes at offset 0, header word 3 = 0x00000005\n");
    EXPECT_EQ(zynctl("put exchange_1@NODE1 - --word4 0x66").exitCode, 0u);
    // Data byte k of the service's pattern for exchange number 1 is 31 + k.
    // One name, one line: the object of 1.1.0 with its result.
    const std::vector<std::string> read = jsonLinesOf("get exchange_1@NODE1 --count 12 --json");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(contains(read[0], "\"count\": 12, "));
    EXPECT_TRUE(contains(read[0], ", 100, 5, 102, "));
    EXPECT_TRUE(contains(read[0], "\"data\": \"1f20212268656c6c6f28292a\", \"result\": 3}"));
    EXPECT_EQ(zynctl("get exchange_1@NODE1 --offset 4 --count 5 --raw").out, "hello");

    EXPECT_EQ(zynctl("put exchange_1@NODE1 -", "AB").exitCode, 0u);
    EXPECT_EQ(zynctl("get exchange_1@NODE1 --count 2 --raw").out, "AB");
    expectRefused("get exchange_1@NODE1 --offset 90 --count 11",
                  "ZYN_GetExchange: -20 the byte range lies outside the exchange");
    expectRefused("put exchange_1@NODE1 --offset 99 --hex 0102",
                  "ZYN_PutExchange: -20 the byte range lies outside the exchange");

    EXPECT_TRUE(contains(jsonOf("service query --json"), "\"count\": 3"));
    EXPECT_EQ(zynctl("service stop").exitCode, 0u);
    expectRefused("get exchange_1@NODE1", "ZYN_GetExchange: -21 the service is not running");
}

TEST_F(ZynctlTest, StatusNamesTheGlobalNamespaceOfAServiceInSessionZero) {
    writeIni(kFixedLayoutIni);
    installService("--global-names").start();
    const std::string status = jsonOf("status --json");
    EXPECT_TRUE(contains(status, "\"namespace\": \"global\""));
    EXPECT_TRUE(contains(status, "\"section\": \"Global\\\\ZYN_MAP_1\""));
    EXPECT_TRUE(contains(status, "\"exchangeMutex\": \"Global\\\\ZYN_MAP_1-00001\""));
}

TEST_F(ZynctlTest, WatchPrintsTheChangeThatAnotherWriterMakes) {
    writeIni(kFixedLayoutIni);
    installService().start();
    ChildProcess watch(kZynctl, "watch exchange_1@NODE1 --interval 50 --count 1");
    // The first line comes after the first reading: every change from here on is seen.
    ASSERT_TRUE(contains(watch.readLine(), "exchange_1@NODE1: 100 bytes"));
    EXPECT_EQ(zynctl("put exchange_1@NODE1 --offset 2 --hex 0102").exitCode, 0u);
    EXPECT_TRUE(contains(watch.readLine(), "bytes 2-3: 01 02"));
    EXPECT_EQ(watch.wait(), 0u);
}

// The service stops and comes back while zynctl watches: the refusal has its line, the watch
// goes on to the change it waits for, and its exit status tells that rounds were refused.
TEST_F(ZynctlTest, WatchGoesOnThroughARestartOfTheService) {
    writeIni(kFixedLayoutIni);
    ReferenceService& service = installService();
    service.start();
    ChildProcess watch(kZynctl, "watch exchange_1@NODE1 --interval 50 --count 1");
    ASSERT_TRUE(contains(watch.readLine(), "exchange_1@NODE1: 100 bytes"));
    service.stop();
    EXPECT_TRUE(contains(watch.readLine(), "  ZYN_GetExchange: -21 the service is not running"));
    service.start();
    EXPECT_TRUE(contains(watch.readLine(), "  readable: 100 bytes"));
    EXPECT_EQ(zynctl("put exchange_1@NODE1 --offset 2 --hex 0102").exitCode, 0u);
    EXPECT_TRUE(contains(watch.readLine(), "bytes 2-3: 01 02"));
    EXPECT_EQ(watch.wait(), kExitFailure);
}

// Several names: one line or one JSON line each, in the order given; an exchange the library
// refuses has its own line, and the command then ends as a refusal.
TEST_F(ZynctlTest, SeveralExchangesAreReadAndWatchedTogether) {
    writeIni(kFixedLayoutIni);
    installService().start();
    const std::vector<std::string> both = jsonLinesOf("get exchange_2@NODE2 exchange_1@NODE1 --count 2 --json");
    ASSERT_EQ(both.size(), 2u);
    // Data byte k of exchange number n is n x 31 + k.
    EXPECT_TRUE(contains(both[0], "\"data\": \"3e3f\", \"result\": 3"));
    EXPECT_TRUE(contains(both[1], "\"data\": \"1f20\", \"result\": 3"));
    for (const char* names : {"exchange_9@NODE9", "exchange_1@NODE1 exchange_9@NODE9"}) {
        const ConsoleRun refused = zynctl(std::string("get ") + names + " --json");
        EXPECT_EQ(refused.exitCode, kExitFailure) << names;
        const std::vector<std::string> lines = jsonLines(refused.out);
        ASSERT_FALSE(lines.empty()) << names;
        EXPECT_TRUE(contains(lines.back(),
                             "{\"name\": \"exchange_9@NODE9\", \"offset\": 0, \"result\": -18, \"error\": \"not found"))
            << names;
        EXPECT_TRUE(contains(refused.err, ": -18 not found")) << names;
    }

    const ConsoleRun mixed = zynctl("get exchange_1@NODE1 exchange_9@NODE9 exchange_2@NODE2 --offset 1 --count 2");
    EXPECT_EQ(mixed.exitCode, kExitFailure);
    EXPECT_EQ(mixed.out, "exchange_1@NODE1: 2 bytes from offset 1, status set: 2021\n"
                         "exchange_9@NODE9: -18 not found: no configuration loaded, no such exchange, no shared memory "
                         "or no page\n"
                         "exchange_2@NODE2: 2 bytes from offset 1, status clear: 3f40\n");
    EXPECT_TRUE(startsWith(mixed.err, "ZYN_GetExchanges: -18 not found"));

    ChildProcess watch(kZynctl, "watch exchange_1@NODE1 exchange_2@NODE2 --interval 50 --count 1");
    ASSERT_TRUE(contains(watch.readLine(), "exchange_1@NODE1: 100 bytes"));
    ASSERT_TRUE(contains(watch.readLine(), "exchange_2@NODE2: 8 bytes"));
    EXPECT_EQ(zynctl("put exchange_2@NODE2 --offset 6 --hex 0102").exitCode, 0u);
    EXPECT_TRUE(contains(watch.readLine(), "exchange_2@NODE2: bytes 6-7: 01 02"));
    EXPECT_EQ(watch.wait(), 0u);

    ChildProcess watchJson(kZynctl, "watch exchange_1@NODE1 exchange_2@NODE2 --interval 50 --count 1 --json");
    const std::string first = watchJson.readLine();
    EXPECT_TRUE(contains(first, "{\"name\": \"exchange_1@NODE1\", "));
    EXPECT_TRUE(contains(first, "\"result\": 3, \"round\": 1, \"time\": \""));
    EXPECT_EQ(zynctl("put exchange_2@NODE2 --offset 6 --hex 0304").exitCode, 0u);
    // The first line's partner, then both exchanges in every round up to the one with the change.
    const std::vector<std::string> rest = jsonLines(watchJson.readToEnd());
    ASSERT_EQ(rest.size() % 2, 1u);
    EXPECT_TRUE(contains(rest.front(), "{\"name\": \"exchange_2@NODE2\", "));
    EXPECT_TRUE(contains(rest.back(), "0304\", \"result\": 3, \"round\": " + std::to_string(rest.size() / 2 + 1)));
    EXPECT_EQ(watchJson.wait(), 0u);
}

TEST_F(ZynctlTest, EditingTheConfigurationFromTheCommandLine) {
    const std::string params = jsonOf("params --set MAX_EXCHANGE_SIZE=256 --set MAX_STATIC_EXCHANGES=16 --set "
                                      "MULTICAST=224.0.7.1,224.0.7.2 --json");
    EXPECT_TRUE(contains(params, "\"MAX_EXCHANGE_SIZE\": 256"));
    EXPECT_TRUE(contains(params, "\"224.0.7.2\""));

    // Fixed-layout pages are MAX_EXCHANGE_SIZE = 256 bytes apart: 224 of them hold data.
    EXPECT_EQ(zynctl("add 4 256 1 NODE4 GROUP").exitCode, 0u);
    EXPECT_TRUE(contains(zynctl("show exchange_4@NODE4").out, "256 (224 usable)"));
    EXPECT_TRUE(contains(jsonOf("list --json"), "\"usableSize\": 224"));
    EXPECT_EQ(zynctl("delete exchange_4@NODE4").exitCode, 0u);

    const ConsoleRun add = zynctl("add 3 16 1 NODE3 GROUP --option T,P=5510");
    EXPECT_EQ(add.exitCode, 0u) << add.err;
    EXPECT_EQ(add.out, "added exchange_3@NODE3\n");
    expectRefused("add 3 16 1 NODE3 GROUP", "ZYN_AddStaticExchange: -23 the exchange name is already defined");

    EXPECT_EQ(zynctl("change exchange_3@NODE3 --size 32").exitCode, 0u);
    expectRefused("change exchange_9@NODE9 --size 32",
                  "ZYN_ChangeStaticExchangeParams: no exchange exchange_9@NODE9 in the loaded configuration");
    // A -11 names the first field outside its bounds, in the library's order, and its limit.
    struct OutOfBounds {
        std::string arguments;
        const char* function;
        std::string field;
    };
    const std::vector<OutOfBounds> rows = {
        {"params --set MAX_EXCHANGE_SIZE=2000", "ZYN_SetServiceConfigParams",
         "MAX_EXCHANGE_SIZE 2000 is not within 1 to 1400"},
        // An address that would not read back as itself.
        {"params --set MULTICAST=224.0.7.01", "ZYN_SetServiceConfigParams",
         "MULTICAST 224.0.7.01 is not one of 224.0.7.1 to 224.0.7.32 (plain decimal)"},
        {"params --set MAX_DYNAMIC_EXCHANGES=0 --set MAX_STATIC_EXCHANGES=8388608", "ZYN_SetServiceConfigParams",
         "MAX_STATIC_EXCHANGES 8388608 is not within 1 to 3158063"},
        {"params --set MAX_DYNAMIC_EXCHANGES=0", "ZYN_SetServiceConfigParams", "MAX_DYNAMIC_EXCHANGES must not be 0"},
        {"params --set EXCH_MAP=2", "ZYN_SetServiceConfigParams", "EXCH_MAP 2 is neither 0 nor 1"},
        {"add 17 8 1 NODE5 GROUP", "ZYN_AddStaticExchange",
         "exchangeNumber 17 is not within 1 to 16 (MAX_STATIC_EXCHANGES)"},
        {"add 5 257 1 NODE5 GROUP", "ZYN_AddStaticExchange", "size 257 is not within 1 to 256 (MAX_EXCHANGE_SIZE)"},
        {"change exchange_3@NODE3 --third 0x40000000", "ZYN_ChangeStaticExchangeParams",
         "thirdNumber 1073741824 is not within 1 to 1073741823"},
        {"change exchange_3@NODE3 --option P=5533", "ZYN_ChangeStaticExchangeParams",
         "pValue 5533 is neither 0 nor within 5500 to 5532"},
    };
    for (const OutOfBounds& row : rows)
        expectRefused(row.arguments,
                      std::string(row.function) + ": -11 a parameter is outside its bounds: " + row.field);
    EXPECT_TRUE(contains(jsonOf("params --json"), "\"224.0.7.2\""));

    const std::string shown = jsonOf("show exchange_3@NODE3 --json");
    EXPECT_TRUE(contains(shown, "\"size\": 32"));
    EXPECT_TRUE(contains(shown, "\"flags\": \"MT\""));
    EXPECT_TRUE(contains(shown, "\"p\": 5510"));

    EXPECT_EQ(zynctl("delete exchange_3@node3").exitCode, 0u);
    EXPECT_TRUE(contains(jsonOf("list --json"), "\"count\": 0"));
}

// ---------------------------------------------------------------------------------------------
// doctor

// The status word that starts the line of `check` in doctor's text ("ok", "warning", "failed").
std::string doctorStatus(const std::string& out, const std::string& check) {
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = std::min(out.find('\n', start), out.size());
        const std::string line = out.substr(start, end - start);
        const size_t word = line.find_first_not_of(' ', line.find(' '));
        if (word != std::string::npos && line.compare(word, check.size() + 1, check + " ") == 0)
            return line.substr(0, line.find(' '));
        start = end + 1;
    }
    return "(no line for " + check + ")";
}

// This user's VirtualStore copy of zyn.ini, as UAC makes it for a virtualised program that
// writes zyn.ini; the folders it had to create go with it.
class VirtualStoreCopy {
public:
    VirtualStoreCopy() {
        char localAppData[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", localAppData, sizeof localAppData);
        EXPECT_TRUE(length > 0 && length < sizeof localAppData);
        const std::string ini = zynIniPath();
        path_ = std::string(localAppData) + "\\VirtualStore" + ini.substr(ini.find(':') + 1);
        for (size_t at = length + 1; (at = path_.find('\\', at)) != std::string::npos; ++at) {
            const std::string folder = path_.substr(0, at);
            if (CreateDirectoryA(folder.c_str(), nullptr)) created_.push_back(folder);
        }
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << path_;
        CloseHandle(file);
    }
    ~VirtualStoreCopy() {
        DeleteFileA(path_.c_str());
        for (auto folder = created_.rbegin(); folder != created_.rend(); ++folder)
            RemoveDirectoryA(folder->c_str());
    }
    VirtualStoreCopy(const VirtualStoreCopy&) = delete;
    VirtualStoreCopy& operator=(const VirtualStoreCopy&) = delete;

private:
    std::string path_;
    std::vector<std::string> created_;
};

// "Max Exchange Size" set in the 32-bit view only, as a 32-bit setup program leaves it for
// 64-bit programs that read their own view; the keys it created go with it.
class SettingInOneView {
public:
    SettingInOneView() {
        vendorKeyExisted_ = keyExists(kVendorKey, KEY_WOW64_32KEY);
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const zyn::win32::RegistryKey settings(key);
        const DWORD size = 512;
        EXPECT_EQ(RegSetValueExA(settings.get(), kMaxExchangeSize, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size),
                                 sizeof size),
                  ERROR_SUCCESS);
    }
    ~SettingInOneView() {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_32KEY, 0);
        if (!vendorKeyExisted_) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, KEY_WOW64_32KEY, 0);
    }
    SettingInOneView(const SettingInOneView&) = delete;
    SettingInOneView& operator=(const SettingInOneView&) = delete;

private:
    bool vendorKeyExisted_ = false;
};

enum class Breakage { None, VirtualStoreCopy, SettingInOneView };

// A set-up in which the library does not work (or works with a trap), and the line that says so.
struct DoctorCase {
    const char* label;
    std::optional<std::string> service; // the installed service's switches; nothing: none installed
    bool started;
    Breakage breakage;
    const char* check;
    const char* status;
    DWORD exitCode;
};

const DoctorCase kDoctorCases[] = {
    {"NoService", std::nullopt, false, Breakage::None, "service", "failed", kExitFailure},
    {"StoppedService", "", false, Breakage::None, "service", "failed", kExitFailure},
    // Clients get FILE_MAP_READ on the section and SYNCHRONIZE on the mutexes.
    {"ReadOnlySection", "--security=read-only", true, Breakage::None, "section", "failed", kExitFailure},
    {"VirtualStoreCopy", "", true, Breakage::VirtualStoreCopy, "virtualstore", "warning", 0},
    {"RegistryViewsDiffer", "", true, Breakage::SettingInOneView, "registry", "warning", 0},
};

// gtest prints a failing row by its label rather than its bytes.
void PrintTo(const DoctorCase& row, std::ostream* out) { *out << row.label; }

class ZynctlDoctorTest : public ZynctlTest, public ::testing::WithParamInterface<DoctorCase> {};

TEST_P(ZynctlDoctorTest, NamesWhatKeepsTheLibraryFromWorking) {
    const DoctorCase& row = GetParam();
    writeIni(kFixedLayoutIni);
    if (row.service) {
        ReferenceService& service = installService(*row.service);
        if (row.started) service.start();
    }
    std::optional<VirtualStoreCopy> copy;
    std::optional<SettingInOneView> setting;
    if (row.breakage == Breakage::VirtualStoreCopy) copy.emplace();
    if (row.breakage == Breakage::SettingInOneView) setting.emplace();

    const ConsoleRun run = zynctl("doctor");
    EXPECT_EQ(doctorStatus(run.out, row.check), row.status) << run.out;
    EXPECT_EQ(run.exitCode, row.exitCode) << run.out;
}

INSTANTIATE_TEST_SUITE_P(SetUps, ZynctlDoctorTest, ::testing::ValuesIn(kDoctorCases),
                         [](const ::testing::TestParamInfo<DoctorCase>& info) { return info.param.label; });

// Wine runs every program elevated, which doctor warns of: its answers are what an
// administrator may do. Every other check passes, and nothing is left changed.
TEST_F(ZynctlTest, DoctorFindsNothingWrongWithARunningService) {
    writeIni(kFixedLayoutIni);
    installService().start();
    const std::string before = zynIniBytes();

    const ConsoleRun run = zynctl("doctor");
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    for (const char* check : {"service", "section", "mutexes", "zyn.ini", "virtualstore", "registry", "query"})
        EXPECT_EQ(doctorStatus(run.out, check), "ok") << run.out;
    EXPECT_EQ(doctorStatus(run.out, "elevation"), "warning") << run.out;
    EXPECT_TRUE(contains(run.out, "3 of 3 exchange mutexes open"));
    EXPECT_TRUE(contains(run.out, "the service answered: 3 exchanges"));

    const std::string json = jsonOf("doctor --json");
    EXPECT_TRUE(contains(json, "\"failed\": 0"));
    EXPECT_TRUE(contains(json, "\"warnings\": 1"));
    EXPECT_EQ(zynIniBytes(), before);
    EXPECT_FALSE(fileExists(windowsDirectoryFile("__zyntmp.ini")));
}

} // namespace
