// The host name rules of RFC 1123, shared by the server host and the domain of a login.
#pragma once

#include <string>

namespace params {

// Labels of 1 to 63 letters A-Z, digits and hyphens, no hyphen at either end of a label,
// separated by dots, at most 253 characters, optionally one trailing dot; the last label is
// not all digits (that would be a mistyped IPv4 address). `what` names the value in the
// messages ("server host name"). Empty when the name passes.
std::wstring CheckDnsName(const std::wstring& name, const std::wstring& what);

}  // namespace params
