// Save's validation: a row per rule and per boundary of each value. A rejection carries a
// message and the identity of the caller's field that held the value, and writes nothing.
#include "params_fixture.h"

namespace {

struct Row {
    // 'h' host, 'p' port, 'l' login, 'n' name, 's' system-supplied name, 'b' login and name,
    // 'a' all four (port 0) into named folders
    char value;
    std::wstring text;                  // the port's digits for 'p'
    const wchar_t* fragment = nullptr;  // a part of the message; nullptr: accepted
};
void PrintTo(const Row& r, std::ostream* os) { *os << r.value << " " << ::testing::PrintToString(r.text); }

struct ValidationTest : params_test::ParamsOnDisk, ::testing::WithParamInterface<Row> {
    std::wstring name_ = L"0142-WS", host_ = L"backup01.corp.example.com", login_ = L"corp.example.com\\backup", text_;
    // The first refusal's field (nullptr for the port; its text in text_), or &text_ when Save goes through.
    // Saved into the agent's store, or into the same folders given by name (as the kit's are).
    const void* FieldOfRefusal(const CorvexParameters& parameters, bool intoFolders) {
        try {
            return intoFolders ? parameters.Save(Store(), Store()) : parameters.Save(true), &text_;
        } catch (const CorvexParameters::ValidationError& e) {
            return text_ = e.GetText(), e.GetField();
        }
    }
};

TEST_P(ValidationTest, SaveAcceptsOrRefusesWithMessageAndField) {
    const auto& [value, text, fragment] = GetParam();
    std::wstring* field = value == 'h' ? &host_ : value == 'l' ? &login_ : value == 'p' ? nullptr : &name_;
    if (value == 'a' || value == 'b') login_ = name_ = text, field = &login_;  // told in the boxes' order
    if (value == 'a') host_ = text, field = &host_;
    if (field != nullptr) *field = text;
    CorvexParameters p(L"client");
    const auto port = static_cast<unsigned short>(value == 'p' ? std::stoul(text) : value == 'a' ? 0 : 9750);
    p.SetClientName(name_, value == 's'), p.SetUserName(login_), p.SetCoordinator(host_, port, false);
    const void* refused = FieldOfRefusal(p, value == 'a');
    EXPECT_EQ(std::make_tuple(refused, !fragment || text_.find(fragment) != std::wstring::npos, Bytes().empty()),
              std::make_tuple(fragment ? static_cast<const void*>(field) : &text_, true, fragment != nullptr))
        << ::testing::PrintToString(text_) << " (a refused save writes nothing)";
}

const std::wstring kNul(1, L'\0'), k63(63, L'a'), kU(103, L'u');
// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, ValidationTest, ::testing::ValuesIn(std::vector<Row>{
    {'n', L"AZ-09-az"}, {'n', std::wstring(63, L'w')}, {'n', L""}, {'s', L""}, {'n', std::wstring(64, L'w'), L"63"},
    {'n', std::wstring(255, L'w'), L"63 characters."}, {'n', std::wstring(256, L'w'), L"255"}, {'n', L"WS_1", L"\"_\""},
    {'n', std::wstring(65536, L'w'), L"station name is longer"}, {'n', L"  ", L"blank"}, {'s', L"my ws", L"a blank"},
    {'n', L"ws1.example.com", L"42, not"}, {'n', L"-ws", L"hyphen"}, {'n', L"ws-", L"hyphen"}, {'n', L"\u2064", L"U+2064"},
    {'n', L"12345", L"digits only"}, {'n', L"WS\u205F01", L"a special blank"}, {'n', L"ws\x1F" L"1", L"control"},
    {'n', L"ws\u20281", L"control"}, {'n', L"ws" + kNul + L"1", L"control"}, {'n', L"WS\u00AD01", L"U+00AD"},
    {'n', L"\U0001F600ws", L"\"\U0001F600\""}, {'n', L"WS\u200D01", L"U+200D"}, {'n', L"WS\u206001", L"U+2060"},
    {'n', L"WS-\u0441", L"\"\u0441\""}, {'n', L"WS-\u0430", L"\"\u0430\""},  // their low bytes: "A" and "0"
    // Host names.
    {'h', L"backup01"}, {'h', L"xn--bcher-kva.example"}, {'h', L"163.3example."}, {'h', k63 + L".example"},
    {'h', k63 + L"a.example", L"63"}, {'h', k63 + L"." + k63 + L"." + k63 + L"." + std::wstring(61, L'd') + L"."},
    {'h', k63 + L"." + k63 + L"." + k63 + L"." + std::wstring(62, L'd'), L"253 characters."}, {'h', L"", L"empty"},
    {'h', L" backup", L"blank"}, {'h', L"back_up", L"contains \"_\","}, {'h', L"-backup.example", L"hyphen"},
    {'h', L"backup-.example", L"hyphen"}, {'h', L"a..b", L"empty part"}, {'h', L"example.123", L"digits only"},
    {'h', L"b\u00fccher.example", L"\"\u00fc\", which is not a letter A to Z. Enter an international name in its"},
    {'h', L"backup\x7f", L"control"}, {'h', L"g::1", L"IPv6"}, {'l', L"b@x\u2010y.example", L"\"\u2010\", which"},
    {'h', L"backup" + kNul + L"evil.example", L"control"}, {'h', L"1.2.3.4::1", L"valid IPv6"}, {'h', L"::5:1.2.3.4"},
    {'h', L"backup" + std::wstring(1, static_cast<wchar_t>(0xD800)), L"not valid Unicode"}, {'h', L"1::ffff:1.2.3.4"},
    {'h', L"backup\u200B.example", L"U+200B"}, {'h', L"backup\u200F.example", L"U+200F"}, {'h', L"\u1680backup", L"blank"},
    {'h', L"\u202Fbackup", L"blank"}, {'h', L"FE80::1"}, {'h', L"backup\u2066.example", L"U+2066"},
    {'h', L"backup.example..", L"empty part"}, {'h', L"backup\u3000", L"or ends with a blank"}, {'l', L"a+b", L"\"+\""},
    {'h', L"1::2::3", L"not a valid IPv6"}, {'b', L" ", L"blank"}, {'h', L"1.2.3.4.5", L"IPv4"}, {'l', L"backup@CORP"},
    {'h', L"::1.2.3.4:1", L"not a valid IPv6"}, {'l', L"a\u200Cb", L"U+200C"}, {'h', L"backup]", L"bracket"},
    // Addresses; those that can reach no server, and the IPv4 ones in IPv6 form.
    {'h', L"192.168.1.20"}, {'h', L"127.0.0.1"}, {'h', L"223.255.255.255"}, {'h', L"1.0.0.0"}, {'h', L"::1"},
    {'h', L"0.0.0.0", L"no particular machine"}, {'h', L"0.255.254.253", L"0.255.254.253 is"}, {'h', L"240.0.0.1"},
    {'h', L"255.255.255.255", L"broadcast"}, {'h', L"255.255.255.254"}, {'h', L"224.0.0.1", L"multicast"},
    {'h', L"239.1.2.3", L"239.1.2.3 is a"}, {'h', L"::10.0.0.1", L"as the IPv4 address 10.0.0.1."},
    {'h', L"256.1.1.1", L"valid IPv4"}, {'h', L"01.2.3.4", L"IPv4"}, {'h', L"1.2.3.", L"IPv4"},
    {'h', L"[2001:db8::1]"}, {'h', L"0:2:3:4:5:ffff:7.8.9.10"}, {'h', L"64:ff9b::192.0.2.1"}, {'h', L"1::3:4:5:6:7:8"},
    {'h', L"::", L"unspecified"}, {'h', L"[0:0:0:0:0:0:0:0]", L"unspecified"}, {'h', L"ff15::1", L"multicast"},
    {'h', L"::ffff:192.168.1.1", L"as the IPv4 address 192.168.1.1."}, {'h', L"1:2:3:4::5:6:7:8", L"valid IPv6"},
    {'h', L"[::FFFF:Aa0:1]", L"as the IPv4 address 10.160.0.1."}, {'h', L"9.9.9.4294967297", L"IPv4"},
    {'h', L"fe80::1%eth0", L"zone"}, {'h', L"[backup:1", L"bracket"}, {'h', L"1:2:3:4:5:6:7:8:9", L"valid IPv6"},
    {'h', L"1::1.2.3.x", L"IPv6"}, {'h', L"12345::1", L"IPv6"}, {'h', L"backup.example:9750", L"port in its own field"},
    {'h', L"[2001:db8::1]:9750", L"port in its own field"}, {'h', L"https://backup.example/", L"web address"},
    {'h', L"[]", L"not a valid IPv6"}, {'p', L"0", L"1 to 65535"}, {'p', L"1"}, {'p', L"65535"}, {'a', L" ", L"blank"},
    // Logins.
    {'l', L"Administrator"}, {'l', L".\\backup"}, {'l', L"WS-0142\\Backup Operator"}, {'l', L"backup@corp.example.com"},
    {'l', L"CORP\\user\U0001F600"}, {'l', L"CORP\\u" + kU}, {'l', L"CORP\\ a|b", L"\"|\""}, {'l', L"", L"N\\user, u"},
    {'l', L"CORP\\" + kU + L"\U0001F600", L"104"}, {'l', L"CORP\\ admin", L"blank"}, {'l', L"a\u202Ab", L"U+202A"},
    {'l', L"CORP\\", L"after the backslash"}, {'l', L"\\backup", L"before the backslash"}, {'l', L"*CORP\\x", L"\"*\""},
    {'l', L"A\\B\\C", L"more than one backslash"}, {'l', L"M\u00A0C\\backup", L"blank"}, {'l', L"CORP\\a@b", L"\"@\""},
    {'l', L"backup@", L"no domain"}, {'l', L"backup @corp.example", L"blank"}, {'l', L"@corp.example", L"no user name"},
    {'l', L"a@@c", L"more than one"}, {'l', L"CORP\\\u200Aadmin", L"blank"}, {'l', L"back|up@bad_domain", L"\"|\""},
    {'l', L"CORP\\. .\u3000.", L"dots and blanks"}, {'l', L"CORP\\evil\u202Etxt.exe", L"U+202E"}, {'l', L"a\u009Fb", L"control"},
    {'l', L"\uFEFFCORP\\backup", L"U+FEFF"}, {'l', L"CORP\\user\U000E007F", L"U+E007F"}, {'l', L"a\u2029b", L"control"},
    {'l', L"b@1.2.3.4", L"login ends with a part made"}, {'l', L"CORP\\/user", L"\"/\""}, {'l', L"a,b", L"\",\""},
    // The other characters the system refuses in an account name.
    {'l', L"a:b", L"\":"}, {'l', L"a=b", L"\"="}, {'l', L"a?b", L"\"?"}, {'l', L"a<b", L"\"<"}, {'l', L"a>b", L"\">"},
    {'l', L"a[b", L"\"["}, {'l', L"a]b", L"\"]"}, {'l', L"a;b", L"\";"},
    {'l', L"\"CORP\\b\"", L"\"\"\""},
    // Look-alikes: a full-width backslash (an input method in full-width mode), a no-break space pasted.
    {'l', L"\uFF23\uFF2F\uFF32\uFF30\uFF3Cbackup", L"\"\uFF23\" (U+FF23), the full-width form of \"C\""},
    {'l', L"x\uFF01", L"(U+FF01)"}, {'l', L"x\uFF5E", L"(U+FF5E)"},
    {'l', L"CORP\u00A5backup", L"(U+00A5), a currency sign that Japanese"}, {'l', L"CORP\uFFE5b", L"(U+FFE5)"},
    {'l', L"CORP\u20A9b", L"(U+20A9)"}, {'l', L"CORP\uFFE6b", L"(U+FFE6)"},
    {'l', L"CORP\\backup\u00A0admin", L"a special blank (U+00A0)"}}));
// clang-format on

}  // namespace
