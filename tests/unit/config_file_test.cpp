// zyn.ini read as a whole at load: where the header ends and the definitions begin, how lines
// longer than a 127-character read are handled, CR LF files, the definitions text and its
// fit rule, and how many records the exchange table keeps.
#include "library_fixture.h"

#include <cstring>
#include <string>
#include <vector>

#include "config/loader.h"
#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using platform::kServiceStopped;

class ConfigFile : public LibraryTest {
protected:
    void load(const std::string& content) {
        installService(kServiceStopped);
        world().writeIni(content);
        attach();
    }
    const ExchangeDef& record(uint32_t position) {
        const ExchangeDef* def = state().exchangeTable.record(position);
        if (def == nullptr) {
            ADD_FAILURE() << "no record at position " << position;
            static ExchangeDef none{};
            return none;
        }
        return *def;
    }
    std::vector<int32_t> exchangeNumbers() {
        std::vector<int32_t> numbers;
        for (uint32_t i = 0; i < state().exchangeCount; ++i)
            numbers.push_back(record(i).exchangeNumber);
        return numbers;
    }
};

TEST_F(ConfigFile, MarkerAloneGivesDefaultsAndNoExchanges) {
    load("[EXCHANGE_DEFS]");
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(state().exchangeCount, 0u);
    EXPECT_EQ(state().defsTextLength, 0u);
    EXPECT_EQ(state().params.maxExchangeSize, 1024);
    EXPECT_EQ(state().params.maxStaticExchanges, 512);
    EXPECT_EQ(state().params.maxDynamicExchanges, 256u);
    EXPECT_EQ(state().params.exchMap, 0);
    EXPECT_EQ(state().params.multicastCount, 0u);
}

TEST_F(ConfigFile, WrittenFormIsReadBack) {
    // The header and definition lines as the library itself writes them.
    load("\nMULTICAST = 239.255.0.1\nMULTICAST = 239.255.0.2\nMAX_EXCHANGE_SIZE = 2000\nMAX_STATIC_EXCHANGES = 100"
         "\nMAX_DYNAMIC_EXCHANGES = 50\nEXCH_MAP = 0\n[EXCHANGE_DEFS]\n"
         "\n12\t100\t1\tNODE1\tNODE2\tT,M,S,P=5510,E=40"
         "\n13\t2000\t1073741823\tNODE2\tNODE1\tM,E=13");
    EXPECT_EQ(state().params.maxExchangeSize, 2000);
    EXPECT_EQ(state().params.maxStaticExchanges, 100);
    EXPECT_EQ(state().params.maxDynamicExchanges, 50u);
    ASSERT_EQ(state().params.multicastCount, 2u);
    EXPECT_STREQ(state().params.multicast[0], "239.255.0.1");
    EXPECT_STREQ(state().params.multicast[1], "239.255.0.2");
    ASSERT_EQ(state().exchangeCount, 2u);
    EXPECT_EQ(record(0).flags, 7u);
    EXPECT_EQ(record(0).pValue, 5510);
    EXPECT_EQ(record(0).exchangeId, 40);
    EXPECT_EQ(record(1).size, 2000u);
    EXPECT_EQ(record(1).thirdNumber, 1073741823);
    EXPECT_EQ(record(1).flags, 1u);
    EXPECT_EQ(record(1).exchangeId, 13);
    EXPECT_EQ(state().exchangeTable.record(2), nullptr);
}

