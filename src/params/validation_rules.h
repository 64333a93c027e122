// The rules that Save applies to each value, and Load to each stored one. Every check gives
// an empty text when the value is acceptable and otherwise the message for the user. Save
// checks in the order the dialogs show the values: host, port, login, workstation name.
#pragma once

#include <cstddef>
#include <string>

namespace params {

// No value may be longer than this many UTF-16 units.
constexpr std::size_t kMaxValueLength = 255;
// Longest user part of a login.
constexpr std::size_t kMaxUserNameLength = 104;
// Longest workstation name (one DNS label).
constexpr std::size_t kMaxWorkstationNameLength = 63;

// An empty name (the computer's own network name) is fine, whoever set or stored it; any other
// name, typed or supplied, must be one computer name: 1 to 63 letters A-Z, digits and hyphens,
// not all digits, no hyphen at either end, no dots.
std::wstring CheckWorkstationName(const std::wstring& name);

// A host name (RFC 1123), an IPv4 address in dotted decimal, or an IPv6 address (optionally
// in brackets, without a zone index); not an address that can never reach a server (0.0.0.0,
// "::", broadcast, multicast), nor an IPv4 address in IPv6 form.
std::wstring CheckServerHost(const std::wstring& host);

// 1 to 65535.
std::wstring CheckServerPort(unsigned long port);

// DOMAIN\user, COMPUTER\user, .\user, user@dns.domain or a plain user name.
std::wstring CheckLogin(const std::wstring& login);

}  // namespace params
