// The parameters library against a real temporary folder, which holds the ProgramData and the
// user's application data folders; the file system records its calls and fails those a test names.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/platform.h"
#include "platform/portable/portable_file_system.h"

namespace params_test {

namespace fs = std::filesystem;
inline fs::path Native(const std::wstring& path) { return platform::PortableFileSystem::NativePath(path); }
inline bool Exists(const std::wstring& path) { return fs::exists(Native(path)); }
inline std::string ReadBytes(const std::wstring& path) {  // "(missing)" when there is no file
    std::ifstream in(Native(path), std::ios::binary);
    return fs::is_regular_file(Native(path)) ? std::string(std::istreambuf_iterator<char>(in), {}) : "(missing)";
}
inline void WriteBytes(const std::wstring& path, const std::string& bytes) {  // creates its folders
    fs::create_directories(Native(path).parent_path());
    std::ofstream(Native(path), std::ios::binary | std::ios::trunc) << bytes;
}
inline std::vector<std::string> FilesBelow(const fs::path& folder) {  // relative names, sorted
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
// The text of the std::runtime_error that `action` throws; "" when it throws none.
template <class Action>
std::string ErrorOf(Action action) {
    try {
        action();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return std::string();
}
// Settings with the given host, port and typed workstation name, and the default login.
inline CorvexParameters Settings(const std::wstring& host, unsigned short port, const std::wstring& name) {
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(host, port, false);
    parameters.SetClientName(name, false);
    return parameters;
}

class ParamsOnDisk : public ::testing::Test {
public:
    ParamsOnDisk() {
        folders_.programData = temp_.Wide() + L"\\ProgramData";
        folders_.userAppData = temp_.Wide() + L"\\AppData";
    }
    std::wstring Store() const { return folders_.programData + L"\\Quentara\\Corvex Workstation\\Settings\\"; }
    std::wstring UserFile() const { return Store() + L"user.json"; }
    std::wstring WorkstationFile() const { return Store() + L"workstation.json"; }
    std::vector<std::string> Files() const { return FilesBelow(temp_.Native()); }

    platform::TempFolder temp_;
    platform::PortableFileSystem files_;
    platform::FakeKnownFolders folders_;
    platform::ScopedSeams seams_{[this] {
        platform::Seams seams;
        seams.files = &files_;
        seams.folders = &folders_;
        return seams;
    }()};
};

}  // namespace params_test
