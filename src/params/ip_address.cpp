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

int HexValue(wchar_t c) {
    if (IsAsciiDigit(c)) return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Appends the groups of one side of "::" (or of the whole address). False when a group is
// malformed or an IPv4 tail stands anywhere but at the very end (`mayEndWithIpv4`).
bool ParseGroups(const std::wstring& side, bool mayEndWithIpv4, std::vector<unsigned>& groups) {
    if (side.empty()) return true;
    const std::vector<std::wstring> parts = Split(side, L':');
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::wstring& part = parts[i];
        Ipv4Address tail{};
        if (i + 1 == parts.size() && mayEndWithIpv4 && part.find(L'.') != std::wstring::npos) {
            if (!ParseIpv4Address(part, tail)) return false;
            groups.push_back(tail[0] << 8 | tail[1]);
            groups.push_back(tail[2] << 8 | tail[3]);
            continue;
        }
        if (part.empty() || part.size() > 4) return false;
        unsigned value = 0;
        for (wchar_t c : part) {
            const int digit = HexValue(c);
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        groups.push_back(value);
    }
    return true;
}

}  // namespace

bool ParseIpv4Address(const std::wstring& text, Ipv4Address& address) {
    const std::vector<std::wstring> parts = Split(text, L'.');
    if (parts.size() != 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::wstring& part = parts[i];
        if (part.empty() || part.size() > 3) return false;
        if (part.size() > 1 && part[0] == L'0') return false;
        unsigned value = 0;
        for (wchar_t c : part) {
            if (!IsAsciiDigit(c)) return false;
            value = value * 10 + static_cast<unsigned>(c - L'0');
        }
        if (value > 255) return false;
        address[i] = value;
    }
    return true;
}

bool ParseIpv6Address(const std::wstring& text, Ipv6Address& address) {
    std::vector<unsigned> left;
    std::vector<unsigned> right;
    const std::size_t gap = text.find(L"::");
    if (gap == std::wstring::npos) {
        if (!ParseGroups(text, true, left) || left.size() != 8) return false;
    } else {
        if (text.find(L"::", gap + 1) != std::wstring::npos) return false;
        if (!ParseGroups(text.substr(0, gap), false, left) || !ParseGroups(text.substr(gap + 2), true, right) ||
            left.size() + right.size() > 7) {
            return false;
        }
    }
    address.fill(0);
    for (std::size_t i = 0; i < left.size(); ++i) address[i] = left[i];
    for (std::size_t i = 0; i < right.size(); ++i) address[8 - right.size() + i] = right[i];
    return true;
}

}  // namespace params
