// Text helpers: UTF-8 for the JSON output, and the comparisons the commands use.
#pragma once

#include <string>

namespace uidriver {

std::string Utf8(const std::wstring& text);

// A button or menu text as shown: single '&' removed, "&&" kept as one '&'.
std::wstring StripMnemonics(const std::wstring& text);

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b);

}  // namespace uidriver
