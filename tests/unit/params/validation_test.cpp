// Save's validation: a row per rule and per boundary of each value. A rejection carries a
// message and the identity of the caller's field that held the value, and writes nothing.
#include <gtest/gtest.h>

#include <string>

#include "params_fixture.h"

namespace {

struct Row {
    char value;               // 'h' host, 'p' port, 'l' login, 'n' name, 's' system-supplied name
    std::wstring text;        // the port's digits for 'p'
    const wchar_t* fragment;  // a part of the message; nullptr: accepted
};

void PrintTo(const Row& r, std::ostream* os) { *os << r.value << " " << ::testing::PrintToString(r.text); }

class ValidationTest : public params_test::ParamsOnDisk, public ::testing::WithParamInterface<Row> {
protected:
    std::wstring name_ = L"WS-0142", host_ = L"backup01.corp.example.com", login_ = L"CORP\\backup";
    // The first refusal's field (nullptr for the port), or &accepted_ when Save goes through.
    const void* FieldOfRefusal(const CorvexParameters& parameters, std::wstring* text = nullptr) {
        try {
            parameters.Save(true);
        } catch (const CorvexParameters::ValidationError& e) {
            if (text != nullptr) *text = e.GetText();
            return e.GetField();
        }
        return &accepted_;
    }
    const int accepted_ = 0;
};

TEST_P(ValidationTest, SaveAcceptsOrRefusesWithMessageAndField) {
    const Row& r = GetParam();
    std::wstring* field = r.value == 'h' ? &host_ : r.value == 'l' ? &login_ : r.value == 'p' ? nullptr : &name_;
    if (field != nullptr) *field = r.text;
    CorvexParameters parameters(L"client");
    parameters.SetClientName(name_, r.value == 's');
    parameters.SetUserName(login_);
    parameters.SetCoordinator(host_, r.value == 'p' ? static_cast<unsigned short>(std::stoul(r.text)) : 9750, false);
    std::wstring text;
    const void* refused = FieldOfRefusal(parameters, &text);
    if (r.fragment == nullptr) {
        EXPECT_EQ(refused, &accepted_) << ::testing::PrintToString(text);
        EXPECT_EQ(Files().size(), 2u);
    } else {
        EXPECT_EQ(refused, field);
        EXPECT_NE(text.find(r.fragment), std::wstring::npos) << ::testing::PrintToString(text);
        EXPECT_TRUE(Files().empty()) << "a refused save wrote a file";
    }
}

const std::wstring kNul(1, L'\0');
INSTANTIATE_TEST_SUITE_P(
    Values, ValidationTest,
    ::testing::Values(
        Row{'n', L"WS-0142", nullptr}, Row{'n', std::wstring(63, L'w'), nullptr}, Row{'n', L"", nullptr},
        Row{'s', L"", nullptr}, Row{'n', std::wstring(64, L'w'), L"63"}, Row{'n', std::wstring(255, L'w'), L"63"},
        Row{'n', std::wstring(256, L'w'), L"255"}, Row{'n', std::wstring(65536, L'w'), L"255"},
        Row{'n', L"  ", L"blank"}, Row{'s', L"my ws", L"a blank"}, Row{'n', L"ws1.example.com", L"dot"},
        Row{'n', L"-ws", L"hyphen"}, Row{'n', L"12345", L"digits only"}, Row{'n', L"ws\t1", L"control"},
        Row{'n', L"ws" + kNul + L"1", L"control"}, Row{'n', L"WS\u00AD01", L"U+00AD"},
        Row{'n', L"ws\U0001F600", L"\"\U0001F600\""}, Row{'n', L"WS\u200D01", L"U+200D"},
        // Host names.
        Row{'h', L"backup01", nullptr}, Row{'h', L"xn--bcher-kva.example", nullptr},
        Row{'h', L"backup.example.", nullptr}, Row{'h', std::wstring(63, L'h') + L".example", nullptr},
        Row{'h', std::wstring(64, L'h') + L".example", L"63"},
        Row{'h',
            std::wstring(63, L'a') + L"." + std::wstring(63, L'b') + L"." + std::wstring(63, L'c') + L"." +
                std::wstring(61, L'd'),
            nullptr},
        Row{'h',
            std::wstring(63, L'a') + L"." + std::wstring(63, L'b') + L"." + std::wstring(63, L'c') + L"." +
                std::wstring(62, L'd'),
            L"253"},
        Row{'h', L"", L"empty"}, Row{'h', L" backup", L"blank"}, Row{'h', L"back_up", L"\"_\""},
        Row{'h', L"-backup.example", L"hyphen"}, Row{'h', L"backup-.example", L"hyphen"},
        Row{'h', L"a..b", L"empty part"}, Row{'h', L"example.123", L"digits only"},
        Row{'h', L"b\u00fccher.example", L"xn--"}, Row{'h', L"backup\x7f", L"control"},
        Row{'h', L"backup" + kNul + L"evil.example", L"control"},
        Row{'h', L"backup" + std::wstring(1, static_cast<wchar_t>(0xD800)), L"not valid Unicode"},
        Row{'h', L"backup\u200B.example", L"U+200B"}, Row{'h', L"backup\u2066.example", L"U+2066"},
        // Addresses; those that can reach no server, and the IPv4 ones in IPv6 form.
        Row{'h', L"192.168.1.20", nullptr}, Row{'h', L"127.0.0.1", nullptr}, Row{'h', L"223.255.255.255", nullptr},
        Row{'h', L"1.0.0.0", nullptr}, Row{'h', L"0.0.0.0", L"no particular machine"},
        Row{'h', L"0.255.255.255", L"no particular machine"}, Row{'h', L"255.255.255.255", L"broadcast"},
        Row{'h', L"224.0.0.1", L"multicast"}, Row{'h', L"239.255.255.255", L"multicast"},
        Row{'h', L"256.1.1.1", L"IPv4"}, Row{'h', L"01.2.3.4", L"IPv4"}, Row{'h', L"1.2.3", L"IPv4"},
        Row{'h', L"::1", nullptr}, Row{'h', L"[2001:db8::1]", nullptr}, Row{'h', L"1:2:3:4:5:6:7:8", nullptr},
        Row{'h', L"64:ff9b::192.0.2.1", nullptr}, Row{'h', L"fe80::1", nullptr}, Row{'h', L"::", L"unspecified"},
        Row{'h', L"[0:0:0:0:0:0:0:0]", L"unspecified"}, Row{'h', L"ff02::1", L"multicast"},
        Row{'h', L"::ffff:192.168.1.1", L"as the IPv4 address 192.168.1.1."},
        Row{'h', L"[::ffff:a00:1]", L"as the IPv4 address 10.0.0.1."},
        Row{'h', L"::10.0.0.1", L"as the IPv4 address 10.0.0.1."}, Row{'h', L"fe80::1%eth0", L"zone"},
        Row{'h', L"[::1", L"bracket"}, Row{'h', L"1:2:3:4:5:6:7:8:9", L"IPv6"}, Row{'h', L"1::2::3", L"IPv6"},
        Row{'h', L"12345::1", L"IPv6"}, Row{'h', L"backup.example:9750", L"port in its own field"},
        Row{'h', L"[2001:db8::1]:9750", L"port in its own field"}, Row{'h', L"https://backup.example/", L"web address"},
        Row{'p', L"0", L"1 to 65535"}, Row{'p', L"1", nullptr}, Row{'p', L"65535", nullptr},
        // Logins.
        Row{'l', L"Administrator", nullptr}, Row{'l', L".\\backup", nullptr},
        Row{'l', L"WS-0142\\Backup Operator", nullptr}, Row{'l', L"backup@corp.example.com", nullptr},
        Row{'l', L"CORP\\user\U0001F600", nullptr}, Row{'l', L"CORP\\" + std::wstring(104, L'u'), nullptr},
        Row{'l', L"CORP\\" + std::wstring(105, L'u'), L"104"}, Row{'l', L"", L"empty"},
        Row{'l', L"CORP\\ admin", L"blank"}, Row{'l', L"CORP\\", L"after the backslash"},
        Row{'l', L"\\backup", L"before the backslash"}, Row{'l', L"A\\B\\C", L"more than one backslash"},
        Row{'l', L"MY CORP\\backup", L"a blank"}, Row{'l', L"backup@", L"no domain"},
        Row{'l', L"@corp.example", L"no user name"}, Row{'l', L"a@b@c", L"more than one"},
        Row{'l', L"backup@bad_domain", L"\"_\""}, Row{'l', L"CORP\\a@b", L"\"@\""}, Row{'l', L"CORP\\us/er", L"\"/\""},
        Row{'l', L"...", L"dots and blanks"}, Row{'l', L"CORP\\evil\u202Etxt.exe", L"U+202E"},
        Row{'l', L"\uFEFFCORP\\backup", L"U+FEFF"}, Row{'l', L"CORP\\user\U000E0041", L"U+E0041"}));

// The values are checked top to bottom as the dialogs show them: host, port, login, name.
TEST_F(ValidationTest, FirstBadValueInHostPortLoginNameOrderWins) {
    const std::wstring badHost = L"bad host", badLogin, badName = L"-ws";
    CorvexParameters parameters(L"client");
    parameters.SetClientName(badName, false);
    parameters.SetUserName(badLogin);
    parameters.SetCoordinator(badHost, 0, false);
    EXPECT_EQ(FieldOfRefusal(parameters), &badHost);
    parameters.SetCoordinator(host_, 0, false);
    EXPECT_EQ(FieldOfRefusal(parameters), nullptr);
    parameters.SetCoordinator(host_, 9750, false);
    EXPECT_EQ(FieldOfRefusal(parameters), &badLogin);
    parameters.SetUserName(login_);
    EXPECT_EQ(FieldOfRefusal(parameters), &badName);
    parameters.LoadSystemDefaults();  // the defaults pass, and their values have no caller field
    EXPECT_EQ(FieldOfRefusal(parameters), &accepted_);
}

// An empty name means the computer's name whoever leaves it empty: it is stored system-supplied.
TEST_F(ValidationTest, AnEmptyTypedNameIsStoredAsTheSystemSuppliedName) {
    params_test::Settings(host_, 9750, L"").Save(true);
    EXPECT_NE(params_test::ReadBytes(WorkstationFile()).find("\"systemSupplied\": true"), std::string::npos);
}

}  // namespace
