// The process launcher and the text file writer against the real system: what the kit build
// relies on when it starts the compiler and writes its debug batch file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/fake/fake_text_file_writer.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_text_file_writer.h"

namespace {

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer) + L"corvex packet test " + std::to_wstring(::GetCurrentProcessId()) + L"\\";
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

class TextFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ::CreateDirectoryW(folder.c_str(), nullptr); }
    void TearDown() override {
        ::DeleteFileW((folder + L"a.bat").c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    const std::wstring folder = TempFolder();
};

// Texts the real stream and the fake must turn into the same bytes.
class ClassicConversionTest : public TextFileWriterTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(ClassicConversionTest, TheFakeConvertsAsTheRealStreamDoes) {
    platform::Win32TextFileWriter real;
    platform::FakeTextFileWriter fake;
    const std::wstring path = folder + L"a.bat";
    ASSERT_TRUE(real.WriteClassic(path, GetParam()));
    ASSERT_TRUE(fake.WriteClassic(path, GetParam()));
    EXPECT_EQ(ReadBytes(path), fake.files[path]);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ClassicConversionTest,
    ::testing::Values(L"C:\\Corvex\\CorvexWorkstation\\Packet\\tools\\makensis.exe  /DOUTPUT=\"C:\\a b\\kit.exe\"",
                      L"", L"C:\\Users\\J\u00f6rg\\kit.exe", L"before \u20ac after"));

TEST_F(TextFileWriterTest, ReplacesAnExistingFileWhole) {
    platform::Win32TextFileWriter writer;
    const std::wstring path = folder + L"a.bat";
    ASSERT_TRUE(writer.WriteClassic(path, L"a much longer first command line"));
    ASSERT_TRUE(writer.WriteClassic(path, L"short"));
    EXPECT_EQ(ReadBytes(path), "short");
}

TEST_F(TextFileWriterTest, AMissingFolderIsReportedAndNothingIsWritten) {
    platform::Win32TextFileWriter writer;
    EXPECT_FALSE(writer.WriteClassic(folder + L"no such folder\\a.bat", L"x"));
}

// Starting programs.
std::wstring SystemProgram(const wchar_t* name) {
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer) + L"\\" + name;
}

TEST(ProcessLauncher, StartsWaitsForAndReleasesAProgramKeepingTheCallersLastError) {
    platform::Win32ProcessLauncher launcher;
    std::wstring arguments = L" /c exit 3";
    std::vector<wchar_t> buffer(arguments.begin(), arguments.end());
    buffer.push_back(L'\0');
    const platform::ProcessStart start =
        launcher.Create(SystemProgram(L"cmd.exe"), buffer.data(), TRUE, CREATE_NO_WINDOW);
    ASSERT_TRUE(start.started) << start.lastError;
    ASSERT_NE(start.process, 0u);
    EXPECT_EQ(launcher.Wait(start.process, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeProcess(reinterpret_cast<HANDLE>(start.process), &exitCode));
    EXPECT_EQ(exitCode, 3u);  // the program ran with the arguments it was given
    ::SetLastError(1234);
    launcher.Close(start.process);
    EXPECT_EQ(::GetLastError(), 1234u);
    launcher.Close(0x7ffffff0);  // a close that fails (no such handle) keeps it too
    EXPECT_EQ(::GetLastError(), 1234u);
}

struct MissingCase {
    const wchar_t* relative;
    DWORD error;
};

class MissingProgramTest : public TextFileWriterTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingProgramTest, FailsWithTheSystemsCode) {
    platform::Win32ProcessLauncher launcher;
    wchar_t arguments[] = L" /DX=1";
    const platform::ProcessStart start =
        launcher.Create(folder + GetParam().relative, arguments, TRUE, CREATE_NO_WINDOW);
    EXPECT_FALSE(start.started);
    EXPECT_EQ(start.process, 0u);
    EXPECT_EQ(start.lastError, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Paths, MissingProgramTest,
                         ::testing::Values(MissingCase{L"makensis.exe", ERROR_FILE_NOT_FOUND},
                                           MissingCase{L"tools\\makensis.exe", ERROR_PATH_NOT_FOUND}));

}  // namespace
