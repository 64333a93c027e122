// Seam: the process command line and its splitting into arguments.
#pragma once

#include <string>
#include <vector>

namespace platform {

class CommandLine {
public:
    virtual ~CommandLine() = default;
    // The whole command line of the process (GetCommandLineW).
    virtual std::wstring Get() = 0;
    // Splits a command line by the shell's rules (CommandLineToArgvW). False when it can't.
    virtual bool Split(const std::wstring& commandLine, std::vector<std::wstring>& arguments) = 0;
    // StrCmpIW: compares two texts without regard to letter case; 0 when equal.
    virtual int CompareNoCase(const std::wstring& a, const std::wstring& b) = 0;
};

// Case-insensitive comparison without the shell: on Windows as the file system compares names,
// elsewhere one UTF-16 unit at a time.
int CompareNoCasePortable(const std::wstring& a, const std::wstring& b);

}  // namespace platform
