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

// Case-insensitive comparison, portable (simple case folding of each UTF-16 unit).
int CompareNoCasePortable(const std::wstring& a, const std::wstring& b);

// The shell's splitting rules, portable: used by the fake and checked against the real
// splitter under Wine. Arguments are separated by blanks and tabs; a quote toggles quoting
// (a doubled quote inside quotes stands for one quote); 2n backslashes before a quote stand
// for n backslashes and the quote is a delimiter, 2n+1 stand for n and a literal quote;
// other backslashes are literal. The first argument, the program name, ends at the first
// blank or tab outside quotes and takes no backslash rules.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

}  // namespace platform
