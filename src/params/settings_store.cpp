#include "params/settings_store.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <random>
#include <stdexcept>
#include <utility>

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/utf8.h"

namespace params {
namespace {

std::string Quoted(const std::wstring& path) { return "\"" + platform::WideToUtf8Lossy(path) + "\""; }

bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

bool AlreadyThere(DWORD code) { return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS; }

bool Is(DWORD attributes, DWORD flag) { return attributes != INVALID_FILE_ATTRIBUTES && (attributes & flag) != 0; }

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

// A file bigger than this is not kept when a save replaces it.
constexpr std::size_t kMaxKeptBytes = 16 * 1024 * 1024;

const char kNothingChanged[] = " No settings file was changed.";

// A file that an indexer, a virus scanner or a backup holds open for a moment cannot be
// replaced: the replace is tried again for about a second.
DWORD ReplaceWhenFree(platform::FileSystem& files, const std::wstring& from, const std::wstring& to) {
    DWORD code = files.Replace(from, to);
    for (int pause = 0; pause < 10 && (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION); ++pause) {
        platform::GetClock().Sleep(100);
        code = files.Replace(from, to);
    }
    return code;
}

// The folders below `base` down to `folder` (both ending with a backslash), outermost first,
// without their trailing backslashes.
std::vector<std::wstring> FoldersBelow(const std::wstring& base, const std::wstring& folder) {
    std::vector<std::wstring> folders;
    for (std::size_t at = base.size(); at < folder.size(); ++at) {
        if (folder[at] == L'\\') folders.push_back(folder.substr(0, at));
    }
    return folders;
}

// Sixteen hexadecimal digits that nobody can guess in advance.
std::wstring FreshToken() {
    static std::random_device device;
    std::wstring token;
    for (int word = 0; word < 2; ++word) {
        unsigned long bits = device();
        for (int digit = 0; digit < 8; ++digit, bits >>= 4) token += L"0123456789abcdef"[bits & 15u];
    }
    return token;
}

std::runtime_error LinkError(const char* what, const std::wstring& path) {
    return std::runtime_error(std::string("The settings ") + what + " " + Quoted(path) +
                              " is a link (a symbolic link or junction) to another place. The agent's settings are "
                              "never read or written through a link: an administrator should remove it.");
}

std::runtime_error NotAFolderError(const std::wstring& path, const std::string& tail) {
    return std::runtime_error("The settings folder " + Quoted(path) + " is a file, not a folder." + tail);
}

// Checks an existing folder of the agent's store; true when others may change it.
bool CheckGuardedFolder(platform::FileSystem& files, const std::wstring& folder, DWORD attributes) {
    if (Is(attributes, FILE_ATTRIBUTE_REPARSE_POINT)) throw LinkError("folder", folder);
    if (!Is(attributes, FILE_ATTRIBUTE_DIRECTORY)) throw NotAFolderError(folder, "");
    platform::FolderOwnership ownership;
    const DWORD code = files.GetOwnership(folder, ownership);
    if (code != ERROR_SUCCESS) {
        throw std::runtime_error("The owner of the settings folder " + Quoted(folder) +
                                 " cannot be read: " + DescribeSystemError(code) + ".");
    }
    if (!ownership.ownerIsAdministrator) {
        throw std::runtime_error("The settings folder " + Quoted(folder) + " belongs to " +
                                 platform::WideToUtf8Lossy(ownership.owner) +
                                 ", who is not an administrator, so the settings in it cannot be trusted. An "
                                 "administrator should check the folder and delete it; the next save creates it "
                                 "again for the administrators alone.");
    }
    return ownership.othersMayChange;
}

}  // namespace

const wchar_t kDamagedSuffix[] = L".damaged-";

std::wstring WithTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L"\\";
}

