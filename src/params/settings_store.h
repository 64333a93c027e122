// Reading and writing settings files through the file system seam. A read tells a missing
// file apart from one that cannot be read; a write never leaves a torn file: each file is
// written to a temporary file beside it, flushed to the disk, and then put in its place.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace params {

// A settings file larger than this is not read: it cannot be one of ours.
constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;

// The suffix of the temporary file that a write puts beside its target.
extern const wchar_t kTemporarySuffix[];

struct PendingFile {
    std::wstring folder;  // ends with a backslash
    std::wstring name;
    std::string bytes;
    // The folder is the agent's own store: before the write it gets the store's rights
    // (only the system and the administrators may change it; see FileSystem).
    bool agentStore = false;
};

class SettingsStore {
public:
    explicit SettingsStore(platform::FileSystem& files) : files_(files) {}

    // Reads a whole file into `bytes`. False when no file exists there (nor its folder).
    // Throws std::runtime_error naming the file when it exists but cannot be read.
    bool ReadIfPresent(const std::wstring& path, std::string& bytes);

    // Writes every file: first all the temporary files, then one replace after another. A
    // failure before the first replace changes no file; a failed replace leaves its target
    // as it was (files replaced before it keep their new contents). No temporary file is
    // left behind. `createFolders`: create missing folders; false requires them to exist.
    // A folder that cannot be given the agent store's rights stops the save before any write.
    // Throws std::runtime_error naming the file or folder.
    void WriteAll(const std::vector<PendingFile>& files, bool createFolders);

private:
    void PrepareFolder(const std::wstring& folder, bool createFolders);
    void RemoveTemporaries(const std::vector<PendingFile>& files, std::size_t from, std::size_t to);

    platform::FileSystem& files_;
};

// The path with a backslash at its end.
std::wstring WithTrailingBackslash(const std::wstring& path);

// What a system error code means, in words for a message ("access is denied").
std::string DescribeSystemError(DWORD code);

}  // namespace params