TEST_F(ConfigFile, HeaderEndsAtTheMarkerKeyAndDefinitionsFollowTheFirstLineContainingIt) {
    const struct {
        const char* name;
        const char* content;
        int32_t exchMap;
        std::vector<int32_t> numbers;
    } cases[] = {
        {"key lines after the marker",
         "MAX_EXCHANGE_SIZE = 300\n[EXCHANGE_DEFS]\nEXCH_MAP = 1\nMAX_EXCHANGE_SIZE = 900\n"
         "1 300 1 a b\n2 301 1 a b\n",
         0,
         {1}},
        {"marker with leading blanks", "  \t[EXCHANGE_DEFS]\nEXCH_MAP = 1\n1 10 1 a b\n", 0, {1}},
        {"marker followed by a blank and text", "[EXCHANGE_DEFS] here\nEXCH_MAP = 1\n1 10 1 a b\n", 0, {1}},
        {"lower-case marker", "EXCH_MAP = 1\n[exchange_defs]\nMAX_STATIC_EXCHANGES = 3\n1 100 1 a b\n", 1, {}},
        {"piece of the marker", "[EXCHANGE\nEXCH_MAP = 1\n1 10 1 a b\n", 0, {}},
        // These lines contain the marker without being the marker key: the header goes on.
        {"marker inside a comment", "# zyn [EXCHANGE_DEFS] follow\nEXCH_MAP = 1\n1 100 1 a b\n", 1, {1}},
        {"marker joined to text", "[EXCHANGE_DEFS]x\nEXCH_MAP = 1\n1 100 1 a b\n", 1, {1}},
        {"marker as a value", "MULTICAST = [EXCHANGE_DEFS]\nEXCH_MAP = 1\n1 100 1 a b\n", 1, {1}},
        {"second marker", "[EXCHANGE_DEFS]\n1 10 1 a b\n[EXCHANGE_DEFS]\n2 10 1 a b", 0, {1, 2}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        core::resetLibraryState();
        load(row.content);
        EXPECT_EQ(state().loaded, 1);
        EXPECT_EQ(state().params.exchMap, row.exchMap);
        EXPECT_EQ(exchangeNumbers(), row.numbers);
        detach();
    }
}

TEST_F(ConfigFile, LinesBeforeTheMarkerAreNoDefinitions) {
    // Before the marker, "1" is read as a key: it selects MULTICAST, with the value "100".
    load("1 100 1 a b\n[EXCHANGE_DEFS]\n2 100 1 a b\n");
    EXPECT_EQ(exchangeNumbers(), std::vector<int32_t>{2});
    ASSERT_EQ(state().params.multicastCount, 1u);
    EXPECT_STREQ(state().params.multicast[0], "100");
}

TEST_F(ConfigFile, KeyOddities) {
    const struct {
        const char* header;
        int32_t maxExchangeSize;
        int32_t maxStaticExchanges;
        int32_t exchMap;
        uint32_t multicastCount;
    } cases[] = {
        {"MAX = 2000\n", 2000, 512, 0, 0},
        {"CONSUMEALL = 7\nCONSUMEALL\n", 1024, 512, 0, 0},
        {"exch_map = 1\n", 1024, 512, 1, 0},
        {"XCH_MAP = 1\nMAP = 1\nSIZE = 9\n", 1024, 512, 0, 0},
        {"5EXCH_MAP = 2\n", 1024, 512, 2, 0},
        {"MULTI = 224.0.0.1\nmulticast 224.0.0.2\n", 1024, 512, 0, 2},
        {"MAX_STATIC = 40\n", 1024, 40, 0, 0},
        {"[EXCHANGE\nEXCH_MAP = 1\n", 1024, 512, 0, 0},
        {"MAX_EXCHANGE_SIZE\nMAX_EXCHANGE_SIZE =\n", 1024, 512, 0, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.header);
        core::resetLibraryState();
        world().writeIni(std::string(row.header) + "[EXCHANGE_DEFS]\n");
        installService(kServiceStopped);
        attach();
        EXPECT_EQ(state().params.maxExchangeSize, row.maxExchangeSize);
        EXPECT_EQ(state().params.maxStaticExchanges, row.maxStaticExchanges);
        EXPECT_EQ(state().params.exchMap, row.exchMap);
        EXPECT_EQ(state().params.multicastCount, row.multicastCount);
        detach();
    }
}

TEST_F(ConfigFile, CommentsBlankAndLetterLinesAreIgnoredAnywhere) {
    load("[EXCHANGE_DEFS]\n# 1 100 1 a b\n\n   \t\n2 100 1 a b\nnode 3 100 1 a b\n  #4 100 1 a b\n"
         "[EXCHANGE_DEFS]\n5 100 1 a b\n;6 100 1 a b\n");
    EXPECT_EQ(exchangeNumbers(), (std::vector<int32_t>{2, 5}));
}

TEST_F(ConfigFile, InvalidLinesAreSkippedWithoutAffectingOthers) {
    load("[EXCHANGE_DEFS]\n1 100 1 a b T,S\n0 100 1 a b\n2 0 1 a b\n3 1025 1 a b\n513 100 1 a b\n4 100 0 a b\n"
         "5 100 1073741824 a b\n6 100 1 a\n7 100 1 a b\n4294967297 100 1 a b\n8 4294967297 1 a b\n");
    EXPECT_EQ(exchangeNumbers(), (std::vector<int32_t>{1, 7}));
    EXPECT_EQ(record(1).flags, 1u) << "flags do not carry over from an earlier line";
}

TEST_F(ConfigFile, CrLfAndLfFilesReadTheSame) {
    const std::string lines[] = {
        "MULTICAST = 239.1.1.1",
        "MAX_EXCHANGE_SIZE = 500",
        "MAX_STATIC_EXCHANGES = 20",
        "[EXCHANGE_DEFS]",
        "# comment",
        "1 500 1 node1 node2 T",
        "",
        "  2 8 3 Node2 node1 E=7,P=1",
        "20 1 1 x y S",
    };
    auto join = [&](const char* end, bool finalEnd) {
        std::string text;
        for (size_t i = 0; i < std::size(lines); ++i)
            text += lines[i] + std::string(i + 1 < std::size(lines) || finalEnd ? end : "");
        return text;
    };

    load(join("\n", true));
    const config::ServiceParams expectedParams = state().params;
    ASSERT_EQ(state().exchangeCount, 3u);
    std::vector<ExchangeDef> expected;
    for (uint32_t i = 0; i < state().exchangeCount; ++i)
        expected.push_back(record(i));
    detach();

    const struct {
        const char* name;
        std::string content;
    } variants[] = {
        {"CR LF", join("\r\n", true)},
        {"CR LF, no final line end", join("\r\n", false)},
        {"LF, no final line end", join("\n", false)},
    };
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.name);
        core::resetLibraryState();
        load(variant.content);
        EXPECT_EQ(state().params.maxExchangeSize, expectedParams.maxExchangeSize);
        EXPECT_EQ(state().params.maxStaticExchanges, expectedParams.maxStaticExchanges);
        ASSERT_EQ(state().params.multicastCount, 1u);
        EXPECT_STREQ(state().params.multicast[0], "239.1.1.1");
        ASSERT_EQ(state().exchangeCount, expected.size());
        for (uint32_t i = 0; i < state().exchangeCount; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(std::memcmp(&record(i), &expected[i], sizeof(ExchangeDef)), 0);
        }
        detach();
    }
}

