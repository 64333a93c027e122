// A file system for the kill-during-save test: passes every call to a real one and kills its
// own process (SIGKILL, no clean-up of any kind) when the save reaches a chosen step.
// Steps are counted across calls: before each operation, half-way through writing a file
// (half of the bytes are on the disk), and after each operation.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace reliability {

class KillingFileSystem : public platform::FileSystem {
public:
    // `killAtStep`: the step (0-based) at which the process dies; -1 never.
    KillingFileSystem(platform::FileSystem& real, int killAtStep) : real_(real), killAt_(killAtStep) {}

    // Steps passed so far (after a save that was not killed: the number of steps a save has).
    int steps() const { return step_; }

    DWORD GetAttributes(const std::wstring& path) override { return real_.GetAttributes(path); }
    DWORD ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& contents) override {
        return real_.ReadWholeFile(path, maxBytes, contents);
    }
    DWORD WriteAndFlush(const std::wstring& path, const std::string& contents) override;
    DWORD Replace(const std::wstring& source, const std::wstring& target) override;
    DWORD Remove(const std::wstring& path) override;
    DWORD CreateFolders(const std::wstring& path) override;
    DWORD RestrictToAdministrators(const std::wstring& path) override;

private:
    // Counts a step and dies when it is the chosen one.
    void Step();

    platform::FileSystem& real_;
    int killAt_;
    int step_ = 0;
};

}  // namespace reliability
