// editing_test.cpp - what the editing operations leave in zyn.ini, byte for byte: the written
// form of an addition, a deletion that takes out exactly one line, a change that moves its line
// to the end, a parameter setting that rewrites the header alone, and the scratch file after
// each. Then the same file edited by several processes at once, and by a process killed in the
// middle of its rewrites.
#include "exchange_def_builder.h"
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/churn_lines.h"
#include "support/clean_machine.h"
#include "support/config_editor_process.h"
#include "support/config_editor_protocol.h"
#include "peer/peer_protocol.h"
#include "support/loaded_library.h"
#include "support/peer_process.h"
#include "support/test_paths.h"
#include "support/zyn_ini.h"
#include "trvzyn32.h"

namespace {

using zyn::test_support::exchangeDef;

using namespace zyn::test;
using namespace std::string_literals;
namespace editor = zyn::editor;
using Clock = std::chrono::steady_clock;

std::string scratchPath() { return windowsDirectoryFile("__zyntmp.ini"); }
std::string scratchBytes() { return fileBytes(scratchPath()); }

// Puts `text` in place of zyn.ini, in text mode, as an editor on the system would.
void writeZynIni(std::string_view text) {
    std::FILE* file = std::fopen(zynIniPath().c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

// The names of the files in the Windows directory.
std::set<std::string> windowsDirectoryFiles() {
    std::set<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(windowsDirectoryFile("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The files that have appeared in the Windows directory since `before` was taken, other than
// zyn.ini and the scratch file; they are removed, so that one test's leftovers do not count in
// the next.
std::vector<std::string> filesLeftBehind(const std::set<std::string>& before) {
    std::vector<std::string> names;
    for (const std::string& name : windowsDirectoryFiles()) {
        if (before.count(name) != 0 || name == "zyn.ini" || name == "__zyntmp.ini") continue;
        names.push_back(name);
        DeleteFileA(windowsDirectoryFile(name.c_str()).c_str());
    }
    return names;
}

std::string firstOf(const std::vector<std::string>& names) { return names.empty() ? "" : names.front(); }

// `text` with its line ends as the C library writes them in text mode: CR LF.
std::string onDisk(std::string_view text) {
    std::string bytes;
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

// `text` without the first occurrence of `line` (which includes its line end), or with only
// that line end left in its place.
std::string withoutLine(std::string_view text, std::string_view line, bool keepLineEnd = false) {
    std::string result(text);
    const size_t at = result.find(line);
    if (at == std::string::npos) return "(line not in the text: " + std::string(line) + ")";
    result.replace(at, line.size(), keepLineEnd ? "\n" : "");
    return result;
}

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

ServiceConfigParams params(std::initializer_list<const char*> addresses, uint32_t maxExchangeSize,
                           uint32_t maxStaticExchanges, uint32_t maxDynamicExchanges, int32_t exchMap) {
    ServiceConfigParams result{};
    size_t i = 0;
    for (const char* address : addresses)
        std::strncpy(result.multicast[i++], address, ZYN_MULTICAST_TEXT_SIZE - 1);
    result.maxExchangeSize = maxExchangeSize;
    result.maxStaticExchanges = maxStaticExchanges;
    result.maxDynamicExchanges = maxDynamicExchanges;
    result.exchMap = exchMap;
    return result;
}

// The worked example: exchange 5, size 100, third number 200, NODE1, GROUP, flags 7, P 5500, id 12.
const ExchangeDef kWorkedExample = exchangeDef(5, 100, 200, "NODE1", "GROUP", 7, 5500, 12);
constexpr char kWorkedExampleLine[] = "\r\n5\t100\t200\tNODE1\tGROUP\tT,M,S,P=5500,E=12";

// The test process's own copy of the library, with the exports the editing tests call.
struct Library {
    LoadedLibrary loaded;

    int32_t add(const ExchangeDef& def) const { return ZYN_EXPORT(loaded, ZYN_AddStaticExchange)(def); }
    int32_t remove(char* name) const { return ZYN_EXPORT(loaded, ZYN_DeleteStaticExchange)(name); }
    int32_t remove(const char* name) const {
        std::string writable(name);
        return remove(writable.data());
    }
    int32_t change(const ExchangeDef& def) const { return ZYN_EXPORT(loaded, ZYN_ChangeStaticExchangeParams)(def); }
    int32_t setParams(const ServiceConfigParams& params) const {
        return ZYN_EXPORT(loaded, ZYN_SetServiceConfigParams)(params);
    }
    int32_t count() const { return ZYN_EXPORT(loaded, ZYN_GetNumberOfExchangesFromConfigFile)(); }
    std::vector<ExchangeDef> all() const {
        const int32_t n = count();
        std::vector<ExchangeDef> records(static_cast<size_t>(std::max(n, 0)) + 1);
        if (n <= 0 || ZYN_EXPORT(loaded, ZYN_GetAllExchangesFromConfigFile)(records.data()) != ZYN_OK) return {};
        records.resize(static_cast<size_t>(n));
        return records;
    }
};

// A file such as one written by hand: comments, the keys, definitions, and a line end after
// the last line.
constexpr char kEditedIni[] = "; zyn.ini of the editing scenarios\n"
                              "MAX_EXCHANGE_SIZE = 400\n"
                              "MAX_STATIC_EXCHANGES = 64\n"
                              "MAX_DYNAMIC_EXCHANGES = 8\n"
                              "EXCH_MAP = 0\n"
                              "[EXCHANGE_DEFS]\n"
                              "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
                              "# a comment among the definitions\n"
                              "2\t8\t1\tNODE2\tGROUP\tT,M,E=2\n";
constexpr char kLine1[] = "1\t100\t1\tNODE1\tGROUP\tM,E=1\n";
constexpr char kLine2[] = "2\t8\t1\tNODE2\tGROUP\tT,M,E=2\n";

using EditedFileTest = CleanMachineTest;

// ---------------------------------------------------------------------------------------------
// Addition

TEST_F(EditedFileTest, FirstAdditionCreatesTheFileWithTheMarker) {
    Library library;
    ASSERT_EQ(library.add(kWorkedExample), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), std::string("[EXCHANGE_DEFS]") + kWorkedExampleLine);
    EXPECT_EQ(scratchBytes(), "");
    EXPECT_EQ(library.count(), 1);
    // The new file has no keys: the parameters are the defaults.
    ServiceConfigParams params{};
    EXPECT_EQ(ZYN_EXPORT(library.loaded, ZYN_GetServiceConfigParams)(&params), 0);
    EXPECT_EQ(params.maxExchangeSize, 1024u);
    EXPECT_EQ(params.maxStaticExchanges, 512u);
    EXPECT_EQ(params.maxDynamicExchanges, 256u);

    // The next addition starts its own line; deleting the only other one leaves the marker line.
    ASSERT_EQ(library.add(exchangeDef(6, 8, 1, "NODE2", "GROUP", 1, 0, 6)), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), std::string("[EXCHANGE_DEFS]") + kWorkedExampleLine + "\r\n6\t8\t1\tNODE2\tGROUP\tM,E=6");
    ASSERT_EQ(library.remove("exchange_6@NODE2"), ZYN_OK);
    ASSERT_EQ(library.remove("exchange_12@NODE1"), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), "[EXCHANGE_DEFS]\r\n");
    EXPECT_EQ(scratchBytes(), "");
    EXPECT_EQ(library.count(), 0);
}

TEST_F(EditedFileTest, WorkedExampleAppendsExactlyItsLine) {
    ZynIni ini(kEditedIni);
    const std::string before = zynIniBytes();
    Library library;
    ASSERT_EQ(library.add(kWorkedExample), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), before + kWorkedExampleLine);
    EXPECT_EQ(scratchBytes(), "");
}

struct WrittenFormCase {
    const char* name;
    ExchangeDef definition;
    const char* line; // as appended, after its leading line end
};

class WrittenFormTest : public CleanMachineTest, public ::testing::WithParamInterface<WrittenFormCase> {};

TEST_P(WrittenFormTest, AdditionAppendsTheLineAndReadsItBack) {
    const WrittenFormCase& row = GetParam();
    ZynIni ini(kEditedIni);
    Library library;
    ASSERT_EQ(library.add(row.definition), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(kEditedIni) + "\r\n" + row.line);
    EXPECT_EQ(scratchBytes(), "");

    // The reload read the line back into the fields it came from, as the loader holds them.
    const std::vector<ExchangeDef> records = library.all();
    ASSERT_EQ(records.size(), 3u);
    const ExchangeDef& back = records.back();
    EXPECT_EQ(back.exchangeNumber, row.definition.exchangeNumber);
    EXPECT_EQ(back.size, row.definition.size);
    EXPECT_EQ(back.thirdNumber, row.definition.thirdNumber);
    EXPECT_EQ(back.producer, upperCase(row.definition.producer));
    EXPECT_EQ(back.destination, upperCase(row.definition.destination));
    EXPECT_EQ(back.flags, (row.definition.flags & 6u) | 1u);
    EXPECT_EQ(back.pValue, row.definition.pValue);
    EXPECT_EQ(back.exchangeId, row.definition.exchangeId);
}

const WrittenFormCase kWrittenForms[] = {
    {"WorkedExample", exchangeDef(5, 100, 200, "NODE1", "GROUP", 7, 5500, 12),
     "5\t100\t200\tNODE1\tGROUP\tT,M,S,P=5500,E=12"},
    {"WithoutOptions", exchangeDef(5, 100, 200, "NODE1", "GROUP", 0, 0, 12), "5\t100\t200\tNODE1\tGROUP\tE=12"},
    {"MutexFlagOnly", exchangeDef(5, 100, 200, "NODE1", "GROUP", 1, 0, 12), "5\t100\t200\tNODE1\tGROUP\tM,E=12"},
    {"TFlagOnly", exchangeDef(5, 100, 200, "NODE1", "GROUP", 2, 0, 12), "5\t100\t200\tNODE1\tGROUP\tT,E=12"},
    {"SFlagAndHighestP", exchangeDef(5, 100, 200, "NODE1", "GROUP", 4, 5532, 12),
     "5\t100\t200\tNODE1\tGROUP\tS,P=5532,E=12"},
    {"LowestP", exchangeDef(5, 100, 200, "NODE1", "GROUP", 1, 5500, 12), "5\t100\t200\tNODE1\tGROUP\tM,P=5500,E=12"},
    {"OtherFlagBitsNotWritten", exchangeDef(5, 100, 200, "NODE1", "GROUP", 0xFFFFFFF9u, 0, 12),
     "5\t100\t200\tNODE1\tGROUP\tM,E=12"},
    {"NegativeExchangeId", exchangeDef(5, 100, 200, "NODE1", "GROUP", 1, 0, -4), "5\t100\t200\tNODE1\tGROUP\tM,E=-4"},
    {"TextsAsGiven", exchangeDef(5, 100, 200, "node7", "group", 1, 0, 12), "5\t100\t200\tnode7\tgroup\tM,E=12"},
    {"LargestValues",
     exchangeDef(64, 400, 1073741823, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", "ABCDEFGHIJKLMNOPQRSTUVWXYZ56789", 7, 5532,
                 2147483647),
     "64\t400\t1073741823\tABCDEFGHIJKLMNOPQRSTUVWXYZ01234\tABCDEFGHIJKLMNOPQRSTUVWXYZ56789\tT,M,S,P=5532,E="
     "2147483647"},
};
INSTANTIATE_TEST_SUITE_P(Definitions, WrittenFormTest, ::testing::ValuesIn(kWrittenForms),
                         [](const ::testing::TestParamInfo<WrittenFormCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Deletion

// Lines that differ only where the deletion must tell them apart: producers that contain one
// another with the same exchange id, and an exchange number that two lines share.
constexpr char kDeletionIni[] = "; zyn.ini of the deletion scenarios\n"
                                "MAX_EXCHANGE_SIZE = 400\n"
                                "MAX_STATIC_EXCHANGES = 64\n"
                                "EXCH_MAP = 0\n"
                                "[EXCHANGE_DEFS]\n"
                                "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
                                "# a comment among the definitions\n"
                                "2\t8\t1\tNODE2\tGROUP\tT,M,E=2\n"
                                "3\t16\t1\tNODE1\tGROUP\tM,E=12\n"
                                "4\t16\t1\tNODE12\tGROUP\tM,E=12\n"
                                "4\t32\t1\tNODE4\tGROUP\tM,E=40\n"
                                "6\t24\t1\tNODE6\tGROUP\tS,M,P=5510,E=6\n"
                                "\n"
                                "# the end of the definitions\n";

struct DeletionCase {
    const char* name;
    const char* exchangeName;
    const char* removedLine;
    bool leavesEmptyLine; // the first definition leaves its line end behind
};

class DeletionTest : public CleanMachineTest, public ::testing::WithParamInterface<DeletionCase> {};

TEST_P(DeletionTest, RemovesExactlyTheDesignatedLine) {
    const DeletionCase& row = GetParam();
    ZynIni ini(kDeletionIni);
    Library library;
    ASSERT_EQ(library.count(), 6);
    std::string name(row.exchangeName);
    ASSERT_EQ(library.remove(name.data()), ZYN_OK);
    EXPECT_EQ(name, upperCase(row.exchangeName)) << "the caller's name is upper-cased in place";
    EXPECT_EQ(zynIniBytes(), onDisk(withoutLine(kDeletionIni, row.removedLine, row.leavesEmptyLine)));
    EXPECT_EQ(scratchBytes(), "");
    EXPECT_EQ(library.count(), 5);
}

const DeletionCase kDeletions[] = {
    {"FirstDefinition", "exchange_1@node1", "1\t100\t1\tNODE1\tGROUP\tM,E=1\n", true},
    {"DefinitionAfterAComment", "exchange_2@NODE2", "2\t8\t1\tNODE2\tGROUP\tT,M,E=2\n", false},
    {"ProducerContainingAnEarlierOne", "exchange_12@NODE12", "4\t16\t1\tNODE12\tGROUP\tM,E=12\n", false},
    {"ProducerContainedInALaterOne", "exchange_12@NODE1", "3\t16\t1\tNODE1\tGROUP\tM,E=12\n", false},
    {"SecondLineWithAnExchangeNumber", "exchange_40@node4", "4\t32\t1\tNODE4\tGROUP\tM,E=40\n", false},
    {"LastDefinitionBeforeBlankAndComment", "exchange_6@NODE6", "6\t24\t1\tNODE6\tGROUP\tS,M,P=5510,E=6\n", false},
};
INSTANTIATE_TEST_SUITE_P(Lines, DeletionTest, ::testing::ValuesIn(kDeletions),
                         [](const ::testing::TestParamInfo<DeletionCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Change

TEST_F(EditedFileTest, ChangeMovesTheLineToTheEnd) {
    ZynIni ini(kEditedIni);
    Library library;
    // The exchange id and the producer select the definition; every other field may change.
    ASSERT_EQ(library.change(exchangeDef(7, 50, 9, "NODE2", "OTHERS", 7, 5520, 2)), ZYN_OK);
    const std::string moved = onDisk(withoutLine(kEditedIni, kLine2)) + "\r\n7\t50\t9\tNODE2\tOTHERS\tT,M,S,P=5520,E=2";
    EXPECT_EQ(zynIniBytes(), moved);
    EXPECT_EQ(scratchBytes(), "");
    EXPECT_EQ(library.count(), 2);

    // Changed again, the last line is replaced by a new last line.
    ASSERT_EQ(library.change(exchangeDef(7, 60, 9, "node2", "OTHERS", 0, 0, 2)), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(withoutLine(kEditedIni, kLine2)) + "\r\n7\t60\t9\tnode2\tOTHERS\tE=2");
    EXPECT_EQ(scratchBytes(), "");
    const std::vector<ExchangeDef> records = library.all();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].size, 60u);
    EXPECT_STREQ(records[1].producer, "NODE2");
}

// ---------------------------------------------------------------------------------------------
// Edits that are refused touch nothing

struct RefusedEditCase {
    const char* name;
    int32_t (*edit)(const Library&);
    int32_t result;
};

class RefusedEditTest : public CleanMachineTest, public ::testing::WithParamInterface<RefusedEditCase> {};

TEST_P(RefusedEditTest, LeavesFileAndScratchFileAlone) {
    const RefusedEditCase& row = GetParam();
    ZynIni ini(kEditedIni);
    Library library;
    EXPECT_EQ(row.edit(library), row.result);
    EXPECT_EQ(zynIniBytes(), onDisk(kEditedIni));
    EXPECT_EQ(scratchBytes(), kNoFile);
    EXPECT_EQ(library.count(), 2);
}

const RefusedEditCase kRefusedEdits[] = {
    {"AdditionOfExchangeNumberZero",
     [](const Library& l) { return l.add(exchangeDef(0, 8, 1, "NODE7", "GROUP", 1, 0, 7)); }, ZYN_E_PARAMETER},
    {"AdditionBeyondMaxStaticExchanges",
     [](const Library& l) { return l.add(exchangeDef(65, 8, 1, "NODE7", "GROUP", 1, 0, 7)); }, ZYN_E_PARAMETER},
    {"AdditionBeyondMaxExchangeSize",
     [](const Library& l) { return l.add(exchangeDef(7, 401, 1, "NODE7", "GROUP", 1, 0, 7)); }, ZYN_E_PARAMETER},
    {"AdditionWithPBelowItsRange",
     [](const Library& l) { return l.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 5499, 7)); }, ZYN_E_PARAMETER},
    {"AdditionOfATakenExchangeId",
     [](const Library& l) { return l.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 2)); }, ZYN_E_DUPLICATE},
    {"DeletionOfAnUnknownName", [](const Library& l) { return l.remove("exchange_77@NODE1"); }, ZYN_E_NOT_FOUND},
    {"DeletionOfANameWithoutAt", [](const Library& l) { return l.remove("exchange_1"); }, ZYN_E_NOT_FOUND},
    {"ChangeOfAnUnknownExchange",
     [](const Library& l) { return l.change(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 7)); }, ZYN_E_NOT_FOUND},
    {"ChangeToAnOversizedDefinition",
     [](const Library& l) { return l.change(exchangeDef(2, 401, 1, "NODE2", "GROUP", 1, 0, 2)); }, ZYN_E_PARAMETER},
};
INSTANTIATE_TEST_SUITE_P(Edits, RefusedEditTest, ::testing::ValuesIn(kRefusedEdits),
                         [](const ::testing::TestParamInfo<RefusedEditCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// A rewrite that cannot complete leaves zyn.ini as it was

// The scratch file's name taken by a folder: no new content can be written there.
class BlockedScratchFile {
public:
    BlockedScratchFile() {
        if (!CreateDirectoryA(scratchPath().c_str(), nullptr)) throwLastError("CreateDirectoryA " + scratchPath());
    }
    ~BlockedScratchFile() { RemoveDirectoryA(scratchPath().c_str()); }
};

struct FailedRewriteCase {
    const char* name;
    int32_t (*edit)(const Library&);
};

class FailedRewriteTest : public CleanMachineTest, public ::testing::WithParamInterface<FailedRewriteCase> {};

TEST_P(FailedRewriteTest, LeavesZynIniUnchanged) {
    ZynIni ini(kEditedIni);
    Library library;
    {
        BlockedScratchFile blocked;
        EXPECT_EQ(GetParam().edit(library), ZYN_E_FAILED);
        EXPECT_EQ(zynIniBytes(), onDisk(kEditedIni));
    }
    // Once the scratch file can be written again, editing works again.
    EXPECT_EQ(library.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 7)), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(kEditedIni) + "\r\n7\t8\t1\tNODE7\tGROUP\tM,E=7");
}

