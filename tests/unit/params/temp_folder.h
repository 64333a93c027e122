// A private folder under the system's temporary folder for one test, removed afterwards,
// with helpers to look at the files the library wrote.
#pragma once

#include <string>
#include <vector>

namespace params_test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder as the library sees it: a wide path without a trailing separator.
    std::wstring Wide() const;
    // The folder as a native path.
    const std::string& Native() const { return path_; }

private:
    std::string path_;
};

// The bytes of a file given by a Windows-style path ('\' separators); throws when absent.
std::string ReadBytes(const std::wstring& path);
// Writes bytes to a file given by a Windows-style path, creating its folders.
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);
// The names of every file below a folder (native path), recursively, sorted.
std::vector<std::string> FilesBelow(const std::string& folder);

}  // namespace params_test
