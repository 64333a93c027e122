// One run of a Unix program from a Windows program under Wine, waited for through a file.
//
// Wine starts a Unix program from CreateProcessW but gives no process handle for it, so the
// adapter cannot wait for it directly. Instead it writes a job folder with the arguments (one
// per line, UTF-8) and a shell wrapper, starts /bin/sh on the wrapper, and polls for the
// status file that the wrapper writes under a temporary name and renames into place when the
// program has ended.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace adapter {

struct JobResult {
    bool finished = false;   // the program ran and ended within the time limit
    DWORD exitCode = 0;      // its exit status when it finished
    std::wstring error;      // why it did not finish
    std::string output;      // what it printed (standard output and error)
};

JobResult RunUnixProgram(const std::wstring& unixProgram, const std::vector<std::wstring>& arguments,
                         DWORD timeoutMilliseconds);

std::string Utf8(const std::wstring& text);

// A text for a POSIX shell in single quotes.
std::string ShellQuote(const std::string& text);

}  // namespace adapter