// zyn.ini held open by another program that takes no mutex (a viewer, a backup tool), sharing
// reading and writing but not deletion: no new content can take its place while it is open.
class HeldOpenZynIni {
public:
    // Shares reading only: neither a rename over the file nor a copy into it can take place.
    HeldOpenZynIni()
        : file_(CreateFileA(zynIniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!file_) throwLastError("CreateFileA " + zynIniPath());
    }
    void close() { file_.reset(); }

private:
    zyn::win32::KernelHandle file_;
};

TEST_F(EditedFileTest, ReplacementThatFailsLeavesZynIniUnchanged) {
    ZynIni ini(kEditedIni);
    Library library;
    const std::set<std::string> filesBefore = windowsDirectoryFiles();
    {
        HeldOpenZynIni held;
        EXPECT_EQ(library.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 7)), ZYN_E_FAILED);
        EXPECT_EQ(zynIniBytes(), onDisk(kEditedIni));
        EXPECT_EQ(scratchBytes(), kNoFile) << "a rewrite that did not take place leaves no scratch file";
    }
    const std::vector<std::string> leftBehind = filesLeftBehind(filesBefore);
    EXPECT_EQ(leftBehind.size(), 0u) << "files the failed rewrite left in the Windows directory, e.g. "
                                     << firstOf(leftBehind);
    EXPECT_EQ(library.count(), 2);
}

