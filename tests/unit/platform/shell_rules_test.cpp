// The portable splitter and path trimming must give what the shell gives: the switch test
// and the kit's command line both rest on them. (Letter case in switches is the run modes'
// table; ordinary folders and shares are the kit's module folder table.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/fake/fake_seams.h"
#include "platform/module_file.h"

namespace {

struct SplitCase {
    const wchar_t* line;
    std::vector<std::wstring> expected;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheShellsArguments) {
    EXPECT_EQ(platform::SplitCommandLine(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{L"prog.exe", {L"prog.exe"}},
        SplitCase{L"", {L""}},
        SplitCase{L"prog.exe   ", {L"prog.exe"}},
        SplitCase{L"\"C:\\Program Files\\a.exe\" --x", {L"C:\\Program Files\\a.exe", L"--x"}},
        SplitCase{L"C:\\dir\\a.exe \"--silent_install\"", {L"C:\\dir\\a.exe", L"--silent_install"}},
        SplitCase{L"a \"b c\" d", {L"a", L"b c", L"d"}},
        SplitCase{L"a b\tc", {L"a", L"b", L"c"}},
        // 2n backslashes before a quote: n backslashes, and the quote closes.
        SplitCase{L"a \"C:\\S\\User\\\\\" next", {L"a", L"C:\\S\\User\\", L"next"}},
        // 2n+1 backslashes before a quote: n backslashes and a literal quote.
        SplitCase{L"a \\\"x", {L"a", L"\"x"}},
        SplitCase{L"a \\\\\\\"x", {L"a", L"\\\"x"}},
        // Backslashes not before a quote are literal.
        SplitCase{L"a C:\\x\\\\y", {L"a", L"C:\\x\\\\y"}},
        // A doubled quote inside quotes is a literal quote.
        SplitCase{L"a \"x\"\"y\"", {L"a", L"x\"y"}},
        SplitCase{L"a \"\"", {L"a", L""}},
        SplitCase{L"a /DOUTPUT=\"C:\\my kits\\setup.exe\" \"C:\\M\\b.nsi\"",
                  {L"a", L"/DOUTPUT=C:\\my kits\\setup.exe", L"C:\\M\\b.nsi"}}));

struct TrimCase {
    const wchar_t* path;
    const wchar_t* expected;
    BOOL removed;
};

class RemoveFileSpecTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(RemoveFileSpecTest, CutsTheLastComponent) {
    std::wstring buffer = GetParam().path;
    buffer.push_back(L'\0');
    EXPECT_EQ(platform::RemoveFileSpecPortable(&buffer[0]), GetParam().removed);
    EXPECT_EQ(std::wstring(buffer.c_str()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveFileSpecTest,
                         ::testing::Values(TrimCase{L"C:\\configurator.exe", L"C:\\", TRUE},
                                           TrimCase{L"C:\\", L"C:\\", FALSE},
                                           TrimCase{L"configurator.exe", L"", TRUE},
                                           TrimCase{L"C:\\Tools\\", L"C:\\Tools", TRUE}));

// The configurator's folder from a path the system may have cut at 260 characters: a path
// that fills the buffer is refused, never trimmed to some folder above.
TEST(ReadModuleDirectory, RefusesAPathThatFilledTheBuffer) {
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
