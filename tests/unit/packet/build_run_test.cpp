// Starting the compiler, waiting for it, reporting a failed start, and the debug batch file.
#include <gtest/gtest.h>

#include <string>

#include "packet_bench.h"

namespace {

using testing_support::KitTest;
using BuildPacketTest = KitTest;
using DebugBatchFileTest = KitTest;

const wchar_t kCompiler[] = LR"(C:\Corvex\CorvexWorkstation\Packet\tools\makensis.exe)";
const wchar_t kBatchFile[] = LR"(C:\Corvex\client_packet_build.bat)";
const wchar_t kOutput[] = LR"(C:\Kits\kit one.exe)";

TEST_F(BuildPacketTest, StartsTheCompilerBesideTheConfiguratorAndWaitsForItWithoutLimit) {
    int waitCursorAtStart = -1;
    bench.launcher.onStart = [&](const platform::FakeProcessLauncher::Start&) {
        waitCursorAtStart = bench.ui.waitCursorDepth;
    };
    dialog.SetNameChoice(1);
    ASSERT_EQ(dialog.BuildPacket(kOutput), TRUE);

    ASSERT_EQ(bench.launcher.starts.size(), 1u);
    const auto& start = bench.launcher.starts[0];
    EXPECT_EQ(start.applicationName, kCompiler);
    EXPECT_EQ(start.commandLine, dialog.ComposeBuildArguments(kOutput, LR"(C:\Corvex\)"));
    EXPECT_TRUE(start.writable);
    EXPECT_EQ(start.inheritHandles, TRUE);
    EXPECT_EQ(start.creationFlags, 0x08000000u);  // CREATE_NO_WINDOW and nothing else
    ASSERT_EQ(bench.launcher.waitedFor.size(), 1u);
    EXPECT_EQ(bench.launcher.waitTimeouts[0], 0xFFFFFFFFu);  // INFINITE
    EXPECT_EQ(bench.launcher.OpenHandles(), 0);
    EXPECT_EQ(waitCursorAtStart, 1) << "the wait cursor shows while the compiler runs";
    EXPECT_EQ(bench.ui.waitCursorDepth, 0);
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

// A compiler that cannot be started: the system's code as an unsigned number.
class LaunchFailureTest : public KitTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(LaunchFailureTest, TellsTheSystemsCodeAndReportsFailure) {
    bench.launcher.startError = GetParam();
    EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].text,
              L"Can't launch the client packet builder (system error is " + std::to_wstring(GetParam()) + L").");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(bench.launcher.waitedFor.empty());
    EXPECT_TRUE(bench.launcher.closed.empty());
    EXPECT_EQ(bench.ui.waitCursorDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, LaunchFailureTest, ::testing::Values(DWORD{2}, DWORD{0xFFFFFFFFu}));

// The "--debug" switch and the batch file. (The near misses of the switch rule and the program
// path are the run modes' tables; these rows show that the kit build applies the same rule.)
struct DebugCase {
    const wchar_t* arguments;
    bool written;
};

class DebugSwitchTest : public KitTest, public ::testing::WithParamInterface<DebugCase> {};

TEST_P(DebugSwitchTest, WritesTheBatchFileOnlyWhenTheSwitchStandsWhole) {
    bench.CommandLine(GetParam().arguments);
    dialog.BuildPacket(kOutput);
    EXPECT_EQ(bench.textFiles.attempts.size(), GetParam().written ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Switches, DebugSwitchTest,
                         ::testing::Values(DebugCase{L"--create_packet --debug", true}, DebugCase{L"--DEBUG", true},
                                           DebugCase{L"--create_packet", false}, DebugCase{L"--debug=1", false},
                                           DebugCase{L"debug", false}));

TEST_F(DebugBatchFileTest, HoldsTheUnquotedCompilerTwoBlanksAndTheArgumentsWithoutLineEndBeforeTheStart) {
    bench.CommandLine(L"--create_packet --debug");
    bool writtenAtStart = false;
    bench.launcher.onStart = [&](const platform::FakeProcessLauncher::Start&) {
        writtenAtStart = bench.textFiles.files.count(kBatchFile) == 1;
    };
    dialog.SetNameChoice(1);
    dialog.BuildPacket(kOutput);
    const std::wstring line = std::wstring(kCompiler) + L" " + dialog.ComposeBuildArguments(kOutput, LR"(C:\Corvex\)");
    EXPECT_TRUE(writtenAtStart);
    ASSERT_EQ(bench.textFiles.files.count(kBatchFile), 1u);
    EXPECT_EQ(bench.textFiles.files[kBatchFile], std::string(line.begin(), line.end()));
}

TEST_F(DebugBatchFileTest, IsWrittenAlsoWhenTheStartThenFails) {
    bench.CommandLine(L"--debug");
    bench.launcher.startError = 2;
    EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
    EXPECT_EQ(bench.textFiles.files.count(kBatchFile), 1u);
}

TEST_F(DebugBatchFileTest, AnUnwritableFileIsSkippedSilentlyAndTheBuildGoesOn) {
    bench.CommandLine(L"--debug");
    bench.textFiles.unopenable.insert(kBatchFile);
    EXPECT_EQ(dialog.BuildPacket(kOutput), TRUE);
    EXPECT_EQ(bench.launcher.starts.size(), 1u);
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

}  // namespace
