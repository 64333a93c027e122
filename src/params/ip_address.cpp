#include "params/ip_address.h"

#include <vector>

#include "params/text_rules.h"

namespace params {
namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) return parts;
        start = at + 1;
    }
}

bool IsHexDigit(wchar_t c) { return IsAsciiDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

bool IsHexGroup(const std::wstring& group) {
    if (group.empty() || group.size() > 4) return false;
    for (wchar_t c : group) {
        if (!IsHexDigit(c)) return false;
    }
    return true;
}

// Counts the groups of one side of "::" (or of the whole address). False when a group is
// malformed or an IPv4 tail stands anywhere but at the very end (`mayEndWithIpv4`).
bool CountGroups(const std::wstring& side, bool mayEndWithIpv4, int& count) {
    count = 0;
    if (side.empty()) return true;
    const std::vector<std::wstring> groups = Split(side, L':');
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const bool last = i + 1 == groups.size();
        if (last && mayEndWithIpv4 && groups[i].find(L'.') != std::wstring::npos) {
            if (!IsIpv4Address(groups[i])) return false;
            count += 2;
        } else if (IsHexGroup(groups[i])) {
            count += 1;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsIpv4Address(const std::wstring& text) {
    const std::vector<std::wstring> parts = Split(text, L'.');
    if (parts.size() != 4) return false;
    for (const auto& part : parts) {
        if (part.empty() || part.size() > 3) return false;
        if (part.size() > 1 && part[0] == L'0') return false;
        int value = 0;
        for (wchar_t c : part) {
            if (!IsAsciiDigit(c)) return false;
            value = value * 10 + (c - L'0');
        }
        if (value > 255) return false;
    }
    return true;
}

bool IsIpv6Address(const std::wstring& text) {
    const std::size_t gap = text.find(L"::");
    if (gap == std::wstring::npos) {
        int count = 0;
        return CountGroups(text, true, count) && count == 8;
    }
    if (text.find(L"::", gap + 1) != std::wstring::npos) return false;
    const std::wstring left = text.substr(0, gap);
    const std::wstring right = text.substr(gap + 2);
    int leftCount = 0;
    int rightCount = 0;
    if (!CountGroups(left, false, leftCount) || !CountGroups(right, true, rightCount)) return false;
    return leftCount + rightCount <= 7;
}

}  // namespace params