// Another program reads zyn.ini through the C library the whole time: the rename over it is
// refused, and the new content is copied back over the file in place.
TEST_F(EditedFileTest, FileHeldOpenByAReaderIsRewrittenInPlace) {
    ZynIni ini(kEditedIni);
    Library library;
    PeerProcess reader("hold-open " + zynIniPath() + " 2500");
    ASSERT_EQ(reader.readLine(), zyn::peer::kHeldLine);
    EXPECT_EQ(library.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 7)), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(kEditedIni) + "\r\n7\t8\t1\tNODE7\tGROUP\tM,E=7");
    EXPECT_EQ(library.count(), 3);
    EXPECT_EQ(reader.wait(), static_cast<DWORD>(zyn::peer::kPeerOk));
}

// The system's text mode reads no further than a Ctrl-Z and its string functions no further
// than a NUL; a rewrite keeps both, and every byte around them, where they stand.
TEST_F(EditedFileTest, NulAndCtrlZSurviveARewrite) {
    const std::string seen = "; h\n[EXCHANGE_DEFS]\n1\t10\t1\tA\tX\tM,E=1\n# c"s + '\0' + "d\n";
    const std::string unseen = "\x1A\n2\t10\t1\tB\tX\tM,E=2\n";
    ZynIni ini(seen + unseen);
    Library library;
    ASSERT_EQ(library.count(), 1) << "the loader stops at the Ctrl-Z";
    EXPECT_EQ(library.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 7)), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(seen) + "\r\n7\t8\t1\tNODE7\tGROUP\tM,E=7\r\n" + onDisk(unseen));
    EXPECT_EQ(library.count(), 2);
}

