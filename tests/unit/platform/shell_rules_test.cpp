// The portable splitter and path trimming give what the shell gives: the switch rule and the
// kit's command line rest on them. The program's folder is refused when its path was cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/fake/fake_seams.h"
#include "platform/module_file.h"

namespace {

using Args = std::vector<std::wstring>;

TEST(ShellRules, SplitCommandLineGivesTheShellsArguments) {
    const std::vector<std::pair<std::wstring, Args>> table = {
        {L"", {L""}},
        {L"prog.exe   ", {L"prog.exe"}},
        {L"a b\tc", {L"a", L"b", L"c"}},
        {L"\"C:\\Program Files\\a.exe\" --x", {L"C:\\Program Files\\a.exe", L"--x"}},
        {L"a \"C:\\S\\User\\\\\" next", {L"a", L"C:\\S\\User\\", L"next"}},  // 2n backslashes: n, and the quote closes
        {L"a \\\"x", {L"a", L"\"x"}},
        {L"a \\\\\\\"x", {L"a", L"\\\"x"}},        // 2n+1: n and a literal quote
        {L"a C:\\x\\\\y", {L"a", L"C:\\x\\\\y"}},  // not before a quote: literal
        {L"a \"x\"\"y\"", {L"a", L"x\"y"}},
        {L"a \"\"", {L"a", L""}},
        {L"a /DOUTPUT=\"C:\\my kits\\s.exe\" \"C:\\b.nsi\"", {L"a", L"/DOUTPUT=C:\\my kits\\s.exe", L"C:\\b.nsi"}}};
    for (const auto& [line, arguments] : table) EXPECT_EQ(platform::SplitCommandLine(line), arguments) << line;
}

TEST(ShellRules, RemoveFileSpecCutsTheLastComponent) {
    for (const auto& [path, folder, removed] : std::vector<std::tuple<std::wstring, std::wstring, BOOL>>{
             {L"C:\\configurator.exe", L"C:\\", TRUE},
             {L"C:\\", L"C:\\", FALSE},
             {L"configurator.exe", L"", TRUE},
             {L"C:\\Tools\\", L"C:\\Tools", TRUE},
             {L"\\\\server\\share\\a.exe", L"\\\\server\\share", TRUE}}) {
        std::wstring buffer = path + L'\0';
        EXPECT_EQ(platform::RemoveFileSpecPortable(&buffer[0]), removed) << path;
        EXPECT_EQ(std::wstring(buffer.c_str()), folder) << path;
    }
}

TEST(ShellRules, ReadModuleDirectoryRefusesAPathThatFilledTheBuffer) {
    platform::FakeModuleFile module;
    const std::wstring folder = L"C:\\" + std::wstring(240, L'd');
    for (size_t length : {258u, 259u, 260u, 300u}) {
        module.path = folder + L"\\" + std::wstring(length - folder.size() - 1, L'f');
        if (length < 260) {
            EXPECT_EQ(platform::ReadModuleDirectory(module), folder) << length;
        } else {
            EXPECT_THROW(platform::ReadModuleDirectory(module), platform::ModulePathError) << length;
        }
    }
    EXPECT_EQ(module.lastSize, static_cast<DWORD>(MAX_PATH));
}

}  // namespace
