// Saves that fail part-way: the old files stay byte for byte, no temporary file stays behind,
// and the error names the file.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "params/corvex_parameters.h"
#include "params_fixture.h"
#include "platform/fake/faulty_file_system.h"

namespace {

using params_test::ParamsOnDisk;
using params_test::ReadBytes;

constexpr DWORD kDiskFull = 112;

class AtomicSaveTest : public ParamsOnDisk {
protected:
    AtomicSaveTest() : faulty_(disk_) {
        // A first, good save; then every later call goes through the fault injector.
        CorvexParameters first(L"client");
        first.SetCoordinator(L"old-server", 1111, false);
        first.Save(true);
        oldUser_ = ReadBytes(AgentUserFile());
        oldWorkstation_ = ReadBytes(AgentWorkstationFile());
        Use(faulty_);
    }

    // Saves changed values and gives the error's text ("" when it did not fail).
    std::string SaveChanged() {
        CorvexParameters changed(L"client");
        changed.SetCoordinator(newHost_, 2222, false);
        changed.SetClientName(newName_, false);
        return params_test::ErrorOf([&] { changed.Save(true); });
    }

    platform::FaultyFileSystem faulty_;
    std::string oldUser_;
    std::string oldWorkstation_;
    const std::wstring newHost_ = L"new-server";
    const std::wstring newName_ = L"WS-NEW";
};

struct FailedSave {
    const char* name;
    platform::FaultyFileSystem::Fault platform::FaultyFileSystem::*fault;
    platform::FaultyFileSystem::Fault plan;
    const char* named;   // the file or folder that the error names
    const char* reason;  // the system error in words
    bool userReplaced;   // user.json was replaced before the failure
};

void PrintTo(const FailedSave& c, std::ostream* os) { *os << c.name; }

class FailedSaveTest : public AtomicSaveTest, public ::testing::WithParamInterface<FailedSave> {};

TEST_P(FailedSaveTest, KeepsEveryFileNotYetReplacedAndLeavesNoTemporaryFile) {
    const FailedSave& c = GetParam();
    faulty_.*c.fault = c.plan;
    const std::string error = SaveChanged();
    EXPECT_NE(error.find(c.named), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()) != oldUser_, c.userReplaced);
    EXPECT_EQ(ReadBytes(AgentWorkstationFile()), oldWorkstation_);
    EXPECT_EQ(params_test::FilesBelow(temp_.Native()).size(), 2u) << "a temporary file was left";
}

using Faulty = platform::FaultyFileSystem;

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedSaveTest,
    ::testing::Values(
        FailedSave{"FirstReplaceBlocked", &Faulty::replaceFault, {ERROR_ACCESS_DENIED, 1}, "user.json",
                   "access is denied", false},
        FailedSave{"SecondReplaceBlocked", &Faulty::replaceFault, {32, 2}, "workstation.json", "another program", true},
        FailedSave{"DiskFullWhileWritingTheSecondFile", &Faulty::writeFault, {kDiskFull, 2}, "workstation.json",
                   "disk is full", false},
        FailedSave{"FolderNotCreatable", &Faulty::createFoldersFault, {ERROR_ACCESS_DENIED, 0}, "Settings",
                   "access is denied", false}),
    [](const ::testing::TestParamInfo<FailedSave>& info) { return std::string(info.param.name); });

TEST_F(AtomicSaveTest, SaveWritesTemporaryBesideTargetThenReplaces) {
    EXPECT_EQ(SaveChanged(), "");
    ASSERT_GE(faulty_.calls.size(), 4u);
    EXPECT_EQ(faulty_.calls[faulty_.calls.size() - 4], L"write " + AgentUserFile() + L".tmp");
    EXPECT_EQ(faulty_.calls[faulty_.calls.size() - 2], L"replace " + AgentUserFile());
    EXPECT_EQ(params_test::FilesBelow(temp_.Native()).size(), 2u) << "a temporary file was left";
    EXPECT_NE(ReadBytes(AgentUserFile()), oldUser_);
}

TEST_F(AtomicSaveTest, UnreadableFileIsAnErrorNotFirstUse) {
    faulty_.readFault = {ERROR_ACCESS_DENIED, 0};
    CorvexParameters parameters(L"client");
    const std::string error = params_test::ErrorOf([&] { parameters.Load(); });
    EXPECT_NE(error.find("user.json"), std::string::npos) << "an unreadable store taken for a missing one: " << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()), oldUser_);
}

}  // namespace