// A program that holds zyn.ini open for a moment only delays the rewrite.
TEST_F(EditedFileTest, ReplacementWaitsForABriefHolderToLetGo) {
    ZynIni ini(kEditedIni);
    Library library;
    const std::set<std::string> filesBefore = windowsDirectoryFiles();
    HeldOpenZynIni held;
    std::thread holder([&held] {
        Sleep(300);
        held.close();
    });
    EXPECT_EQ(library.remove("exchange_2@NODE2"), ZYN_OK);
    holder.join();
    EXPECT_EQ(zynIniBytes(), onDisk(withoutLine(kEditedIni, kLine2)));
    EXPECT_EQ(scratchBytes(), "");
    const std::vector<std::string> leftBehind = filesLeftBehind(filesBefore);
    EXPECT_EQ(leftBehind.size(), 0u) << "files the delayed rewrite left in the Windows directory, e.g. "
                                     << firstOf(leftBehind);
}

const FailedRewriteCase kFailedRewrites[] = {
    {"Addition", [](const Library& l) { return l.add(exchangeDef(7, 8, 1, "NODE7", "GROUP", 1, 0, 7)); }},
    {"Deletion", [](const Library& l) { return l.remove("exchange_2@NODE2"); }},
    {"Change", [](const Library& l) { return l.change(exchangeDef(2, 50, 1, "NODE2", "GROUP", 1, 0, 2)); }},
    {"ParameterSetting", [](const Library& l) { return l.setParams(params({"224.0.7.3"}, 400, 64, 8, 0)); }},
};
INSTANTIATE_TEST_SUITE_P(Edits, FailedRewriteTest, ::testing::ValuesIn(kFailedRewrites),
                         [](const ::testing::TestParamInfo<FailedRewriteCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Parameter setting

struct ParameterSettingCase {
    const char* name;
    const char* initial; // nullptr: no zyn.ini
    ServiceConfigParams params;
    const char* expected;
};

class ParameterSettingTest : public CleanMachineTest, public ::testing::WithParamInterface<ParameterSettingCase> {};

TEST_P(ParameterSettingTest, RewritesTheHeaderAndKeepsTheRest) {
    const ParameterSettingCase& row = GetParam();
    std::unique_ptr<ZynIni> ini;
    if (row.initial != nullptr) ini = std::make_unique<ZynIni>(row.initial);
    Library library;
    ASSERT_EQ(library.setParams(row.params), ZYN_OK);
    const std::string written = zynIniBytes();
    EXPECT_EQ(written, onDisk(row.expected));
    // The scratch file keeps a copy of the new file until the next edit.
    EXPECT_EQ(scratchBytes(), written);

    ServiceConfigParams reported{};
    EXPECT_EQ(ZYN_EXPORT(library.loaded, ZYN_GetServiceConfigParams)(&reported), row.params.exchMap);
    EXPECT_EQ(std::memcmp(&reported, &row.params, sizeof reported), 0) << "the new values are in force at once";
}

const ParameterSettingCase kParameterSettings[] = {
    {"HandWrittenFile",
     "; zyn.ini of this machine\n"
     "# the keys follow\n"
     "\n"
     "multicast = 224.0.7.9\n" // not a key line when written in lower case
     "MULTICAST = 224.0.7.1\n"
     "MAX_EXCHANGE_SIZE = 200\n"
     "# a comment among the keys\n"
     "CONSUMEALL\n"
     "MAX_STATIC_EXCHANGES = 16\n"
     "[EXCHANGE_DEFS]\n"
     "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
     "# a comment among the definitions\n"
     "2\t8\t1\tNODE2\tGROUP\tM,E=2\n",
     params({"224.0.7.5", "224.0.7.32"}, 1400, 1000, 64, 1),
     "; zyn.ini of this machine\n"
     "# the keys follow\n"
     "\n"
     "multicast = 224.0.7.9\n"
     "\n"
     "MULTICAST = 224.0.7.5\n"
     "MULTICAST = 224.0.7.32\n"
     "MAX_EXCHANGE_SIZE = 1400\n"
     "MAX_STATIC_EXCHANGES = 1000\n"
     "MAX_DYNAMIC_EXCHANGES = 64\n"
     "EXCH_MAP = 1\n"
     "[EXCHANGE_DEFS]\n"
     "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
     "# a comment among the definitions\n"
     "2\t8\t1\tNODE2\tGROUP\tM,E=2\n"},
    {"FileAnAdditionCreated", "[EXCHANGE_DEFS]\n5\t100\t200\tNODE1\tGROUP\tT,M,S,P=5500,E=12",
     params({}, 1024, 512, 256, 0),
     "\n"
     "MAX_EXCHANGE_SIZE = 1024\n"
     "MAX_STATIC_EXCHANGES = 512\n"
     "MAX_DYNAMIC_EXCHANGES = 256\n"
     "EXCH_MAP = 0\n"
     "[EXCHANGE_DEFS]\n"
     "5\t100\t200\tNODE1\tGROUP\tT,M,S,P=5500,E=12"},
    {"IndentedKeys",
     "# head\n"
     "  \tMAX_EXCHANGE_SIZE = 200\n"
     "[EXCHANGE_DEFS]\n"
     "1\t100\t1\tNODE1\tGROUP\tM,E=1\n",
     params({"224.0.7.1"}, 300, 40, 8, 0),
     "# head\n"
     "\n"
     "MULTICAST = 224.0.7.1\n"
     "MAX_EXCHANGE_SIZE = 300\n"
     "MAX_STATIC_EXCHANGES = 40\n"
     "MAX_DYNAMIC_EXCHANGES = 8\n"
     "EXCH_MAP = 0\n"
     "[EXCHANGE_DEFS]\n"
     "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"},
    {"FileWithoutMarker", "# head\nMAX_EXCHANGE_SIZE = 200\nEXCH_MAP = 1\n# dropped with the keys\n",
     params({}, 300, 40, 8, 0),
     "# head\n"
     "\n"
     "MAX_EXCHANGE_SIZE = 300\n"
     "MAX_STATIC_EXCHANGES = 40\n"
     "MAX_DYNAMIC_EXCHANGES = 8\n"
     "EXCH_MAP = 0\n"
     "[EXCHANGE_DEFS]\n"},
    {"FileWithoutKeys", "; nothing but a comment\n", params({}, 300, 40, 8, 0),
     "; nothing but a comment\n"
     "\n"
     "MAX_EXCHANGE_SIZE = 300\n"
     "MAX_STATIC_EXCHANGES = 40\n"
     "MAX_DYNAMIC_EXCHANGES = 8\n"
     "EXCH_MAP = 0\n"
     "[EXCHANGE_DEFS]\n"},
    {"NoFile", nullptr, params({"224.0.7.1"}, 300, 40, 8, 0),
     "\n"
     "MULTICAST = 224.0.7.1\n"
     "MAX_EXCHANGE_SIZE = 300\n"
     "MAX_STATIC_EXCHANGES = 40\n"
     "MAX_DYNAMIC_EXCHANGES = 8\n"
     "EXCH_MAP = 0\n"
     "[EXCHANGE_DEFS]\n"},
};
INSTANTIATE_TEST_SUITE_P(Files, ParameterSettingTest, ::testing::ValuesIn(kParameterSettings),
                         [](const ::testing::TestParamInfo<ParameterSettingCase>& info) { return info.param.name; });

TEST_F(EditedFileTest, RepeatedSettingKeepsOneEmptyLineAndAnAdditionEmptiesTheScratchFile) {
    ZynIni ini("; head\nMAX_EXCHANGE_SIZE = 200\n[EXCHANGE_DEFS]\n1\t100\t1\tNODE1\tGROUP\tM,E=1");
    Library library;
    const ServiceConfigParams values = params({"224.0.7.2"}, 300, 40, 8, 0);
    constexpr char kKeys[] = "\nMULTICAST = 224.0.7.2\nMAX_EXCHANGE_SIZE = 300\nMAX_STATIC_EXCHANGES = 40\n"
                             "MAX_DYNAMIC_EXCHANGES = 8\nEXCH_MAP = 0\n[EXCHANGE_DEFS]\n1\t100\t1\tNODE1\tGROUP\tM,E=1";
    ASSERT_EQ(library.setParams(values), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(std::string("; head\n") + kKeys));
    // The empty line the first setting wrote before the keys stands for the next one's too.
    ASSERT_EQ(library.setParams(values), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(std::string("; head\n") + kKeys));
    EXPECT_EQ(scratchBytes(), zynIniBytes());

    ASSERT_EQ(library.add(exchangeDef(2, 8, 1, "NODE2", "GROUP", 1, 0, 2)), ZYN_OK);
    EXPECT_EQ(zynIniBytes(), onDisk(std::string("; head\n") + kKeys + "\n2\t8\t1\tNODE2\tGROUP\tM,E=2"));
    EXPECT_EQ(scratchBytes(), "");
}

// ---------------------------------------------------------------------------------------------
// Another process edits the same file between this process's load and its edit

// What the other process (zyn_config_editor.exe with its own copy of the library) does first.
constexpr char kOtherAddsNine[] = "add 9 32 1 NODE9 GROUP 1 0 9";
constexpr char kNineLine[] = "\n9\t32\t1\tNODE9\tGROUP\tM,E=9";

struct CrossProcessCase {
    const char* name;
    const char* otherProcess;
    int32_t (*edit)(const Library&);
    int32_t result;
    std::string expected; // in the form written with "\n"
    int32_t countAfter;   // in this process
};

class CrossProcessEditTest : public CleanMachineTest, public ::testing::WithParamInterface<CrossProcessCase> {};

TEST_P(CrossProcessEditTest, EditWorksOnTheFileAsItStands) {
    const CrossProcessCase& row = GetParam();
    ZynIni ini(kEditedIni);
    Library library; // loads the two definitions of kEditedIni
    ASSERT_EQ(library.count(), 2);
    const ConfigEditorResult other = runConfigEditor(row.otherProcess);
    ASSERT_EQ(other.exitCode, static_cast<DWORD>(editor::kEditorOk)) << other.output;
    ASSERT_EQ(other.output, "3\n") << "the other process's edit";

    EXPECT_EQ(row.edit(library), row.result);
    EXPECT_EQ(zynIniBytes(), onDisk(row.expected));
    EXPECT_EQ(library.count(), row.countAfter);
}

const CrossProcessCase kCrossProcessEdits[] = {
    {"DeletionKeepsALineAddedMeanwhile", kOtherAddsNine, [](const Library& l) { return l.remove("exchange_2@NODE2"); },
     ZYN_OK, withoutLine(kEditedIni, kLine2) + kNineLine, 2},
    {"ChangeKeepsALineAddedMeanwhile", kOtherAddsNine,
     [](const Library& l) { return l.change(exchangeDef(2, 50, 1, "NODE2", "GROUP", 3, 0, 2)); }, ZYN_OK,
     withoutLine(kEditedIni, kLine2) + kNineLine + "\n2\t50\t1\tNODE2\tGROUP\tT,M,E=2", 3},
    {"AdditionRefusesAnIdAddedMeanwhile", kOtherAddsNine,
     [](const Library& l) { return l.add(exchangeDef(10, 16, 1, "NODE10", "GROUP", 1, 0, 9)); }, ZYN_E_DUPLICATE,
     std::string(kEditedIni) + kNineLine, 2},
    {"AdditionRefusesANameAddedMeanwhile", kOtherAddsNine,
     [](const Library& l) { return l.add(exchangeDef(11, 8, 1, "NODE9", "GROUP", 1, 0, 9)); }, ZYN_E_DUPLICATE,
     std::string(kEditedIni) + kNineLine, 2},
    {"AdditionKeepsADeletionMadeMeanwhile", "delete exchange_1@NODE1",
     [](const Library& l) { return l.add(exchangeDef(9, 32, 1, "NODE9", "GROUP", 1, 0, 9)); }, ZYN_OK,
     withoutLine(kEditedIni, kLine1, true) + kNineLine, 2},
    {"DeletionOfALineDeletedMeanwhile", "delete exchange_2@NODE2",
     [](const Library& l) { return l.remove("exchange_2@NODE2"); }, ZYN_E_NOT_FOUND, withoutLine(kEditedIni, kLine2),
     2},
};
INSTANTIATE_TEST_SUITE_P(Edits, CrossProcessEditTest, ::testing::ValuesIn(kCrossProcessEdits),
                         [](const ::testing::TestParamInfo<CrossProcessCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Several processes edit at once

constexpr int kEditors = 4;
constexpr int kDefinitionsPerEditor = 50;

std::string churnProducer(int editorIndex) { return "EDITOR" + std::to_string(editorIndex + 1); }
int32_t churnFirstNumber(int editorIndex) { return 100 + editorIndex * kDefinitionsPerEditor; }

using ConcurrentEditingTest = CleanMachineTest;

// Four processes each add 50 definitions of their own and delete every other one, all at once.
// Each rewrite works on the file as it stands under "__ZYN_INIFILE", so what one process writes
// never undoes what another wrote: exactly the 4 x 25 survivors remain, each once.
TEST_F(ConcurrentEditingTest, FourProcessesAddAndDeleteWithoutLosingOrDoublingALine) {
    constexpr char kInitial[] = "; shared by four editors\n"
                                "[EXCHANGE_DEFS]\n"
                                "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
                                "# a comment the editors keep\n";
    ZynIni ini(kInitial);
    {
        // Room for the editors' exchange numbers, written through the library as any program would.
        Library library;
        ASSERT_EQ(library.setParams(params({}, 400, 1000, 8, 0)), ZYN_OK);
    }
    const std::string header = onDisk("; shared by four editors\n"
                                      "\n"
                                      "MAX_EXCHANGE_SIZE = 400\n"
                                      "MAX_STATIC_EXCHANGES = 1000\n"
                                      "MAX_DYNAMIC_EXCHANGES = 8\n"
                                      "EXCH_MAP = 0\n"
                                      "[EXCHANGE_DEFS]\n");
    ASSERT_EQ(zynIniBytes().substr(0, header.size()), header);

    const std::string eventName = "zyn-editing-start-" + std::to_string(GetCurrentProcessId());
    zyn::win32::KernelHandle go(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(go) << "CreateEventA failed, error " << GetLastError();
    std::vector<std::unique_ptr<ConfigEditorProcess>> editors;
    for (int i = 0; i < kEditors; ++i) {
        editors.push_back(std::make_unique<ConfigEditorProcess>(
            "churn " + churnProducer(i) + " " + std::to_string(churnFirstNumber(i)) + " " +
            std::to_string(kDefinitionsPerEditor) + " " + eventName));
    }
    for (auto& process : editors)
        ASSERT_EQ(process->readLine(), editor::kReadyLine);
    const auto start = Clock::now();
    SetEvent(go.get());
    for (int i = 0; i < kEditors; ++i) {
        const std::string output = editors[i]->readToEnd();
        EXPECT_EQ(editors[i]->wait(), static_cast<DWORD>(editor::kEditorOk)) << churnProducer(i) << ":\n" << output;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    // Every line the file should hold, with how often it is there.
    const std::string bytes = zynIniBytes();
    EXPECT_EQ(bytes.substr(0, header.size()), header) << "the header is the editors' to keep";
    std::map<std::string, int> expected;
    expected["1\t100\t1\tNODE1\tGROUP\tM,E=1"] = 1;
    expected["# a comment the editors keep"] = 1;
    for (int i = 0; i < kEditors; ++i) {
        for (int k = 1; k < kDefinitionsPerEditor; k += 2)
            expected[churnLine(churnFirstNumber(i) + k, churnProducer(i))] = 1;
    }
    std::map<std::string, int> found;
    int emptyLines = 0;
    // How often the producer changes from one editor's line to the next: the editors' rewrites
    // took turns rather than running one after another.
    int producerChanges = 0;
    std::string lastProducer;
    for (const std::string& line : linesAfterMarker(bytes)) {
        if (line.empty()) {
            ++emptyLines;
            continue;
        }
        ++found[line];
        const size_t at = line.find("\tEDITOR");
        if (at == std::string::npos) continue;
        const std::string producer = line.substr(at + 1, line.find('\t', at + 1) - at - 1);
        if (!lastProducer.empty() && producer != lastProducer) ++producerChanges;
        lastProducer = producer;
    }
    int survivors = 0;
    for (const auto& [line, times] : found) {
        const auto wanted = expected.find(line);
        if (wanted == expected.end()) {
            ADD_FAILURE() << "a line that should not be there (" << times << " times): " << line;
        } else if (times != 1) {
            ADD_FAILURE() << "a line written " << times << " times: " << line;
        }
        if (wanted != expected.end() && line.find("\tEDITOR") != std::string::npos) survivors += times;
    }
    for (const auto& [line, times] : expected) {
        if (found.find(line) == found.end()) ADD_FAILURE() << "a line lost: " << line;
    }
    std::printf("%d editors x %d additions and %d deletions in %.2f s: %d of %d definitions survive, "
                "the producer changes %d times along them, %d empty lines left by deletions of the first "
                "definition line\n",
                kEditors, kDefinitionsPerEditor, kDefinitionsPerEditor / 2, seconds, survivors,
                kEditors * kDefinitionsPerEditor / 2, producerChanges, emptyLines);
    EXPECT_EQ(survivors, kEditors * kDefinitionsPerEditor / 2);

    // A process that loads the file now sees the same definitions.
    Library fresh;
    EXPECT_EQ(fresh.count(), 1 + kEditors * kDefinitionsPerEditor / 2);
    std::vector<int32_t> ids;
    for (const ExchangeDef& record : fresh.all())
        ids.push_back(record.exchangeId);
    std::sort(ids.begin(), ids.end());
    std::vector<int32_t> expectedIds{1};
    for (int i = 0; i < kEditors; ++i) {
        for (int k = 1; k < kDefinitionsPerEditor; k += 2)
            expectedIds.push_back(editor::churnExchangeId(churnFirstNumber(i) + k));
    }
    std::sort(expectedIds.begin(), expectedIds.end());
    EXPECT_EQ(ids, expectedIds);
}

// ---------------------------------------------------------------------------------------------
// A process killed in the middle of its rewrites

// The file the alternating rewrites work on; the last line is the one that comes and goes.
constexpr char kAlternatingBase[] = "; zyn.ini of the interrupted rewrites\n"
                                    "MAX_EXCHANGE_SIZE = 400\n"
                                    "MAX_STATIC_EXCHANGES = 64\n"
                                    "MAX_DYNAMIC_EXCHANGES = 8\n"
                                    "EXCH_MAP = 0\n"
                                    "[EXCHANGE_DEFS]\n"
                                    "1\t100\t1\tNODE1\tGROUP\tM,E=1\n"
                                    "# a comment among the definitions\n"
                                    "2\t8\t1\tNODE2\tGROUP\tT,M,E=2";
std::string alternatingLine(uint32_t size) { return "\n9\t" + std::to_string(size) + "\t1\tNODE9\tGROUP\tM,E=9"; }

struct InterruptionCase {
    const char* name;
    const char* mode; // of the editor's alternate command
    std::string first;
    std::string second;
};

class InterruptedRewriteTest : public CleanMachineTest, public ::testing::WithParamInterface<InterruptionCase> {};

constexpr int kRewritesPerEditor = 100;
constexpr int kKills = 100;

// The editor makes 100 rewrites, each taking zyn.ini from one of two contents to the other, and
// is killed after a random delay within the time they take. Whenever it dies, zyn.ini holds one
// of the two contents, whole.
TEST_P(InterruptedRewriteTest, KilledEditorLeavesTheOldOrTheNewContent) {
    const InterruptionCase& row = GetParam();
    const std::string first = onDisk(row.first);
    const std::string second = onDisk(row.second);
    ZynIni ini(row.first);
    const std::string arguments = std::string("alternate ") + row.mode + " " + std::to_string(kRewritesPerEditor);

    // Uninterrupted, the rewrites end where they began; the quicker of two runs gives the span
    // the kills fall in.
    long long spanMs = LLONG_MAX;
    for (int run = 0; run < 2; ++run) {
        ConfigEditorProcess process(arguments);
        ASSERT_EQ(process.readLine(), editor::kReadyLine);
        const std::string done = process.readLine();
        ASSERT_EQ(process.wait(), static_cast<DWORD>(editor::kEditorOk)) << done;
        long long ms = 0;
        ASSERT_EQ(std::sscanf(done.c_str(), "done %lld", &ms), 1) << done;
        spanMs = std::min(spanMs, ms);
    }
    ASSERT_EQ(zynIniBytes(), first);
    ASSERT_EQ(scratchBytes(), "");

    const std::set<std::string> filesBefore = windowsDirectoryFiles();
    const unsigned seed = static_cast<unsigned>(GetTickCount());
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delayMs(0, std::max(spanMs, 1LL));
    // What each kill left: zyn.ini whole (old or new), missing or other; and the scratch file
    // empty (between rewrites, or before the new content was flushed), holding the whole new
    // content (between its flush and its taking zyn.ini's place), missing (just after that) or
    // other. The pairs say where in the rewrite the kills landed.
    std::map<std::string, int> outcomes;
    int torn = 0;
    std::string firstTorn;
    int finished = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        ConfigEditorProcess process(arguments);
        ASSERT_EQ(process.readLine(), editor::kReadyLine);
        Sleep(static_cast<DWORD>(delayMs(random)));
        process.kill();
        if (process.wait() == static_cast<DWORD>(editor::kEditorOk)) ++finished;

        const std::string now = zynIniBytes();
        const std::string scratch = scratchBytes();
        const bool whole = now == first || now == second;
        const char* iniState = whole ? "whole" : now == kNoFile ? "missing" : "other";
        const char* scratchState = scratch.empty()                                             ? "empty"
                                   : scratch == kNoFile                                        ? "missing"
                                   : (scratch == first || scratch == second) && scratch != now ? "new content"
                                                                                               : "other";
        ++outcomes[std::string("zyn.ini ") + iniState + ", scratch file " + scratchState];
        if (!whole) {
            if (torn++ == 0) {
                firstTorn = "kill " + std::to_string(kill) + " left zyn.ini " + iniState + ":\n" + now +
                            "\nand the scratch file " + scratchState + ":\n" + scratch;
            }
            writeZynIni(row.first); // the next editor starts from a whole file again
        }
    }
    const std::vector<std::string> leftBehind = filesLeftBehind(filesBefore);
    std::printf("%s: %d kills (seed %u, delays 0..%lld ms), editor finished first %d times:\n", row.name, kKills, seed,
                spanMs, finished);
    for (const auto& [outcome, times] : outcomes)
        std::printf("  %3d x %s\n", times, outcome.c_str());
    std::printf("  %zu files left behind in the Windows directory%s%s\n", leftBehind.size(),
                leftBehind.empty() ? "" : ", e.g. ", firstOf(leftBehind).c_str());
    EXPECT_EQ(torn, 0) << "kills that left zyn.ini neither old nor new (seed " << seed << "); the first:\n"
                       << firstTorn;
    EXPECT_EQ(leftBehind.size(), 0u) << "files the interrupted rewrites left in the Windows directory";
}

const InterruptionCase kInterruptions[] = {
    {"Change", "change", kAlternatingBase + alternatingLine(editor::kAlternatingSizeA),
     kAlternatingBase + alternatingLine(editor::kAlternatingSizeB)},
    {"AdditionAndDeletion", "add-delete", kAlternatingBase,
     kAlternatingBase + alternatingLine(editor::kAlternatingSizeA)},
};
INSTANTIATE_TEST_SUITE_P(Rewrites, InterruptedRewriteTest, ::testing::ValuesIn(kInterruptions),
                         [](const ::testing::TestParamInfo<InterruptionCase>& info) { return info.param.name; });

} // namespace