std::string DescribeSystemError(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return "the file does not exist";
    case ERROR_PATH_NOT_FOUND: return "the folder does not exist";
    case ERROR_ACCESS_DENIED: return "access is denied";
    case 32: return "another program is using the file";
    case 33: return "another program has locked a part of the file";
    case 112: return "the disk is full";
    case 206: return "the path is too long";
    case 1307: return "only an administrator may create it; run the program as an administrator";
    case platform::ERROR_FILE_TOO_LARGE_FOR_READ:
        return "the file is larger than " + std::to_string(kMaxSettingsFileBytes / 1024) + " KiB";
    default: return "system error " + std::to_string(code);
    }
}

struct SettingsStore::Target {
    std::wstring path;
    bool existed = false;
    std::string old;         // its bytes before the save
    bool damaged = false;    // they hold no settings
    std::wstring keptAs;     // where a damaged file was kept
    std::wstring temporary;  // the new contents, until they replace the file
};

SettingsStore::SettingsStore(platform::FileSystem& files, std::wstring guardedBelow)
    : files_(files), guardedBelow_(std::move(guardedBelow)) {}

std::wstring SettingsStore::DamagedName(const std::wstring& path) {
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
    return path + kDamagedSuffix + std::wstring(stamp, stamp + std::strlen(stamp));
}

bool SettingsStore::ReadIfPresent(const std::wstring& path, std::string& bytes) {
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    const bool guarded = !guardedBelow_.empty();
    if (guarded) {
        const std::wstring base = WithoutTrailingBackslash(guardedBelow_);
        if (Is(files_.GetAttributes(base), FILE_ATTRIBUTE_REPARSE_POINT)) throw LinkError("folder", base);
        for (const auto& below : FoldersBelow(guardedBelow_, folder)) {
            const DWORD attributes = files_.GetAttributes(below);
            if (attributes == INVALID_FILE_ATTRIBUTES) return false;
            CheckGuardedFolder(files_, below, attributes);
        }
    }
    const DWORD attributes = files_.GetAttributes(path);
    if (guarded && Is(attributes, FILE_ATTRIBUTE_REPARSE_POINT)) throw LinkError("file", path);
    if (Is(attributes, FILE_ATTRIBUTE_DIRECTORY)) {
        throw std::runtime_error("The settings file " + Quoted(path) +
                                 " is a folder, not a file. Remove that folder (the default settings are used "
                                 "while the file is missing).");
    }
    const DWORD code = files_.ReadWholeFile(path, kMaxSettingsFileBytes, bytes);
    if (code == ERROR_SUCCESS) return true;
    if (IsMissing(code)) {
        // A file where one of the folders should be is not a missing store.
        for (const auto& above : FoldersBelow(std::wstring(), folder)) {
            const DWORD found = files_.GetAttributes(above);
            if (found != INVALID_FILE_ATTRIBUTES && !Is(found, FILE_ATTRIBUTE_DIRECTORY))
                throw NotAFolderError(above, "");
        }
        return false;
    }
    throw std::runtime_error("The settings file " + Quoted(path) + " cannot be read: " + DescribeSystemError(code) +
                             ".");
}

void SettingsStore::PrepareGuardedFolder(const std::wstring& folder, bool create) {
    const std::wstring base = WithoutTrailingBackslash(guardedBelow_);
    DWORD baseAttributes = files_.GetAttributes(base);
    // The system's own folder is only ever missing on a machine set up by hand: it then
    // gets what the system would give it.
    if (baseAttributes == INVALID_FILE_ATTRIBUTES && create && files_.CreateFolders(base) == ERROR_SUCCESS) {
        baseAttributes = files_.GetAttributes(base);
    }
    if (Is(baseAttributes, FILE_ATTRIBUTE_REPARSE_POINT)) throw LinkError("folder", base);
    if (!Is(baseAttributes, FILE_ATTRIBUTE_DIRECTORY)) {
        throw std::runtime_error("The settings folder " + Quoted(folder) +
                                 " cannot be used: the system's ProgramData "
                                 "folder " +
                                 Quoted(base) + " does not exist.");
    }
    for (const auto& below : FoldersBelow(guardedBelow_, folder)) {
        DWORD attributes = files_.GetAttributes(below);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!create) throw std::runtime_error("The settings folder " + Quoted(below) + " does not exist.");
            const DWORD code = files_.CreateStoreFolder(below);
            if (code != ERROR_SUCCESS && !AlreadyThere(code)) {
                throw std::runtime_error("The settings folder " + Quoted(below) +
                                         " cannot be created: " + DescribeSystemError(code) + "." + kNothingChanged);
            }
            attributes = files_.GetAttributes(below);
        }
        if (!CheckGuardedFolder(files_, below, attributes)) continue;
        const DWORD code = files_.RestrictToAdministrators(below);
        if (code != ERROR_SUCCESS) {
            throw std::runtime_error("The settings folder " + Quoted(below) +
                                     " cannot be protected: " + DescribeSystemError(code) + "." + kNothingChanged);
        }
    }
}

