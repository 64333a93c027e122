// A fixture that runs the parameters library against a real temporary folder: the
// ProgramData and user application data folders are folders inside it.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/fake/fake_known_folders.h"
#include "platform/platform.h"
#include "platform/portable/portable_file_system.h"
#include "temp_folder.h"

namespace params_test {

class ParamsOnDisk : public ::testing::Test {
protected:
    ParamsOnDisk() {
        folders_.programData = temp_.Wide() + L"\\ProgramData";
        folders_.userAppData = temp_.Wide() + L"\\Users\\admin\\AppData\\Roaming";
        Use(disk_);
    }

    // Routes the library's file operations through `files` from now on.
    void Use(platform::FileSystem& files) {
        platform::Seams seams;
        seams.files = &files;
        seams.folders = &folders_;
        platform::Install(seams);
    }

    ~ParamsOnDisk() override { platform::Install(previous_); }

    std::wstring AgentStore() const { return folders_.programData + L"\\Quentara\\Corvex Workstation\\Settings\\"; }
    std::wstring AgentUserFile() const { return AgentStore() + L"user.json"; }
    std::wstring AgentWorkstationFile() const { return AgentStore() + L"workstation.json"; }

    platform::Seams previous_ = platform::Current();
    TempFolder temp_;
    platform::PortableFileSystem disk_;
    platform::FakeKnownFolders folders_;
};

// The message of the std::runtime_error that `action` throws; "" when it throws none.
template <class Action>
std::string ErrorOf(Action action) {
    try {
        action();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return std::string();
}

}  // namespace params_test
