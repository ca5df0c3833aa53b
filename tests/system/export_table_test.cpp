// export_table_test.cpp - the DLL of the program's bitness (TRVZYN32.dll or TRVZYN64.dll) exports
// exactly the ZYN_ functions, under their plain names, and depends on nothing but system DLLs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <set>
#include <string>

#include "pe_image.h"
#include "support/clean_machine.h"
#include "support/loaded_library.h"
#include "trvzyn32.h"

namespace {

using namespace zyn::test;

// Every function the DLL exports, by family as trvzyn32.h declares them.
const char* const kExpectedExports[] = {
    "ZYN_Init",
    "ZYN_IsServicePresent",
    "ZYN_IsServiceRunning",
    "ZYN_ThirdPartyAppsAllowed",
    "ZYN_GetMaxExchangeSize",
    "ZYN_GetNumberOfExchangesFromConfigFile",
    "ZYN_GetAllExchangesFromConfigFile",
    "ZYN_GetStaticExchangeParams",
    "ZYN_GetLocallyConsumedExchangesFromConfigFile",
    "ZYN_GetLocallyProducedExchangesFromConfigFile",
    "ZYN_GetRemotelyProducedExchangesFromConfigFile",
    "ZYN_GetRemotelyConsumedExchangesFromConfigFile",
    "ZYN_AddStaticExchange",
    "ZYN_DeleteStaticExchange",
    "ZYN_ChangeStaticExchangeParams",
    "ZYN_GetServiceConfigParams",
    "ZYN_SetServiceConfigParams",
    "ZYN_GetExchange",
    "ZYN_PutExchange",
    "ZYN_GetExchangePtr",
    "ZYN_GetExchanges",
    "ZYN_PutExchanges",
    "ZYN_InitService",
    "ZYN_RemoveService",
    "ZYN_StartService",
    "ZYN_StopService",
    "ZYN_ResetService",
    "ZYN_GetNumberOfExchangesFromService",
    "ZYN_GetAllExchangesFromService",
    "ZYN_GetLocallyConsumedExchangesFromService",
    "ZYN_GetLocallyProducedExchangesFromService",
    "ZYN_GetRemotelyProducedExchangesFromService",
    "ZYN_GetRemotelyConsumedExchangesFromService",
    "ZYN_GetServiceVersion",
    "ZYN_GetProtocolVersion",
};
static_assert(std::size(kExpectedExports) == 35);

// The DLLs that every supported Windows has; anything else would have to ship with the library.
const char* const kAllowedImports[] = {"KERNEL32.dll", "msvcrt.dll", "ADVAPI32.dll", "WS2_32.dll"};

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

using ExportTableTest = CleanMachineTest;

TEST_F(ExportTableTest, ExportsExactlyTheExpectedNames) {
    LoadedLibrary library;
    const ExportTable table = readExportTable(library.handle());
    EXPECT_EQ(lowerCase(table.moduleName), lowerCase(kLibraryName));
    const std::set<std::string> exported(table.names.begin(), table.names.end());
    const std::set<std::string> expected(std::begin(kExpectedExports), std::end(kExpectedExports));
    EXPECT_EQ(exported, expected);
    EXPECT_EQ(table.names.size(), exported.size()) << "a name is exported twice";
}

TEST_F(ExportTableTest, ExportedNamesCarryNoDecoration) {
    LoadedLibrary library;
    for (const std::string& name : readExportTable(library.handle()).names) {
        EXPECT_EQ(name.find('@'), std::string::npos) << name;
    }
    EXPECT_EQ(GetProcAddress(library.handle(), "ZYN_Init@0"), nullptr);
}

TEST_F(ExportTableTest, EveryExpectedNameResolves) {
    LoadedLibrary library;
    for (const char* name : kExpectedExports)
        EXPECT_NE(GetProcAddress(library.handle(), name), nullptr) << name;
    EXPECT_EQ(ZYN_EXPORT(library, ZYN_Init)(), 0);
}

TEST_F(ExportTableTest, ImportsOnlySystemDlls) {
    LoadedLibrary library;
    std::set<std::string> allowed;
    for (const char* name : kAllowedImports)
        allowed.insert(lowerCase(name));
    const std::vector<std::string> imported = readImportedDllNames(library.handle());
    EXPECT_FALSE(imported.empty());
    for (const std::string& name : imported)
        EXPECT_TRUE(allowed.count(lowerCase(name)) == 1) << name;
}

// Slim reader-writer locks, one-time initialisation and condition variables exist from Windows
// Vista on: a DLL that imports one of them does not load on Windows 2000 or XP.
TEST_F(ExportTableTest, ImportsNoFunctionOfLaterWindowsThanXp) {
    LoadedLibrary library;
    const std::vector<std::string> imported = readImportedFunctionNames(library.handle());
    EXPECT_FALSE(imported.empty());
    for (const std::string& name : imported) {
        for (const char* vistaFamily : {"SRWLock", "InitOnce", "ConditionVariable"})
            EXPECT_EQ(name.find(vistaFamily), std::string::npos) << name;
    }
}

} // namespace