void SettingsStore::PrepareFolder(const std::wstring& folder, bool createFolders) {
    if (!guardedBelow_.empty()) return PrepareGuardedFolder(folder, createFolders);
    const DWORD code = createFolders ? files_.CreateFolders(folder) : ERROR_SUCCESS;
    const DWORD attributes = files_.GetAttributes(WithoutTrailingBackslash(folder));
    if (code == ERROR_SUCCESS && Is(attributes, FILE_ATTRIBUTE_DIRECTORY)) return;
    for (const auto& above : FoldersBelow(std::wstring(), folder)) {
        const DWORD found = files_.GetAttributes(above);
        if (found != INVALID_FILE_ATTRIBUTES && !Is(found, FILE_ATTRIBUTE_DIRECTORY)) {
            throw NotAFolderError(above, createFolders
                                             ? " The settings folder " + Quoted(folder) + " cannot be created there."
                                             : std::string());
        }
    }
    if (!createFolders) throw std::runtime_error("The settings folder " + Quoted(folder) + " does not exist.");
    throw std::runtime_error("The settings folder " + Quoted(folder) +
                             " cannot be created: " + DescribeSystemError(code) + "." + kNothingChanged);
}

void SettingsStore::ReadTarget(const PendingFile& file, Target& target) {
    target.path = file.folder + file.name;
    const DWORD attributes = files_.GetAttributes(target.path);
    if (!guardedBelow_.empty() && Is(attributes, FILE_ATTRIBUTE_REPARSE_POINT)) throw LinkError("file", target.path);
    if (Is(attributes, FILE_ATTRIBUTE_DIRECTORY)) {
        throw std::runtime_error("The settings file " + Quoted(target.path) +
                                 " is a folder, not a file, so the settings cannot be saved. Remove that folder." +
                                 kNothingChanged);
    }
    // The system refuses to replace such a file and would tell it as access denied.
    if (Is(attributes, FILE_ATTRIBUTE_READONLY)) {
        throw std::runtime_error("The settings file " + Quoted(target.path) +
                                 " is marked read-only, so the settings cannot be saved. Clear that mark in the "
                                 "file's properties first." +
                                 kNothingChanged);
    }
    const DWORD code = files_.ReadWholeFile(target.path, kMaxKeptBytes, target.old);
    if (IsMissing(code)) return;
    if (code != ERROR_SUCCESS) {
        const std::string reason =
            code == platform::ERROR_FILE_TOO_LARGE_FOR_READ
                ? "it is larger than " + std::to_string(kMaxKeptBytes >> 20) + " MiB; move it away first"
                : DescribeSystemError(code);
        throw std::runtime_error("The settings file " + Quoted(target.path) +
                                 " cannot be read before it is replaced: " + reason + "." + kNothingChanged);
    }
    target.existed = true;
    bool damaged = target.old.size() > kMaxSettingsFileBytes;
    if (!damaged) {
        try {
            file.check(target.old);
        } catch (...) {  // whatever the parser refuses
            damaged = true;
        }
    }
    target.damaged = damaged;
}

