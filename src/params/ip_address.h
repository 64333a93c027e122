// Recognising IP addresses in their text forms.
#pragma once

#include <array>
#include <string>

namespace params {

using Ipv4Address = std::array<unsigned, 4>;
// The eight 16-bit groups.
using Ipv6Address = std::array<unsigned, 8>;

// Four decimal numbers from 0 to 255 separated by dots, without leading zeros ("10.0.0.1").
// Fills `address` when the text is one.
bool ParseIpv4Address(const std::wstring& text, Ipv4Address& address);

// Eight groups of 1 to 4 hexadecimal digits separated by colons, one "::" standing for one or
// more zero groups, the last two groups optionally written as an IPv4 address. No brackets,
// no zone index. Fills `address` when the text is one.
bool ParseIpv6Address(const std::wstring& text, Ipv6Address& address);

}  // namespace params
