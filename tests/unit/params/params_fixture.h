// The parameters library on the application's bench: the real library over a temporary folder
// that holds the ProgramData and the user's application data folders. Natively the bench's file
// system is the portable one, which records its calls and fails those a test names.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app_bench.h"
#include "params/corvex_parameters.h"
#include "platform/portable/portable_file_system.h"

namespace params_test {

namespace fs = std::filesystem;
inline std::string Native(const std::wstring& path) { return platform::PortableFileSystem::NativePath(path); }
inline std::string ReadBytes(const std::wstring& path) {  // "" when there is no file
    std::ifstream in(Native(path), std::ios::binary);
    return fs::is_regular_file(Native(path)) ? std::string(std::istreambuf_iterator<char>(in), {}) : "";
}
inline void WriteBytes(const std::wstring& path, const std::string& bytes) {  // creates its folders
    fs::create_directories(fs::path(Native(path)).parent_path());
    std::ofstream(Native(path), std::ios::binary | std::ios::trunc) << bytes;
}
inline std::vector<std::string> FilesBelow(const std::wstring& folder) {  // relative names, sorted
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(Native(folder)))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), Native(folder)).string());
    return std::sort(names.begin(), names.end()), names;
}
// The text of the std::runtime_error that `action` throws; "" when it throws none.
inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        return action(), std::string();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}
// Settings with the given host, port and typed workstation name, and the default login.
inline CorvexParameters Settings(const std::wstring& host, unsigned short port, const std::wstring& name) {
    CorvexParameters parameters(L"client");
    return parameters.SetCoordinator(host, port, false), parameters.SetClientName(name, false), parameters;
}

struct ParamsOnDisk : ::testing::Test {
    std::wstring Store() const { return bench.AgentStore(); }
    std::wstring UserFile() const { return Store() + L"user.json"; }
    std::wstring WorkstationFile() const { return Store() + L"workstation.json"; }
    // Both settings files' bytes together ("" for none), read past the bench's file system (no planted fault hits it).
    std::string Bytes() const { return ReadBytes(UserFile()) + ReadBytes(WorkstationFile()); }
    std::vector<std::string> Files() const { return FilesBelow(bench.PathInRoot(L"")); }

    testing_support::AppBench bench;
    platform::PortableFileSystem& files_ = static_cast<platform::PortableFileSystem&>(bench.files);
};

}  // namespace params_test
