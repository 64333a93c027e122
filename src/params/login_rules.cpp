// The backup administrator's login, in the forms Windows users type.
#include <algorithm>

#include "params/dns_name.h"
#include "params/text_rules.h"
#include "params/validation_rules.h"

namespace params {
namespace {

// Characters that Windows refuses in user account names.
const wchar_t kForbiddenInUserName[] = L"\"/\\[]:;|=,+*?<>@";

bool IsForbidden(wchar_t c) {
    for (const wchar_t* f = kForbiddenInUserName; *f != L'\0'; ++f) {
        if (*f == c) return true;
    }
    return false;
}

std::wstring CheckUserPart(const std::wstring& user) {
    if (Utf16Length(user) > kMaxUserNameLength) {
        return L"The user name in the backup administrator login is longer than " +
               std::to_wstring(kMaxUserNameLength) + L" characters.";
    }
    for (std::size_t i = 0; i < user.size(); ++i) {
        if (IsForbidden(user[i])) {
            return L"The user name in the backup administrator login contains " + ShowCharacter(user, i) +
                   L", which Windows does not allow in user names (\" / \\ [ ] : ; | = , + * ? < > @).";
        }
    }
    if (std::all_of(user.begin(), user.end(), [](wchar_t c) { return c == L'.' || IsBlank(c); })) {
        return L"The user name in the backup administrator login cannot consist of dots and blanks only.";
    }
    if (IsBlank(user.front()) || IsBlank(user.back())) {
        return L"The user name in the backup administrator login begins or ends with a blank. Remove the blank.";
    }
    // Pasted from formatted text, a no-break space looks like a blank but names another account.
    const auto special = std::find_if(user.begin(), user.end(), [](wchar_t c) { return IsBlank(c) && c != L' '; });
    if (special != user.end()) {
        return L"The user name in the backup administrator login contains a special blank (" +
               CodePointName(static_cast<char32_t>(*special)) +
               L"), which looks like a blank but names another account. Type an ordinary blank in its place.";
    }
    return std::wstring();
}

std::wstring CheckDomainBeforeBackslash(const std::wstring& domain) {
    if (domain.empty()) {
        return L"The backup administrator login has nothing before the backslash. Write the domain or computer "
               L"name there, or \".\" for this computer.";
    }
    for (std::size_t i = 0; i < domain.size(); ++i) {
        if (IsForbidden(domain[i]) || IsBlank(domain[i])) {
            return L"The domain or computer name in the backup administrator login contains " +
                   ShowCharacter(domain, i) + L", which is not allowed there.";
        }
    }
    return std::wstring();
}

std::wstring CheckBackslashForm(const std::wstring& login, std::size_t backslash) {
    std::wstring message = CheckDomainBeforeBackslash(login.substr(0, backslash));
    if (!message.empty()) return message;
    const std::wstring user = login.substr(backslash + 1);
    if (user.empty()) {
        return L"The backup administrator login has no user name after the backslash. Write it as DOMAIN\\user.";
    }
    return CheckUserPart(user);
}

std::wstring CheckAtForm(const std::wstring& login, std::size_t at) {
    if (login.find(L'@', at + 1) != std::wstring::npos) {
        return L"The backup administrator login contains more than one \"@\". Write it as user@domain.";
    }
    const std::wstring user = login.substr(0, at);
    const std::wstring domain = login.substr(at + 1);
    if (user.empty()) {
        return L"The backup administrator login has no user name before \"@\". Write it as user@domain.";
    }
    if (domain.empty()) {
        return L"The backup administrator login has no domain after \"@\". Write it as user@domain.";
    }
    std::wstring message = CheckUserPart(user);
    if (!message.empty()) return message;
    return CheckDnsName(domain, L"domain after \"@\" in the backup administrator login");
}

}  // namespace

std::wstring CheckLogin(const std::wstring& login) {
    if (login.empty()) {
        return L"The backup administrator login is empty. Enter it as DOMAIN\\user, user@domain or user.";
    }
    std::wstring message = CheckCommonText(login, L"backup administrator login");
    if (!message.empty()) return message;
    // An East Asian input method left in full-width mode types look-alikes: "＼" is no backslash.
    // Japanese and Korean keyboards and fonts show the backslash as a yen or won sign, so a text
    // written there may hold the sign itself.
    for (std::size_t i = 0; i < login.size(); ++i) {
        const wchar_t c = login[i];
        if (c == 0xA5 || c == 0x20A9 || c == 0xFFE5 || c == 0xFFE6) {
            return L"The backup administrator login contains " + ShowCharacter(login, i) + L" (" + CodePointName(c) +
                   L"), a currency sign that Japanese and Korean keyboards show for the backslash, so it would name "
                   L"another account. Type the backslash (\\) there.";
        }
        if (login[i] >= 0xFF01 && login[i] <= 0xFF5E) {
            return L"The backup administrator login contains " + ShowCharacter(login, i) + L" (" +
                   CodePointName(login[i]) + L"), the full-width form of \"" +
                   std::wstring(1, static_cast<wchar_t>(login[i] - 0xFEE0)) +
                   L"\", so it would name another account. Type the ordinary character (the input method in "
                   L"half-width mode).";
        }
    }
    const std::size_t backslash = login.find(L'\\');
    if (backslash != std::wstring::npos) {
        if (login.find(L'\\', backslash + 1) != std::wstring::npos) {
            return L"The backup administrator login contains more than one backslash. Write it as DOMAIN\\user.";
        }
        return CheckBackslashForm(login, backslash);
    }
    const std::size_t at = login.find(L'@');
    if (at != std::wstring::npos) return CheckAtForm(login, at);
    return CheckUserPart(login);
}

}  // namespace params
