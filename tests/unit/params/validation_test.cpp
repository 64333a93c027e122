// Save's validation: one table with a row per rule and per boundary of each value. Every
// rejection must carry a message and the identity of the caller's object that held the value,
// and a rejected save writes nothing.
#include <gtest/gtest.h>

#include <string>

#include "params/corvex_parameters.h"
#include "params_fixture.h"

namespace {

enum class Value { name, host, port, login };

struct Case {
    const char* test;
    Value value;
    std::wstring text;            // name, host or login
    unsigned short port = 9750;   // port cases only
    bool systemSupplied = false;  // name cases only
    bool valid = false;
    const wchar_t* fragment = nullptr;  // a part the message must hold, when given
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.test; }

Case Valid(const char* test, Value value, std::wstring text, bool systemSupplied = false) {
    return Case{test, value, std::move(text), 9750, systemSupplied, true, nullptr};
}
Case Invalid(const char* test, Value value, std::wstring text, const wchar_t* fragment,
             bool systemSupplied = false) {
    return Case{test, value, std::move(text), 9750, systemSupplied, false, fragment};
}
Case Port(const char* test, unsigned short port, bool valid) {
    return Case{test, Value::port, L"", port, false, valid, valid ? nullptr : L"1 to 65535"};
}

const std::wstring k64KiB(64 * 1024, L'a');
const std::wstring kLoneSurrogate(1, static_cast<wchar_t>(0xD800));

// Fixture: the dialog's four fields with good values, and an empty store.
class ValidationTest : public params_test::ParamsOnDisk, public ::testing::WithParamInterface<Case> {
protected:
    std::wstring workstationName_ = L"WS-0142";
    std::wstring serverHost_ = L"backup01.corp.example.com";
    std::wstring adminLogin_ = L"CORP\\backup";
};

TEST_P(ValidationTest, SaveAcceptsOrRejectsWithMessageAndField) {
    const Case& c = GetParam();
    const void* expectedField = nullptr;
    bool systemSupplied = false;
    unsigned short port = 9750;
    switch (c.value) {
    case Value::name: workstationName_ = c.text, systemSupplied = c.systemSupplied, expectedField = &workstationName_; break;
    case Value::host: serverHost_ = c.text, expectedField = &serverHost_; break;
    case Value::login: adminLogin_ = c.text, expectedField = &adminLogin_; break;
    case Value::port: port = c.port; break;  // passed by value: no caller identity
    }
    CorvexParameters parameters(L"client");
    parameters.SetClientName(workstationName_, systemSupplied);
    parameters.SetUserName(adminLogin_);
    parameters.SetCoordinator(serverHost_, port, false);

    if (c.valid) {
        EXPECT_NO_THROW(parameters.Save(true));
        EXPECT_EQ(params_test::FilesBelow(temp_.Native()).size(), 2u);
        return;
    }
    try {
        parameters.Save(true);
        FAIL() << "accepted an invalid value";
    } catch (const CorvexParameters::ValidationError& e) {
        EXPECT_EQ(e.GetField(), expectedField);
        EXPECT_NE(e.GetText().find(c.fragment), std::wstring::npos) << testing::PrintToString(e.GetText());
    }
    EXPECT_TRUE(params_test::FilesBelow(temp_.Native()).empty()) << "a rejected save wrote a file";
}

const Case kCases[] = {
    // Workstation name.
    Valid("NameTyped", Value::name, L"WS-0142"),
    Valid("NameSixtyThree", Value::name, std::wstring(63, L'w')),
    Valid("NameEmptySystemSupplied", Value::name, L"", true),
    Valid("NameEmptyTyped", Value::name, L""),  // stands for the computer's name, as when supplied
    Invalid("NameBlanks", Value::name, L"  ", L"blank"),
    Invalid("NameInnerBlankSystemSupplied", Value::name, L"my ws", L"a blank", true),
    Invalid("NameWithDomain", Value::name, L"ws1.example.com", L"dot"),
    Invalid("NameLeadingHyphen", Value::name, L"-ws", L"hyphen"),
    Invalid("NameDigitsOnly", Value::name, L"12345", L"digits only"),
    Invalid("NameSixtyFour", Value::name, std::wstring(64, L'w'), L"63"),
    Invalid("Name64KiB", Value::name, k64KiB, L"255"),
    Invalid("NameTab", Value::name, L"ws\t1", L"control"),
    Invalid("NameSoftHyphen", Value::name, L"WS\u00AD01", L"U+00AD"),
    Invalid("NameNonBmpQuotedWhole", Value::name, L"ws\U0001F600", L"\"\U0001F600\""),
    // Server host: names.
    Valid("HostSingleLabel", Value::host, L"backup01"),
    Valid("HostPunycode", Value::host, L"xn--bcher-kva.corp.example.com"),
    Valid("HostTrailingDot", Value::host, L"backup.example.com."),
    Valid("HostLabelSixtyThree", Value::host, std::wstring(63, L'h') + L".example"),
    Invalid("HostEmpty", Value::host, L"", L"empty"),
    Invalid("HostBlank", Value::host, L" ", L"blank"),
    Invalid("HostUnderscore", Value::host, L"back_up", L"\"_\""),
    Invalid("HostLabelLeadingHyphen", Value::host, L"-backup.example", L"hyphen"),
    Invalid("HostLabelTrailingHyphen", Value::host, L"backup-.example", L"hyphen"),
    Invalid("HostEmptyLabel", Value::host, L"a..b", L"empty part"),
    Invalid("HostLabelSixtyFour", Value::host, std::wstring(64, L'h') + L".example", L"63"),
    Invalid("HostLonger253", Value::host, std::wstring(60, L'a') + L"." + std::wstring(60, L'b') + L"." +
                                              std::wstring(60, L'c') + L"." + std::wstring(60, L'd') + L".efghijklmno",
            L"253"),
    Invalid("HostNumericTopLabel", Value::host, L"example.123", L"digits only"),
    Invalid("HostNonBmp", Value::host, L"backup\U0001F600", L"xn--"),
    Invalid("HostControl", Value::host, L"backup\x01", L"control"),
    Invalid("HostDelete", Value::host, L"backup\x7f", L"control"),
    Invalid("HostLoneSurrogate", Value::host, L"backup" + kLoneSurrogate, L"not valid Unicode"),
    Invalid("HostZeroWidthSpace", Value::host, L"backup\u200B.example", L"U+200B"),
    // Server host: addresses.
    Valid("HostIpv4", Value::host, L"192.168.1.20"),
    Valid("HostIpv4Max", Value::host, L"10.255.255.255"),
    Invalid("HostIpv4Broadcast", Value::host, L"255.255.255.255", L"broadcast"),
    Invalid("HostIpv4Unspecified", Value::host, L"0.0.0.0", L"no particular machine"),
    Invalid("HostIpv4Multicast", Value::host, L"224.0.0.1", L"multicast"),
    Valid("HostIpv6Compressed", Value::host, L"fe80::1"),
    Invalid("HostIpv6Unspecified", Value::host, L"::", L"unspecified"),
    Invalid("HostIpv6UnspecifiedLong", Value::host, L"[0:0:0:0:0:0:0:0]", L"unspecified"),
    Invalid("HostIpv6Multicast", Value::host, L"ff02::1", L"multicast"),
    Valid("HostIpv6Bracketed", Value::host, L"[2001:db8::1]"),
    Valid("HostIpv6EightGroups", Value::host, L"1:2:3:4:5:6:7:8"),
    Valid("HostIpv6Nat64", Value::host, L"64:ff9b::192.0.2.1"),
    Invalid("HostIpv6MappedIpv4", Value::host, L"::ffff:192.168.1.1", L"as the IPv4 address 192.168.1.1."),
    Invalid("HostIpv6MappedHex", Value::host, L"[::ffff:a00:1]", L"as the IPv4 address 10.0.0.1."),
    Invalid("HostIpv6CompatibleIpv4", Value::host, L"::10.0.0.1", L"as the IPv4 address 10.0.0.1."),
    Invalid("HostIpv4OctetTooBig", Value::host, L"256.1.1.1", L"IPv4"),
    Invalid("HostIpv4LeadingZero", Value::host, L"01.2.3.4", L"IPv4"),
    Invalid("HostIpv4ThreeParts", Value::host, L"1.2.3", L"IPv4"),
    Invalid("HostIpv6ZoneName", Value::host, L"fe80::1%eth0", L"zone"),
    Invalid("HostIpv6ZoneBracketed", Value::host, L"[fe80::1%12]", L"zone"),
    Invalid("HostIpv6UnmatchedBracket", Value::host, L"[::1", L"bracket"),
    Invalid("HostIpv6NineGroups", Value::host, L"1:2:3:4:5:6:7:8:9", L"IPv6"),
    Invalid("HostIpv6EightGroupsAndGap", Value::host, L"1:2:3:4:5:6:7::8", L"IPv6"),
    Invalid("HostIpv6TwoGaps", Value::host, L"1::2::3", L"IPv6"),
    Invalid("HostIpv6LongGroup", Value::host, L"12345::1", L"IPv6"),
    Invalid("HostIpv6NotHex", Value::host, L"g::1", L"IPv6"),
    Invalid("HostIpv6Ipv4NotLast", Value::host, L"::1.2.3.4:1", L"IPv6"),
    // A port or a web address typed into the host: told apart from a broken IPv6 address.
    Invalid("HostWithPort", Value::host, L"backup.example:9750", L"port in its own field"),
    Invalid("HostIpv6WithPort", Value::host, L"[2001:db8::1]:9750", L"port in its own field"),
    Invalid("HostWebAddress", Value::host, L"https://backup.example/", L"web address"),
    // Server port.
    Port("PortZero", 0, false),
    Port("PortOne", 1, true),
    Port("PortMax", 65535, true),
    // Backup administrator login.
    Valid("LoginPlain", Value::login, L"Administrator"),
    Valid("LoginThisComputer", Value::login, L".\\backup"),
    Valid("LoginBlankInUser", Value::login, L"WS-0142\\Backup Operator"),
    Valid("LoginPrincipalName", Value::login, L"backup@corp.example.com"),
    Valid("LoginNonBmp", Value::login, L"CORP\\user\U0001F600"),
    Valid("LoginUser104", Value::login, L"CORP\\" + std::wstring(104, L'u')),
    Invalid("LoginEmpty", Value::login, L"", L"empty"),
    Invalid("LoginBlank", Value::login, L" ", L"blank"),
    Invalid("LoginBlankAfterBackslash", Value::login, L"CORP\\ admin", L"blank"),
    Invalid("LoginNoUserAfterBackslash", Value::login, L"CORP\\", L"after the backslash"),
    Invalid("LoginNoDomainBeforeBackslash", Value::login, L"\\backup", L"before the backslash"),
    Invalid("LoginTwoBackslashes", Value::login, L"A\\B\\C", L"more than one backslash"),
    Invalid("LoginBlankInDomain", Value::login, L"MY CORP\\backup", L"a blank"),
    Invalid("LoginNoDomainAfterAt", Value::login, L"backup@", L"no domain"),
    Invalid("LoginNoUserBeforeAt", Value::login, L"@corp.example", L"no user name"),
    Invalid("LoginTwoAts", Value::login, L"a@b@c", L"more than one"),
    Invalid("LoginBadDnsDomain", Value::login, L"backup@bad_domain", L"\"_\""),
    Invalid("LoginAtAfterBackslash", Value::login, L"CORP\\a@b", L"\"@\""),
    Invalid("LoginForbiddenCharacter", Value::login, L"CORP\\us/er", L"\"/\""),
    Invalid("LoginDotsOnly", Value::login, L"...", L"dots and blanks"),
    Invalid("LoginUser105", Value::login, L"CORP\\" + std::wstring(105, L'u'), L"104"),
    Invalid("LoginRightToLeftOverride", Value::login, L"CORP\\evil\u202Etxt.exe", L"U+202E"),
    Invalid("LoginByteOrderMark", Value::login, L"\uFEFFCORP\\backup", L"U+FEFF"),
    Invalid("LoginNonBmpTag", Value::login, L"CORP\\user\U000E0041", L"U+E0041"),
};

INSTANTIATE_TEST_SUITE_P(Values, ValidationTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.test); });

