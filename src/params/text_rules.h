// Checks shared by every value: length, well-formed Unicode, control characters, blanks at
// either end; and small helpers for the rules' messages.
#pragma once

#include <cstddef>
#include <string>

namespace params {

// `what` names the value in messages ("server host name"). Empty when the text passes.
std::wstring CheckCommonText(const std::wstring& value, const std::wstring& what);

// The value's length in UTF-16 units, as Windows counts it.
std::size_t Utf16Length(const std::wstring& value);

bool IsAsciiLetter(wchar_t c);
bool IsAsciiDigit(wchar_t c);
bool IsBlank(wchar_t c);

// A character for a message: "X" in quotes, or a word for a blank.
std::wstring ShowCharacter(wchar_t c);

}  // namespace params
