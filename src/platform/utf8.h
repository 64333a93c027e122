// Conversions between wide strings and UTF-8. A wide string holds UTF-16 where wchar_t has
// 16 bits (Windows) and UTF-32 where it has 32 bits (the native test build). Boost.Locale's
// utf_to_utf converts, with its stop method, which refuses ill-formed input.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Encodes `text` as UTF-8 into `out`. False, with `out` unspecified, when the text holds
// something that is not a Unicode scalar value (an unpaired surrogate, a value above
// U+10FFFF).
bool WideToUtf8(const std::wstring& text, std::string& out);

// Decodes UTF-8 into `out`. False when the bytes are not well-formed UTF-8 (overlong forms,
// surrogates, values above U+10FFFF and cut sequences included).
bool Utf8ToWide(const std::string& bytes, std::wstring& out);

// The length in bytes of the longest start of `bytes` that is well-formed UTF-8 and ends
// with a whole character: bytes.size() when all of it is.
std::size_t Utf8WellFormedPrefix(const std::string& bytes);

// Whether the wide text holds only Unicode scalar values (see WideToUtf8).
bool IsWellFormedWide(const std::wstring& text);

// UTF-8 for messages: like WideToUtf8, with U+FFFD in place of anything ill-formed.
std::string WideToUtf8Lossy(const std::wstring& text);

}  // namespace platform
