// Every rewrite of zyn.ini keeps, byte for byte, the lines it does not change, whatever they
// hold: files with hostile bytes, each put through an addition, a deletion, a change and a
// setting of the parameters, and compared with what the rewrite must leave.
#include "exchange_def_builder.h"
#include "library_fixture.h"

#include <cctype>
#include <cstring>
#include <string>

#include "trvzyn32.h"

namespace zyn::testing {
namespace {

using namespace std::string_literals;
using test_support::exchangeDef;

constexpr char kHead[] = "# h\n[EXCHANGE_DEFS]\n1 10 1 A X\n";
// The file's last line has no line end, so that each row covers that case too.
constexpr char kRest[] = "2 10 1 B X\n3 10 1 C X";
constexpr char kLastLine[] = "\n3 10 1 C X";
constexpr char kAdded[] = "\n5\t10\t1\tE\tX\tM,E=5";
constexpr char kChanged[] = "\n3\t20\t1\tC\tX\tM,E=3";
const std::string kKeys =
    "\nMAX_EXCHANGE_SIZE = 100\nMAX_STATIC_EXCHANGES = 10\nMAX_DYNAMIC_EXCHANGES = 5\nEXCH_MAP = 0\n";

struct HostileFile {
    const char* what;
    std::string line; // put between exchange 1 and exchange 2
    // A Ctrl-Z ends what the loader reads: what lies after it is seen by no one and kept.
    enum { Visible, HiddenAfterLineStart, HiddenInsideLine } rest = Visible;
};

const HostileFile kFiles[] = {
    {"NUL inside a comment", "# c\0d\n"s},
    {"NUL inside a definition", "4 10 1 D X\0junk\n"s},
    {"lone CR", "# a\rb\n"},
    {"CR LF line end", "# crlf\r\n"},
    {"bytes 0x80 to 0xFF", "# \x80\xA0\xE9\xFF\n"},
    {"line of 300 characters", "# " + std::string(298, 'x') + "\n"},
    {"definition-like text past 127 characters", "# " + std::string(125, 'x') + "9 10 1 Z X\n"},
    {"Ctrl-Z alone on a line", "\x1A\n", HostileFile::HiddenAfterLineStart},
    {"Ctrl-Z inside a line", "# z\x1Az\n", HostileFile::HiddenInsideLine},
};

class RewriteBytes : public LibraryTest, public ::testing::WithParamInterface<HostileFile> {
protected:
    std::string file() const { return kHead + GetParam().line + kRest; }
    static int32_t remove(const char* name) {
        std::string writable(name);
        return ZYN_DeleteStaticExchange(writable.data());
    }
    bool restHidden() const { return GetParam().rest != HostileFile::Visible; }
    void load() {
        installService(platform::kServiceStopped);
        world().writeIni(file());
        attach();
    }
    // The rewrite leaves `expected` and answers `result`; on a refusal the file stays as it was.
    void expectRewrite(int32_t result, int32_t expectedResult, const std::string& expected) {
        EXPECT_EQ(result, expectedResult);
        EXPECT_EQ(world().readIni(), expectedResult == ZYN_OK ? expected : file());
    }
};

TEST_P(RewriteBytes, AdditionAppendsItsLineAndKeepsEveryOtherByte) {
    load();
    const uint32_t before = state().exchangeCount;
    const int32_t result = ZYN_AddStaticExchange(exchangeDef(5, 10, 1, "E", "X", ZYN_FLAG_MUTEX, 0, 5));
    switch (GetParam().rest) {
    case HostileFile::Visible: expectRewrite(result, ZYN_OK, file() + kAdded); break;
    // The new line goes where the loader still reads, the Ctrl-Z line after it as it was.
    case HostileFile::HiddenAfterLineStart:
        expectRewrite(result, ZYN_OK, kHead + "\n5\t10\t1\tE\tX\tM,E=5\n"s + GetParam().line + kRest);
        break;
    case HostileFile::HiddenInsideLine: expectRewrite(result, ZYN_E_FAILED, file()); break;
    }
    if (result == ZYN_OK) {
        EXPECT_EQ(state().exchangeCount, before + 1) << "the reload sees the added line";
    }
}

TEST_P(RewriteBytes, DeletionRemovesExactlyItsLine) {
    load();
    const uint32_t before = state().exchangeCount;
    const std::string withoutLast = file().substr(0, file().size() - std::strlen(kLastLine));
    expectRewrite(remove("exchange_3@C"), restHidden() ? ZYN_E_NOT_FOUND : ZYN_OK, withoutLast);
    if (!restHidden()) {
        EXPECT_EQ(state().exchangeCount, before - 1);
    }
}

TEST_P(RewriteBytes, ChangeReplacesExactlyItsLine) {
    load();
    const uint32_t before = state().exchangeCount;
    const std::string withoutLast = file().substr(0, file().size() - std::strlen(kLastLine));
    const int32_t result = ZYN_ChangeStaticExchangeParams(exchangeDef(3, 20, 1, "C", "X", ZYN_FLAG_MUTEX, 0, 3));
    expectRewrite(result, restHidden() ? ZYN_E_NOT_FOUND : ZYN_OK, withoutLast + kChanged);
    if (!restHidden()) {
        EXPECT_EQ(state().exchangeCount, before);
    }
}

TEST_P(RewriteBytes, ParameterSettingRewritesOnlyTheHeader) {
    load();
    ServiceConfigParams params;
    std::memset(&params, 0, sizeof params);
    params.maxExchangeSize = 100;
    params.maxStaticExchanges = 10;
    params.maxDynamicExchanges = 5;
    const std::string afterMarker = file().substr(std::strlen("# h\n[EXCHANGE_DEFS]\n"));
    expectRewrite(ZYN_SetServiceConfigParams(params), ZYN_OK, "# h\n" + kKeys + "[EXCHANGE_DEFS]\n" + afterMarker);
}

INSTANTIATE_TEST_SUITE_P(Files, RewriteBytes, ::testing::ValuesIn(kFiles), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.what; *c != '\0'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
});

} // namespace
} // namespace zyn::testing
