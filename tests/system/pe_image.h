// pe_image.h - the export and import tables of a loaded module, read from its PE headers in memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zyn::test {

struct ExportTable {
    std::string moduleName;         // the name the DLL gives itself
    std::vector<std::string> names; // the exported names, as the table lists them
};

ExportTable readExportTable(HMODULE module);
// The names of the DLLs the module imports from, as the import directory lists them.
std::vector<std::string> readImportedDllNames(HMODULE module);
// The functions the module imports by name, from every DLL, as the import lookup tables list them.
std::vector<std::string> readImportedFunctionNames(HMODULE module);

} // namespace zyn::test
