// The translation of the Windows compiler's arguments into the Unix compiler's.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace adapter {

// Turns a Windows path into a Unix path; false when it cannot.
using PathTranslator = std::function<bool(const std::wstring& windowsPath, std::wstring& unixPath)>;

// Whether the text is an absolute Windows path (drive letter and separator, or \\server).
bool IsAbsoluteWindowsPath(const std::wstring& text);

// "/X..." becomes "-X..."; the value of a define (/DNAME=value) and a plain argument (the
// script) that are absolute Windows paths become Unix paths, keeping a trailing separator.
// Other texts pass unchanged. False, with `error` set, when a path cannot be translated.
bool TranslateArguments(const std::vector<std::wstring>& windowsArguments, const PathTranslator& translate,
                        std::vector<std::wstring>& unixArguments, std::wstring& error);

}  // namespace adapter
