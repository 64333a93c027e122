// What the program relies on from the system: the computer's name, and the built
// SetupClient.exe's manifest (read back from its resources). Starting the compiler and waiting
// for it is met end to end, where the kit is built for real.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/win32_seams.h"

namespace {

// The computer's name whole, as the system tells it to every program.
TEST(MachineName, IsTheComputersName) {
    EXPECT_EQ(platform::Win32MachineName().ComputerName(), _wgetenv(L"COMPUTERNAME"));
}

TEST(BuiltProgram, ItsManifestAsksForAdministratorRights) {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program.replace(program.find_last_of(L'\\') + 1, std::wstring::npos, L"SetupClient.exe");
    const HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                               ::SizeofResource(module, found));
    ::FreeLibrary(module);
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\""),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
