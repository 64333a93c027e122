// The built SetupClient.exe (beside this test program) carries a manifest that asks Windows
// to run it elevated: read back from the program's resources, not from the source file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder + name;
}

// The RT_MANIFEST resource with the id the loader reads for a program (1), "" when none.
std::string ManifestOf(const std::wstring& program) {
    const HMODULE module =
        ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return std::string();
    std::string text;
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    if (found != nullptr) {
        const HGLOBAL loaded = ::LoadResource(module, found);
        const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
        if (bytes != nullptr) text.assign(static_cast<const char*>(bytes), ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return text;
}

TEST(BuiltProgramManifest, AsksForAdministratorRights) {
    const std::string manifest = ManifestOf(BesideThisProgram(L"SetupClient.exe"));
    ASSERT_FALSE(manifest.empty()) << "SetupClient.exe has no manifest resource with id 1";
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("asInvoker"), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("highestAvailable"), std::string::npos) << manifest;
}

}  // namespace
