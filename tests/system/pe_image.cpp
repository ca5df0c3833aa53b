// pe_image.cpp - walking the PE headers of a mapped image: every RVA is an offset from the
// module's base address once the loader has mapped it.
#include "pe_image.h"

#include <stdexcept>

namespace zyn::test {

namespace {

// The headers in the form of this program's machine (PE32 or PE32+): a module loaded into this
// process is of the same form.
const IMAGE_NT_HEADERS& ntHeaders(HMODULE module) {
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) throw std::runtime_error("no MZ header");
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
        throw std::runtime_error("not an image of this program's form (PE32 or PE32+)");
    }
    return *nt;
}

template <typename T> const T* at(HMODULE module, DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const uint8_t*>(module) + rva);
}

// The first entry of the import directory, whose list ends at an entry without a name; null
// when the module imports nothing.
const IMAGE_IMPORT_DESCRIPTOR* firstImport(HMODULE module) {
    const IMAGE_DATA_DIRECTORY& directory =
        ntHeaders(module).OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    return directory.VirtualAddress == 0 ? nullptr : at<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress);
}

} // namespace

ExportTable readExportTable(HMODULE module) {
    const IMAGE_DATA_DIRECTORY& directory =
        ntHeaders(module).OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ExportTable table;
    if (directory.VirtualAddress == 0 || directory.Size == 0) return table;
    const auto* exports = at<IMAGE_EXPORT_DIRECTORY>(module, directory.VirtualAddress);
    table.moduleName = at<char>(module, exports->Name);
    const auto* nameRvas = at<DWORD>(module, exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        table.names.emplace_back(at<char>(module, nameRvas[i]));
    return table;
}

std::vector<std::string> readImportedDllNames(HMODULE module) {
    std::vector<std::string> names;
    for (const auto* descriptor = firstImport(module); descriptor != nullptr && descriptor->Name != 0; ++descriptor)
        names.emplace_back(at<char>(module, descriptor->Name));
    return names;
}

std::vector<std::string> readImportedFunctionNames(HMODULE module) {
    std::vector<std::string> names;
    for (const auto* descriptor = firstImport(module); descriptor != nullptr && descriptor->Name != 0; ++descriptor) {
        // The lookup table keeps the names; the address table beside it the loader has overwritten.
        if (descriptor->OriginalFirstThunk == 0) throw std::runtime_error("an import without its lookup table");
        for (const auto* entry = at<IMAGE_THUNK_DATA>(module, descriptor->OriginalFirstThunk);
             entry->u1.AddressOfData != 0; ++entry) {
            if (IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal)) continue;
            names.emplace_back(at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(entry->u1.AddressOfData))->Name);
        }
    }
    return names;
}

} // namespace zyn::test