std::wstring SettingsStore::WriteFresh(const std::wstring& stem, const std::string& bytes, bool temporary,
                                       DWORD& code) {
    for (int attempt = 1; attempt <= 5; ++attempt) {
        const std::wstring path = temporary      ? stem + L"." + FreshToken() + L".tmp"
                                  : attempt == 1 ? stem
                                                 : stem + L"-" + std::to_wstring(attempt);
        code = files_.WriteNewFile(path, bytes, !guardedBelow_.empty());
        if (code == ERROR_SUCCESS) return path;
        if (!AlreadyThere(code)) {
            files_.Remove(path);
            break;
        }
    }
    return std::wstring();
}

bool SettingsStore::PutBack(const Target& target) {
    if (!target.existed) return files_.Remove(target.path) == ERROR_SUCCESS;
    DWORD code = ERROR_SUCCESS;
    const std::wstring old = WriteFresh(target.path, target.old, true, code);
    if (old.empty()) return false;
    if (ReplaceWhenFree(files_, old, target.path) == ERROR_SUCCESS) return true;
    files_.Remove(old);
    return false;
}

void SettingsStore::Clean(const std::vector<Target>& targets, bool keptToo) {
    for (const auto& target : targets) {
        if (!target.temporary.empty()) files_.Remove(target.temporary);
        if (keptToo && !target.keptAs.empty()) files_.Remove(target.keptAs);
    }
}

void SettingsStore::WriteAll(const std::vector<PendingFile>& files, bool createFolders) {
    std::vector<std::wstring> prepared;
    for (const auto& file : files) {
        if (std::find(prepared.begin(), prepared.end(), file.folder) != prepared.end()) continue;
        PrepareFolder(file.folder, createFolders);
        prepared.push_back(file.folder);
    }
    std::vector<Target> targets(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) ReadTarget(files[i], targets[i]);

    // A damaged file is kept beside the store before anything is replaced.
    for (auto& target : targets) {
        if (!target.damaged) continue;
        DWORD code = ERROR_SUCCESS;
        target.keptAs = WriteFresh(DamagedName(target.path), target.old, false, code);
        if (target.keptAs.empty()) {
            Clean(targets, true);
            throw std::runtime_error("The settings file " + Quoted(target.path) +
                                     " is damaged and cannot be kept before it is replaced: " +
                                     DescribeSystemError(code) + "." + kNothingChanged);
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        DWORD code = ERROR_SUCCESS;
        targets[i].temporary = WriteFresh(targets[i].path, files[i].bytes, true, code);
        if (targets[i].temporary.empty()) {
            Clean(targets, true);
            throw std::runtime_error("The settings file " + Quoted(targets[i].path) +
                                     " cannot be written: " + DescribeSystemError(code) + "." + kNothingChanged);
        }
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const DWORD code = ReplaceWhenFree(files_, targets[i].temporary, targets[i].path);
        if (code == ERROR_SUCCESS) {
            targets[i].temporary.clear();
            continue;
        }
        // All or nothing: the files replaced so far get their old contents back.
        std::string stuck;
        for (std::size_t j = 0; j < i; ++j) {
            if (PutBack(targets[j])) continue;
            stuck += (stuck.empty() ? "" : " and ") + Quoted(targets[j].path);
        }
        std::string message =
            "The settings file " + Quoted(targets[i].path) + " cannot be replaced: " + DescribeSystemError(code) + ".";
        if (stuck.empty()) {
            Clean(targets, true);
            throw std::runtime_error(message + kNothingChanged);
        }
        Clean(targets, false);
        message += " " + stuck +
                   " already held the new settings and could not be put back; the other files were "
                   "left as they were.";
        for (const auto& target : targets) {
            if (!target.keptAs.empty()) message += " The damaged file was kept as " + Quoted(target.keptAs) + ".";
        }
        throw std::runtime_error(message);
    }
}

}  // namespace params