// ---- lines longer than one 127-character read: each piece is a line of its own

TEST_F(ConfigFile, HeaderKeyAfter127CharactersIsReadAsItsOwnLine) {
    load(std::string(127, ' ') + "EXCH_MAP = 1\n[EXCHANGE_DEFS]\n");
    EXPECT_EQ(state().params.exchMap, 1);
}

TEST_F(ConfigFile, DefinitionLineOfExactly127CharactersIsKept) {
    std::string line = "12 100 1 node1 node2";
    line.insert(0, 127 - line.size(), ' ');
    ASSERT_EQ(line.size(), 127u);
    load("[EXCHANGE_DEFS]\n" + line + "\n3 100 1 a b\n");
    EXPECT_EQ(exchangeNumbers(), (std::vector<int32_t>{12, 3}));
    EXPECT_STREQ(record(0).destination, "NODE2");
}

TEST_F(ConfigFile, LongDefinitionLineIsCutInto127CharacterPieces) {
    // The second piece starts with a digit and so is a definition line of its own.
    std::string first = "1 100 1 a b";
    first.append(127 - first.size(), ' ');
    load("[EXCHANGE_DEFS]\n" + first + "2 100 1 c d E=9\n");
    EXPECT_EQ(exchangeNumbers(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(record(1).exchangeId, 9);
}

TEST_F(ConfigFile, FieldCrossingThe127CharacterBoundaryIsCut) {
    std::string line = "1 100 1 prod ";
    line.append(127 - line.size() - 2, ' ');
    line += "dexxx T"; // "de" ends the first piece; "xxx T" is a piece that does not count
    load("[EXCHANGE_DEFS]\n" + line + "\n");
    ASSERT_EQ(state().exchangeCount, 1u);
    EXPECT_STREQ(record(0).destination, "DE");
    EXPECT_EQ(record(0).flags, 1u);
}

TEST_F(ConfigFile, MarkerCutByThe127CharacterBoundaryStartsNoDefinitions) {
    // The first piece ends in "[EXCHA": as a key it ends the header; the marker itself is never
    // seen, so nothing after it is a definition.
    load(std::string(121, ' ') + "[EXCHANGE_DEFS]\nEXCH_MAP = 1\n1 100 1 a b\n");
    EXPECT_EQ(state().params.exchMap, 0);
    EXPECT_EQ(state().exchangeCount, 0u);
    EXPECT_EQ(state().loaded, 1);
}

// ---- how many records the table keeps

TEST_F(ConfigFile, TableKeepsTheFirstMaxStaticExchangesAcceptedLines) {
    load("MAX_STATIC_EXCHANGES = 3\n[EXCHANGE_DEFS]\n1 10 1 a b\n9 10 1 a b\n2 10 1 a b\n3 10 1 a b\n1 10 1 c d\n"
         "2 10 1 e f\n");
    EXPECT_EQ(exchangeNumbers(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(state().exchangeTable.slotCount(), 4u);
    EXPECT_EQ(state().exchangeTable.record(3), nullptr) << "the last slot always stays empty";
}

TEST_F(ConfigFile, DefaultLimitKeeps512Of600AcceptedLines) {
    std::string content = "[EXCHANGE_DEFS]\n";
    for (int i = 0; i < 600; ++i)
        content += std::to_string(i % 512 + 1) + " 4 1 p" + std::to_string(i) + " d\n";
    load(content);
    ASSERT_EQ(state().exchangeCount, 512u);
    EXPECT_STREQ(record(0).producer, "P0");
    EXPECT_STREQ(record(511).producer, "P511");
    EXPECT_EQ(state().exchangeTable.record(512), nullptr);
}

TEST_F(ConfigFile, DefinitionsTextHoldsCountedLinesEvenWhenTheyAreRejected) {
    // With MAX_STATIC_EXCHANGES 1 the text has 256 bytes and may use 254: two counted lines of
    // 127 characters (rejected later for their exchange number) leave no room for a third.
    std::string rejected = "9 100 1 a b";
    rejected.append(127 - rejected.size(), ' ');
    load("MAX_STATIC_EXCHANGES = 1\n[EXCHANGE_DEFS]\n" + rejected + "\n" + rejected + "\n1 100 1 a b\n");
    EXPECT_EQ(state().defsTextLength, 128u);
    EXPECT_EQ(state().exchangeCount, 0u);
    detach();

    core::resetLibraryState();
    load("MAX_STATIC_EXCHANGES = 1\n[EXCHANGE_DEFS]\n" + rejected + "\n1 100 1 a b\n");
    EXPECT_EQ(state().defsTextLength, 128u + 12u);
    EXPECT_EQ(exchangeNumbers(), std::vector<int32_t>{1});
}

TEST_F(ConfigFile, RecordWhoseAllocationFailsIsDropped) {
    installService(kServiceStopped);
    world().writeIni("[EXCHANGE_DEFS]\n1 10 1 a b\n2 10 1 a b\n3 10 1 a b\n");
    // The load allocates the exchange table and the text, then one block per record.
    world().failCall(fake::Op::Allocate, 4);
    attach();
    EXPECT_EQ(state().loaded, 1);
    EXPECT_EQ(exchangeNumbers(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(state().exchangeTable.record(2), nullptr);
}

// ---- ReadExchangeDefsText on its own

class DefsText : public LibraryTest {
protected:
    DefsText() { state().iniMutex.reset(platform::createMutex("__ZYN_INIFILE")); }
    ~DefsText() override { state().iniMutex.reset(); }
    std::string path() { return world().iniPath(); }
    // Reads into a buffer of `size` bytes followed by a guard that must stay untouched.
    uint32_t read(uint64_t size) {
        buffer_.assign(size + kGuard, '\x7F');
        uint32_t used = config::ReadExchangeDefsText(state(), buffer_.data(), size, path().c_str());
        for (size_t i = size; i < buffer_.size(); ++i) {
            if (buffer_[i] != '\x7F') {
                ADD_FAILURE() << "byte " << i << " written beyond a buffer of " << size;
                break;
            }
        }
        return used;
    }
    std::string text(uint32_t used) { return std::string(buffer_.data(), used); }
    char at(size_t i) { return buffer_.at(i); }

private:
    static constexpr size_t kGuard = 64;
    std::vector<char> buffer_;
};

TEST_F(DefsText, TextNeverGrowsBeyondTheBufferSizeLessTwo) {
    world().writeIni("[EXCHANGE_DEFS]\n1 1 1 a b\n2 1 1 a b\n3 1 1 a b\n"); // 10 bytes per line
    const struct {
        uint64_t size;
        uint32_t used;
    } cases[] = {{0, 0}, {1, 0}, {2, 0}, {11, 0}, {12, 10}, {21, 10}, {22, 20}, {31, 20}, {32, 30}, {1000, 30}};
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << "buffer of " << row.size);
        uint32_t used = read(row.size);
        EXPECT_EQ(used, row.used);
        EXPECT_EQ(text(used), std::string("1 1 1 a b\n2 1 1 a b\n3 1 1 a b\n").substr(0, row.used));
        if (row.size > 0) {
            EXPECT_EQ(at(used), '\0') << "the text is closed by a zero byte";
        }
    }
}

TEST_F(DefsText, FirstCountedLineThatDoesNotFitEndsTheReading) {
    world().writeIni("[EXCHANGE_DEFS]\n1 1 1 a b\n2 1 1 long_producer long_destination\n# comment\n3 1 1 a b\n");
    EXPECT_EQ(read(30), 10u);
    EXPECT_EQ(text(10), "1 1 1 a b\n");
}

TEST_F(DefsText, OnlyCountedLinesTakeRoomAndKeepTheirLeadingBlanks) {
    world().writeIni("# head\n[EXCHANGE_DEFS]\n# comment line that is long enough not to fit\n\nnode\n  \t1 1 1 a b\n"
                     "EXCH_MAP = 1\n2 1 1 a b");
    uint32_t used = read(40);
    EXPECT_EQ(used, 13u + 10u);
    // The last line has no newline: its separator is a zero byte.
    EXPECT_EQ(text(used), std::string("  \t1 1 1 a b\n2 1 1 a b\0", 23));
}

TEST_F(DefsText, NothingIsReadWithoutFileOrMarker) {
    const struct {
        const char* name;
        const char* content; // null: no file
    } cases[] = {
        {"no file", nullptr},
        {"no marker", "1 1 1 a b\n2 1 1 a b\n"},
        {"lower-case marker", "[exchange_defs]\n1 1 1 a b\n"},
        {"marker only", "[EXCHANGE_DEFS]\n"},
        {"nothing counted", "[EXCHANGE_DEFS]\n# 1 1 1 a b\nx\n\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        world().files.erase("zyn.ini");
        if (row.content != nullptr) world().writeIni(row.content);
        EXPECT_EQ(read(1000), 0u);
        if (row.content != nullptr) {
            EXPECT_EQ(at(0), '\0');
        }
        EXPECT_EQ(world().openFiles(), 0);
        EXPECT_EQ(world().mutex("__ZYN_INIFILE")->ownedByUs, 0) << "the lock is let go on every path";
    }
}

TEST_F(DefsText, ReadsUnlockedWhenThereIsNoFileMutex) {
    state().iniMutex.reset();
    world().writeIni("[EXCHANGE_DEFS]\n1 1 1 a b\n");
    EXPECT_EQ(read(100), 10u);
}

TEST_F(DefsText, WaitsForTheFileMutexHeldByAnotherProcess) {
    fake::MutexObject* lock = world().mutex("__ZYN_INIFILE");
    lock->heldByOther = true;
    lock->otherReleasesAt = 2500;
    world().writeIni("[EXCHANGE_DEFS]\n1 1 1 a b\n");
    EXPECT_EQ(read(100), 10u);
    EXPECT_EQ(world().now, 2500u);
    EXPECT_EQ(lock->ownedByUs, 0);
}

} // namespace
} // namespace zyn::testing