// The order the dialogs show the values in, top to bottom.
TEST_F(ValidationTest, FirstBadValueInHostPortLoginNameOrderWins) {
    const std::wstring badName = L"-ws";
    const std::wstring badHost = L"bad host";
    const std::wstring badLogin = L"";
    CorvexParameters parameters(L"client");
    parameters.SetClientName(badName, false);
    parameters.SetUserName(badLogin);
    parameters.SetCoordinator(badHost, 0, false);
    const auto fieldOfFailure = [&]() -> const void* {
        try {
            parameters.Save(true);
        } catch (const CorvexParameters::ValidationError& e) {
            return e.GetField();
        }
        return reinterpret_cast<const void*>(1);
    };
    EXPECT_EQ(fieldOfFailure(), &badHost);
    parameters.SetCoordinator(serverHost_, 0, false);
    EXPECT_EQ(fieldOfFailure(), nullptr);  // the port
    parameters.SetCoordinator(serverHost_, 9750, false);
    EXPECT_EQ(fieldOfFailure(), &badLogin);
    parameters.SetUserName(adminLogin_);
    EXPECT_EQ(fieldOfFailure(), &badName);
}

TEST_F(ValidationTest, DefaultsPassValidation) {
    CorvexParameters parameters(L"client");
    parameters.LoadSystemDefaults();
    EXPECT_NO_THROW(parameters.Save(true));
}

}  // namespace
