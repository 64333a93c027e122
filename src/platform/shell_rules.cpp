// Portable versions of the shell's command-line splitting and path trimming, with the
// same results as CommandLineToArgvW and PathRemoveFileSpecW.
#include "platform/command_line.h"
#include "platform/module_file.h"

#include <algorithm>

#include <cwctype>

namespace platform {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> arguments;
    const size_t n = line.size();
    size_t i = 0;

    // The program name: up to the closing quote when it starts with one, else up to a blank.
    std::wstring program;
    if (i < n && line[i] == L'"') {
        for (++i; i < n && line[i] != L'"'; ++i) program += line[i];
        if (i < n) ++i;
    } else {
        for (; i < n && !IsBlank(line[i]); ++i) program += line[i];
    }
    arguments.push_back(program);

    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) return arguments;

    std::wstring current;
    int quotes = 0;          // 1 while inside a quoted part
    size_t backslashes = 0;  // backslashes right before the current character
    while (i < n) {
        const wchar_t c = line[i];
        if (IsBlank(c) && quotes == 0) {
            arguments.push_back(current);
            current.clear();
            backslashes = 0;
            while (i < n && IsBlank(line[i])) ++i;
            if (i >= n) return arguments;
        } else if (c == L'\\') {
            current += c;
            ++backslashes;
            ++i;
        } else if (c == L'"') {
            if (backslashes % 2 == 0) {
                // 2n backslashes: n of them stay, the quote opens or closes a quoted part.
                current.erase(current.size() - backslashes / 2);
                ++quotes;
            } else {
                // 2n+1 backslashes: n of them stay, the quote is literal.
                current.erase(current.size() - backslashes / 2 - 1);
                current += L'"';
            }
            ++i;
            backslashes = 0;
            // Runs of quotes: every third one is a literal quote.
            while (i < n && line[i] == L'"') {
                if (++quotes == 3) {
                    current += L'"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2) quotes = 0;
        } else {
            current += c;
            backslashes = 0;
            ++i;
        }
    }
    arguments.push_back(current);
    return arguments;
}

BOOL RemoveFileSpecPortable(wchar_t* path) {
    if (path == nullptr) return FALSE;
    wchar_t* fileSpec = path;
    // A leading "\" or "\\" (UNC) is never removed.
    if (*path == L'\\') fileSpec = ++path;
    if (*path == L'\\') fileSpec = ++path;
    while (*path != L'\0') {
        if (*path == L'\\') {
            fileSpec = path;
        } else if (*path == L':') {
            fileSpec = ++path;               // keep the drive
            if (*path == L'\\') ++fileSpec;  // and the root's backslash
            if (*path == L'\0') break;
        }
        ++path;
    }
    if (*fileSpec != L'\0') {
        *fileSpec = L'\0';
        return TRUE;
    }
    return FALSE;
}

int CompareNoCasePortable(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wint_t x = std::towlower(static_cast<wint_t>(a[i]));
        const wint_t y = std::towlower(static_cast<wint_t>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
