#include "params/dns_name.h"

#include "params/text_rules.h"

namespace params {
namespace {

constexpr std::size_t kMaxNameLength = 253;
constexpr std::size_t kMaxLabelLength = 63;

}  // namespace

std::wstring CheckDnsName(const std::wstring& name, const std::wstring& what) {
    // Named, as a pasted hyphen, blank or full-width digit looks like the one meant.
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (static_cast<unsigned long>(name[i]) > 0x7F) {
            return L"The " + what + L" contains " + ShowCharacter(name, i) +
                   L", which is not a letter A to Z. Enter an international name in its ASCII form, which "
                   L"begins with \"xn--\", or use an IP address.";
        }
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != L'-' && c != L'.') {
            return L"The " + what + L" contains " + ShowCharacter(name, i) +
                   L", which network names cannot hold. Use letters, digits, hyphens and dots only.";
        }
    }
    std::wstring body = name;
    if (!body.empty() && body.back() == L'.') body.pop_back();
    if (body.size() > kMaxNameLength) {
        return L"The " + what + L" is longer than " + std::to_wstring(kMaxNameLength) + L" characters.";
    }
    std::size_t start = 0;
    bool lastLabelAllDigits = false;
    for (;;) {
        const std::size_t dot = body.find(L'.', start);
        const std::wstring label = body.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
        if (label.empty()) {
            return L"The " + what + L" has an empty part: it begins with a dot or holds two dots in a row.";
        }
        if (label.size() > kMaxLabelLength) {
            return L"A part of the " + what + L" between dots is longer than " + std::to_wstring(kMaxLabelLength) +
                   L" characters.";
        }
        if (label.front() == L'-' || label.back() == L'-') {
            return L"A part of the " + what + L" between dots begins or ends with a hyphen.";
        }
        lastLabelAllDigits = true;
        for (wchar_t c : label) {
            if (!IsAsciiDigit(c)) lastLabelAllDigits = false;
        }
        if (dot == std::wstring::npos) break;
        start = dot + 1;
    }
    if (lastLabelAllDigits) {
        return L"The " + what +
               L" ends with a part made of digits only, so it is neither a network name nor an IPv4 address "
               L"(four numbers from 0 to 255, without leading zeros, separated by dots).";
    }
    return std::wstring();
}

}  // namespace params
