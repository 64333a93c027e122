// Reading and writing settings files through the file system seam.
//
// A read tells a missing file apart from one that cannot be read. A write never leaves a
// torn file: each file is written to a new temporary file under a fresh name beside it,
// flushed to the disk, and then put in its place; the files of one write are replaced all
// together or not at all. A file that no longer holds settings is kept beside its
// replacement under a name that says so.
//
// The agent's own store (below ProgramData) is guarded: no link (symbolic link, junction)
// is followed from ProgramData down, a folder that a non-administrator owns is refused, a
// folder that others may change is given the store's rights, and the folders and files that
// a save creates get those rights at their creation.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace params {

// A settings file larger than this is not read: it cannot be one of ours.
constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;

// What the name of a kept damaged file adds to the settings file's name, before the date
// and time ("workstation.json.damaged-20261206-184512").
extern const wchar_t kDamagedSuffix[];

struct PendingFile {
    std::wstring folder;  // ends with a backslash
    std::wstring name;
    std::string bytes;
    // Throws when the bytes of the file now at the target hold no settings (it is damaged).
    std::function<void(const std::string&)> check;
};

class SettingsStore {
public:
    // `guardedBelow`: for the agent's own store, its ProgramData folder (ending with a
    // backslash); every folder below it is the store's own and guarded. Empty for other folders.
    SettingsStore(platform::FileSystem& files, std::wstring guardedBelow);

    // Reads a whole file into `bytes`. False when no file exists there (nor its folder).
    // Throws std::runtime_error naming the file or folder when it exists but cannot be read,
    // is a folder, or (in the agent's store) lies behind a link or in a folder that a
    // non-administrator owns.
    bool ReadIfPresent(const std::wstring& path, std::string& bytes);

    // Writes every file (see above). `createFolders`: create missing folders; false requires
    // them to exist. Throws std::runtime_error naming the file or folder and saying which
    // files changed.
    void WriteAll(const std::vector<PendingFile>& files, bool createFolders);

    // Creates a folder (and every missing one above it) or checks it, as WriteAll does before it
    // writes: in the agent's store, with the store's rights and refusals. For the system's own
    // files beside the settings, such as the installer's log. Throws std::runtime_error.
    void Prepare(const std::wstring& folder) { PrepareFolder(folder, true); }

    // The name under which a damaged file is kept when a save replaces it: its path, the
    // suffix and the local date and time.
    static std::wstring DamagedName(const std::wstring& path);

private:
    struct Target;

    void PrepareFolder(const std::wstring& folder, bool createFolders);
    void PrepareGuardedFolder(const std::wstring& folder, bool create);
    void ReadTarget(const PendingFile& file, Target& target);
    std::wstring WriteFresh(const std::wstring& stem, const std::string& bytes, bool temporary, DWORD& code);
    bool PutBack(const Target& target);
    void Clean(const std::vector<Target>& targets, bool keptToo);

    platform::FileSystem& files_;
    std::wstring guardedBelow_;
};

// The path with a backslash at its end.
std::wstring WithTrailingBackslash(const std::wstring& path);

// What a system error code means, in words for a message ("access is denied").
std::string DescribeSystemError(DWORD code);

}  // namespace params
