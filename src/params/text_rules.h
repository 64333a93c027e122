// Checks shared by every value: length, well-formed Unicode, control and format characters,
// blanks at either end; and small helpers for the rules' messages.
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

// Control characters: U+0000-U+001F, U+007F-U+009F, and the line and paragraph separators.
bool IsControlCharacter(char32_t c);
// Format characters (the Unicode category Cf): invisible characters that change how the text
// around them is shown or joined, such as U+200B, U+202E, U+2066 or U+00AD.
bool IsFormatCharacter(char32_t c);

// The character that begins at `at` (a whole surrogate pair where wchar_t has 16 bits), and
// the number of units it takes in `units`. An unpaired surrogate is returned alone.
char32_t CharacterAt(const std::wstring& text, std::size_t at, std::size_t& units);

// The character that begins at `at`, for a message: "X" in quotes (the whole character,
// never half a surrogate pair), or a word for a blank.
std::wstring ShowCharacter(const std::wstring& text, std::size_t at);

// "U+202E": a code point as Unicode writes it.
std::wstring CodePointName(char32_t c);

}  // namespace params
