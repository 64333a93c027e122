#include "params/text_rules.h"

#include <cstdio>

#include "params/validation_rules.h"
#include "platform/utf8.h"

namespace params {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// The characters of the general category Cf ("Other, format") in Unicode 15.
const Range kFormatCharacters[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

}  // namespace

bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

bool IsFormatCharacter(char32_t c) {
    if (c < kFormatCharacters[0].first) return false;
    for (const Range& range : kFormatCharacters) {
        if (c >= range.first && c <= range.last) return true;
    }
    return false;
}

char32_t CharacterAt(const std::wstring& text, std::size_t at, std::size_t& units) {
    const char32_t unit = static_cast<char32_t>(static_cast<unsigned long>(text[at]) & 0xFFFFFFFFul);
    units = 1;
    if (sizeof(wchar_t) == 2 && unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size()) {
        const char32_t low = static_cast<char32_t>(static_cast<unsigned long>(text[at + 1]) & 0xFFFFul);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            units = 2;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return unit;
}

std::wstring CodePointName(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04lX", static_cast<unsigned long>(c));
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::size_t Utf16Length(const std::wstring& value) {
    std::size_t units = value.size();
    if (sizeof(wchar_t) > 2) {
        for (wchar_t c : value) {
            if ((static_cast<unsigned long>(c) >> 16) != 0) ++units;
        }
    }
    return units;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsBlank(wchar_t c) {
    const unsigned long u = static_cast<unsigned long>(c);
    return u == 0x20 || u == 0xA0 || u == 0x1680 || (u >= 0x2000 && u <= 0x200A) || u == 0x202F || u == 0x205F ||
           u == 0x3000;
}

std::wstring ShowCharacter(const std::wstring& text, std::size_t at) {
    if (text[at] == L' ') return L"a blank";
    if (IsBlank(text[at])) return L"a special blank";
    std::size_t units = 1;
    CharacterAt(text, at, units);
    return L"\"" + text.substr(at, units) + L"\"";
}

std::wstring CheckCommonText(const std::wstring& value, const std::wstring& what) {
    if (Utf16Length(value) > kMaxValueLength) {
        return L"The " + what + L" is longer than " + std::to_wstring(kMaxValueLength) + L" characters.";
    }
    if (!platform::IsWellFormedWide(value)) {
        return L"The " + what + L" contains a character that is not valid Unicode text. Type it again.";
    }
    for (std::size_t i = 0, units = 1; i < value.size(); i += units) {
        const char32_t c = CharacterAt(value, i, units);
        if (IsControlCharacter(c)) {
            return L"The " + what + L" contains a control character (such as a tab or a line break). Remove it.";
        }
        if (IsFormatCharacter(c)) {
            return L"The " + what + L" contains an invisible formatting character (" + CodePointName(c) +
                   L", such as a zero-width space or a text direction mark), so it would not be stored as it "
                   L"looks. Remove it, for example by typing the value again.";
        }
    }
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) {
        return L"The " + what + L" begins or ends with a blank. Remove the blanks around it.";
    }
    return std::wstring();
}

}  // namespace params
