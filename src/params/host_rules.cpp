// The server host: a host name, an IPv4 address or an IPv6 address.
#include "params/dns_name.h"
#include "params/ip_address.h"
#include "params/text_rules.h"
#include "params/validation_rules.h"

namespace params {
namespace {

const wchar_t kWhat[] = L"server host name";

// A web address ("https://backup/") or a name with its port ("backup:9750", "[::1]:9750")
// typed where only the host belongs. An IPv6 address has at least two colons, so one colon
// outside brackets is always a port.
std::wstring CheckNotAnAddressWithPort(const std::wstring& host) {
    if (host.find(L"://") != std::wstring::npos) {
        return L"The server host name holds a web address. Enter only the server's network name or IP address "
               L"(for example backup01.example.com), without \"://\" or a path; the port has its own field.";
    }
    const bool bracketedWithPort = host.front() == L'[' && host.find(L"]:") != std::wstring::npos;
    const bool nameWithPort = host.front() != L'[' && host.find(L':') != std::wstring::npos &&
                              host.find(L':') == host.rfind(L':');
    if (bracketedWithPort || nameWithPort) {
        return L"The server host name holds a port (the part after \":\"). Enter the port in its own field.";
    }
    return std::wstring();
}

std::wstring CheckIpv6Host(const std::wstring& host) {
    std::wstring address = host;
    const bool opens = !address.empty() && address.front() == L'[';
    const bool closes = !address.empty() && address.back() == L']';
    if (opens != closes || (opens && address.size() < 2)) {
        return L"The server host name has an unmatched bracket. Write an IPv6 address as 2001:db8::1 or "
               L"[2001:db8::1].";
    }
    if (opens) address = address.substr(1, address.size() - 2);
    if (address.find(L'%') != std::wstring::npos) {
        return L"The server host name holds an IPv6 zone index (the part after \"%\"). Zone indexes are not "
               L"supported: use the server's global IPv6 address, its IPv4 address or its network name.";
    }
    if (!IsIpv6Address(address)) {
        return L"The server host name is not a valid IPv6 address. Write it as eight groups of up to four "
               L"hexadecimal digits separated by colons, with \"::\" at most once (for example 2001:db8::1).";
    }
    return std::wstring();
}

}  // namespace

std::wstring CheckServerHost(const std::wstring& host) {
    if (host.empty()) {
        return L"The server host name is empty. Enter the network name or IP address of the backup server.";
    }
    std::wstring message = CheckCommonText(host, kWhat);
    if (!message.empty()) return message;
    message = CheckNotAnAddressWithPort(host);
    if (!message.empty()) return message;
    if (host.find(L':') != std::wstring::npos || host.front() == L'[' || host.back() == L']') {
        return CheckIpv6Host(host);
    }
    if (host.find_first_not_of(L"0123456789.") == std::wstring::npos) {
        if (IsIpv4Address(host)) return std::wstring();
        return L"The server host name is not a valid IPv4 address. Write four numbers from 0 to 255, without "
               L"leading zeros, separated by dots (for example 192.168.1.20).";
    }
    return CheckDnsName(host, kWhat);
}

std::wstring CheckServerPort(unsigned long port) {
    if (port >= 1 && port <= 65535) return std::wstring();
    return L"The server port must be a number from 1 to 65535.";
}

}  // namespace params
