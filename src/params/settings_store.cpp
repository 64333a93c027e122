#include "params/settings_store.h"

#include <algorithm>
#include <stdexcept>

#include "platform/utf8.h"

namespace params {
namespace {

std::string Quoted(const std::wstring& path) { return "\"" + platform::WideToUtf8Lossy(path) + "\""; }

bool IsMissing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

}  // namespace

const wchar_t kTemporarySuffix[] = L".tmp";

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
    case platform::ERROR_FILE_TOO_LARGE_FOR_READ:
        return "the file is larger than " + std::to_string(kMaxSettingsFileBytes / 1024) + " KiB";
    default: return "system error " + std::to_string(code);
    }
}

bool SettingsStore::ReadIfPresent(const std::wstring& path, std::string& bytes) {
    const DWORD code = files_.ReadWholeFile(path, kMaxSettingsFileBytes, bytes);
    if (code == ERROR_SUCCESS) return true;
    if (IsMissing(code)) return false;
    throw std::runtime_error("The settings file " + Quoted(path) + " cannot be read: " + DescribeSystemError(code) +
                             ".");
}

void SettingsStore::PrepareFolder(const std::wstring& folder, bool createFolders) {
    if (createFolders) {
        const DWORD code = files_.CreateFolders(folder);
        if (code != ERROR_SUCCESS) {
            throw std::runtime_error("The settings folder " + Quoted(folder) + " cannot be created: " +
                                     DescribeSystemError(code) + ".");
        }
        return;
    }
    const DWORD attributes = files_.GetAttributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        throw std::runtime_error("The settings folder " + Quoted(folder) + " does not exist.");
    }
}

void SettingsStore::RemoveTemporaries(const std::vector<PendingFile>& files, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        files_.Remove(files[i].folder + files[i].name + kTemporarySuffix);
    }
}

void SettingsStore::WriteAll(const std::vector<PendingFile>& files, bool createFolders) {
    for (const auto& file : files) PrepareFolder(file.folder, createFolders);
    std::vector<std::wstring> restricted;
    for (const auto& file : files) {
        if (!file.agentStore) continue;
        if (std::find(restricted.begin(), restricted.end(), file.folder) != restricted.end()) continue;
        restricted.push_back(file.folder);
        const DWORD code = files_.RestrictToAdministrators(file.folder);
        if (code != ERROR_SUCCESS) {
            throw std::runtime_error("The settings folder " + Quoted(file.folder) +
                                     " cannot be protected: " + DescribeSystemError(code) +
                                     ". No settings file was changed.");
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::wstring target = files[i].folder + files[i].name;
        const DWORD code = files_.WriteAndFlush(target + kTemporarySuffix, files[i].bytes);
        if (code != ERROR_SUCCESS) {
            RemoveTemporaries(files, 0, i + 1);
            throw std::runtime_error("The settings file " + Quoted(target) + " cannot be written: " +
                                     DescribeSystemError(code) + ". The file was left as it was.");
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::wstring target = files[i].folder + files[i].name;
        const DWORD code = files_.Replace(target + kTemporarySuffix, target);
        if (code != ERROR_SUCCESS) {
            RemoveTemporaries(files, i, files.size());
            throw std::runtime_error("The settings file " + Quoted(target) + " cannot be replaced: " +
                                     DescribeSystemError(code) + ". The file was left as it was.");
        }
    }
}

}  // namespace params
