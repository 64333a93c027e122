#include "temp_folder.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/portable/portable_file_system.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;

namespace params_test {

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "corvex-params-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::wstring TempFolder::Wide() const {
    std::wstring wide;
    platform::Utf8ToWide(path_, wide);
    return wide;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(platform::PortableFileSystem::NativePath(path), std::ios::binary);
    if (!in) throw std::runtime_error("no file at " + platform::PortableFileSystem::NativePath(path));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    const fs::path native = platform::PortableFileSystem::NativePath(path);
    fs::create_directories(native.parent_path());
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::wstring& path) { return fs::exists(platform::PortableFileSystem::NativePath(path)); }

std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace params_test
