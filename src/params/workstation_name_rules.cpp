// The name under which the backup server sees this workstation.
#include "params/text_rules.h"
#include "params/validation_rules.h"

namespace params {

std::wstring CheckWorkstationName(const std::wstring& name) {
    if (name.empty()) return std::wstring();
    std::wstring message = CheckCommonText(name, L"workstation name");
    if (!message.empty()) return message;
    if (name.size() > kMaxWorkstationNameLength) {
        return L"The workstation name is longer than " + std::to_wstring(kMaxWorkstationNameLength) + L" characters.";
    }
    if (name.find(L'.') != std::wstring::npos) {
        return L"The workstation name contains a dot. Enter the computer name alone, without its domain "
               L"(for example WS-0142, not WS-0142.example.com).";
    }
    bool allDigits = true;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != L'-') {
            return L"The workstation name contains " + ShowCharacter(name, i) +
                   L". Use letters A to Z, digits and hyphens only.";
        }
        if (!IsAsciiDigit(c)) allDigits = false;
    }
    if (name.front() == L'-' || name.back() == L'-') {
        return L"The workstation name cannot begin or end with a hyphen.";
    }
    if (allDigits) return L"The workstation name cannot consist of digits only.";
    return std::wstring();
}

}  // namespace params
