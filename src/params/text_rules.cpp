#include "params/text_rules.h"

#include "params/validation_rules.h"
#include "platform/utf8.h"

namespace params {
namespace {

bool IsControl(wchar_t c) {
    const unsigned long u = static_cast<unsigned long>(c);
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

}  // namespace

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
    return u == 0x20 || u == 0xA0 || u == 0x1680 || (u >= 0x2000 && u <= 0x200A) || u == 0x202F ||
           u == 0x205F || u == 0x3000 || u == 0xFEFF;
}

std::wstring ShowCharacter(wchar_t c) {
    if (c == L' ') return L"a blank";
    if (IsBlank(c)) return L"a special blank";
    return L"\"" + std::wstring(1, c) + L"\"";
}

std::wstring CheckCommonText(const std::wstring& value, const std::wstring& what) {
    if (Utf16Length(value) > kMaxValueLength) {
        return L"The " + what + L" is longer than " + std::to_wstring(kMaxValueLength) + L" characters.";
    }
    if (!platform::IsWellFormedWide(value)) {
        return L"The " + what + L" contains a character that is not valid Unicode text. Type it again.";
    }
    for (wchar_t c : value) {
        if (IsControl(c)) {
            return L"The " + what + L" contains a control character (such as a tab or a line break). Remove it.";
        }
    }
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) {
        return L"The " + what + L" begins or ends with a blank. Remove the blanks around it.";
    }
    return std::wstring();
}

}  // namespace params
