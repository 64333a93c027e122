// Recognising IP addresses in their text forms.
#pragma once

#include <string>

namespace params {

// Four decimal numbers from 0 to 255 separated by dots, without leading zeros ("10.0.0.1").
bool IsIpv4Address(const std::wstring& text);

// Eight groups of 1 to 4 hexadecimal digits separated by colons, one "::" standing for one or
// more zero groups, the last two groups optionally written as an IPv4 address. No brackets,
// no zone index.
bool IsIpv6Address(const std::wstring& text);

}  // namespace params
