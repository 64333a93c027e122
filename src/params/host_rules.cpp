// The server host: a host name, an IPv4 address or an IPv6 address that can reach a server.
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
    const bool nameWithPort =
        host.front() != L'[' && host.find(L':') != std::wstring::npos && host.find(L':') == host.rfind(L':');
    if (bracketedWithPort || nameWithPort) {
        return L"The server host name holds a port (the part after \":\"). Enter the port in its own field.";
    }
    return std::wstring();
}

std::wstring Dotted(unsigned a, unsigned b, unsigned c, unsigned d) {
    return std::to_wstring(a) + L"." + std::to_wstring(b) + L"." + std::to_wstring(c) + L"." + std::to_wstring(d);
}

const wchar_t kEnterTheServer[] = L" Enter the backup server's own address or network name.";

// Addresses that a connection can never be made to: "no address" (0.0.0.0/8, which also
// stands for "this network"), the broadcast address and multicast groups.
std::wstring CheckIpv4Reachable(const Ipv4Address& address) {
    if (address[0] == 0) {
        return L"The server host name " + Dotted(address[0], address[1], address[2], address[3]) +
               L" is an address that stands for no particular machine (0.x.x.x), so it can never reach a server." +
               kEnterTheServer;
    }
    if (address[0] == 255 && address[1] == 255 && address[2] == 255 && address[3] == 255) {
        return L"The server host name 255.255.255.255 is the broadcast address, which can never reach a server." +
               std::wstring(kEnterTheServer);
    }
    if (address[0] >= 224 && address[0] <= 239) {
        return L"The server host name " + Dotted(address[0], address[1], address[2], address[3]) +
               L" is a multicast address, which can never reach a server." + kEnterTheServer;
    }
    return std::wstring();
}

// The unspecified address "::" and multicast groups can never be reached. An IPv4 address in
// IPv6 form (mapped, ::ffff:10.0.0.1, or the obsolete compatible form ::10.0.0.1) only works
// through a dual-stack socket and never on the wire: the plain IPv4 address is asked for.
std::wstring CheckIpv6Reachable(const std::wstring& text, const Ipv6Address& address) {
    bool fiveZeros = true;
    for (std::size_t i = 0; i < 5; ++i) fiveZeros = fiveZeros && address[i] == 0;
    const bool zeroSix = fiveZeros && address[5] == 0;
    if (zeroSix && address[6] == 0 && address[7] == 0) {
        return L"The server host name " + text +
               L" is the unspecified IPv6 address, which stands for no particular machine, so it can never reach "
               L"a server." +
               kEnterTheServer;
    }
    if ((fiveZeros && address[5] == 0xFFFF) || (zeroSix && text.find(L'.') != std::wstring::npos)) {
        const std::wstring ipv4 = Dotted(address[6] >> 8, address[6] & 0xFF, address[7] >> 8, address[7] & 0xFF);
        return L"The server host name " + text + L" is the IPv4 address " + ipv4 +
               L" written in IPv6 form. Enter it as the IPv4 address " + ipv4 + L".";
    }
    if ((address[0] >> 8) == 0xFF) {
        return L"The server host name " + text + L" is an IPv6 multicast address, which can never reach a server." +
               kEnterTheServer;
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
    Ipv6Address parsed{};
    if (!ParseIpv6Address(address, parsed)) {
        return L"The server host name is not a valid IPv6 address. Write it as eight groups of up to four "
               L"hexadecimal digits separated by colons, with \"::\" at most once (for example 2001:db8::1).";
    }
    return CheckIpv6Reachable(address, parsed);
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
        Ipv4Address address{};
        if (ParseIpv4Address(host, address)) return CheckIpv4Reachable(address);
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
