// Damaged settings files (broken JSON, wrong encodings, wrong keys or types, another role or
// a newer format): Load names the file and says what is wrong, keeps the object's values,
// and leaves the file exactly as it was.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "params/corvex_parameters.h"
#include "params_fixture.h"
#include "platform/utf8.h"

namespace {

using params_test::ParamsOnDisk;
using params_test::ReadBytes;
using params_test::WriteBytes;

enum class File { user, workstation };

struct Corrupt {
    const char* test;
    File file;
    std::string bytes;
    const char* reason;  // a part of the error's text
};

void PrintTo(const Corrupt& c, std::ostream* os) { *os << c.test; }

// The login holds a letter outside ASCII, in UTF-8.
const std::string kGoodUser =
    R"({"formatVersion": 1, "role": "client", "serverHost": "backup01", "serverPort": 9750, "secured": false, "login": "CORP\\J)"
    "\xc3\xbc" R"(rgen"})";
const std::string kGoodWorkstation =
    R"({"formatVersion": 1, "role": "client", "workstationName": "WS-1", "systemSupplied": false})";

std::string UserWith(const std::string& key, const std::string& value) {
    std::string bytes = kGoodUser;
    const std::string quoted = "\"" + key + "\": ";
    const auto at = bytes.find(quoted) + quoted.size();
    const auto end = bytes.find_first_of(",}", bytes[at] == '"' ? bytes.find('"', at + 1) : at);
    return bytes.replace(at, end - at, value);
}

// ASCII text in UTF-16 or UTF-32 (`unit` of 2 or 4 bytes), after a byte order mark when asked.
std::string Wide(const std::string& ascii, std::size_t unit, bool bigEndian, bool mark) {
    std::vector<unsigned> codes;
    if (mark) codes.push_back(0xFEFF);
    for (unsigned char c : ascii) codes.push_back(c);
    std::string bytes;
    for (unsigned code : codes) {
        for (std::size_t k = 0; k < unit; ++k) bytes += static_cast<char>(code >> (8 * (bigEndian ? unit - 1 - k : k)));
    }
    return bytes;
}

class CorruptFilesTest : public ParamsOnDisk, public ::testing::WithParamInterface<Corrupt> {};

TEST_P(CorruptFilesTest, LoadNamesTheFileAndLeavesItAndTheValuesUntouched) {
    const Corrupt& c = GetParam();
    // Alone in the store: beside an intact file, a damaged one only keeps its values at the
    // defaults (the store attacks' table in atomic_save_test.cpp).
    const std::wstring damaged = c.file == File::user ? AgentUserFile() : AgentWorkstationFile();
    WriteBytes(damaged, c.bytes);

    const std::wstring host = L"kept-host";
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(host, 4321, false);
    const std::string what = params_test::ErrorOf([&] { parameters.Load(); });
    EXPECT_NE(what.find("\"" + platform::WideToUtf8Lossy(damaged) + "\""), std::string::npos) << what;
    EXPECT_NE(what.find(c.reason), std::string::npos) << what;
    EXPECT_EQ(platform::Utf8WellFormedPrefix(what), what.size()) << "the message is not UTF-8 text";
    EXPECT_EQ(what.find('\0'), std::string::npos) << "the message holds a NUL";
    EXPECT_EQ(ReadBytes(damaged), c.bytes) << "the damaged file was changed";
    EXPECT_EQ(parameters.GetCoordinatorHost(), host);
    EXPECT_EQ(parameters.GetCoordinatorPort(), 4321);
}

const Corrupt kCorrupt[] = {
    // Not JSON at all, or cut short.
    {"Empty", File::user, "", "not valid JSON"},
    {"Truncated", File::user, kGoodUser.substr(0, kGoodUser.size() / 2), "not valid JSON"},
    {"WorkstationTruncated", File::workstation, kGoodWorkstation.substr(0, 20), "not valid JSON"},
    {"Binary", File::user, std::string("\x00\x01\x02\xff\xfe\x80", 6), "NUL byte (a zero byte) at line 1, column 1,"},
    {"TrailingGarbage", File::user, kGoodUser + "}", "not valid JSON"},
    {"NulAfterTheObject", File::user, kGoodUser + std::string("\0{\"x\": 1}", 9), "NUL byte"},
    {"NulInTheObject", File::workstation, std::string(R"({"formatVersion": 1,)" "\n\0", 22) + kGoodWorkstation,
     "NUL byte (a zero byte) at line 2, column 1,"},
    {"NonAsciiLiteralQuotedWhole", File::user, R"({"formatVersion": t)" "\xc3\xbc}", "t\xc3\xbc\")"},
    {"TooLarge", File::workstation, std::string(70 * 1024, ' ') + kGoodWorkstation, "larger than 64 KiB"},
    // Another encoding than UTF-8.
    {"Utf16WithMark", File::user, Wide(kGoodUser, 2, false, true),
     "encoding UTF-16 (little-endian, with a byte order mark), which this program does not read; open it in a "
     "text editor and save it again with the encoding UTF-8"},
    {"Utf16BigEndianNoMark", File::workstation, Wide(kGoodWorkstation, 2, true, false),
     "encoding UTF-16 (big-endian, without a byte order mark)"},
    {"Utf32WithMark", File::user, Wide(kGoodUser, 4, false, true),
     "encoding UTF-32 (little-endian, with a byte order mark)"},
    {"Latin1Letter", File::user, UserWith("login", "\"CORP\\\\J\xfcrgen\""),
     "not UTF-8 text: the byte 0xFC at line 1, column"},
    {"OverlongUtf8", File::user, UserWith("login", "\"\xc0\xaf\""), "byte 0xC0"},
    {"Utf8MarkTwice", File::user, "\xef\xbb\xbf\xef\xbb\xbf" + kGoodUser, "not valid JSON"},
    // The wrong keys.
    {"DuplicateKey", File::user, kGoodUser.substr(0, kGoodUser.size() - 1) + R"(, "serverHost": "other"})",
     "\"serverHost\" appears more than once"},
    {"MissingKey", File::user, R"({"formatVersion": 1, "role": "client", "serverHost": "b", "serverPort": 1, "secured": false})",
     "\"login\" is missing"},
    {"WorkstationRoleMissing", File::workstation, R"({"formatVersion": 1, "workstationName": "", "systemSupplied": true})",
     "\"role\" is missing"},
    {"UnknownKey", File::user, kGoodUser.substr(0, kGoodUser.size() - 1) + R"(, "serverhost": "x"})",
     "unknown key \"serverhost\""},
    {"UnknownKeyWithNulShown", File::user, kGoodUser.substr(0, kGoodUser.size() - 1) + R"(, "a\u0000b": 1})",
     "unknown key \"a<U+0000>b\""},
    {"NotAnObject", File::user, "[1, 2, 3]", "not hold a JSON object"},
    // The wrong types or ranges.
    {"PortNegative", File::user, UserWith("serverPort", "-1"), "\"serverPort\""},
    {"PortTooBig", File::user, UserWith("serverPort", "65536"), "\"serverPort\""},
    {"PortFraction", File::user, UserWith("serverPort", "97.5"), "\"serverPort\""},
    {"SecuredAsText", File::user, UserWith("secured", "\"no\""), "\"secured\""},
    {"HostAsNumber", File::user, UserWith("serverHost", "42"), "\"serverHost\""},
    {"VersionZero", File::user, UserWith("formatVersion", "0"), "\"formatVersion\""},
    {"VersionAsText", File::user, UserWith("formatVersion", "\"1\""), "\"formatVersion\""},
    // Values that the rules refuse when typed are refused when stored.
    {"HostWithEscapedNul", File::user, UserWith("serverHost", R"("backup\u0000evil.example")"),
     "\"serverHost\" (\"backup<U+0000>evil.example\") is refused: The server host name contains a control"},
    {"LoginWithDirectionOverride", File::user, UserWith("login", R"("CORP\\evil\u202etxt")"), "U+202E"},
    {"PortZero", File::user, UserWith("serverPort", "0"), "\"serverPort\" (0) is refused: The server port must be"},
    {"WorkstationNameInvalid", File::workstation,
     R"({"formatVersion": 1, "role": "client", "workstationName": "-ws", "systemSupplied": true})",
     "\"workstationName\" (\"-ws\") is refused: The workstation name cannot begin or end with a hyphen"},
    // Well-formed, but not ours to read.
    {"NewerFormat", File::workstation,
     R"({"formatVersion": 2, "role": "client", "workstationName": "", "systemSupplied": true})", "newer"},
    {"AnotherRole", File::user, UserWith("role", "\"server\""), "role \"server\""},
};

INSTANTIATE_TEST_SUITE_P(Files, CorruptFilesTest, ::testing::ValuesIn(kCorrupt),
                         [](const ::testing::TestParamInfo<Corrupt>& info) { return std::string(info.param.test); });

TEST_F(ParamsOnDisk, WellFormedUtf8FilesLoadWithOrWithoutOneByteOrderMark) {
    WriteBytes(AgentUserFile(), "\xef\xbb\xbf" + kGoodUser);
    WriteBytes(AgentWorkstationFile(), kGoodWorkstation);
    CorvexParameters parameters(L"client");
    ASSERT_NO_THROW(parameters.Load());
    EXPECT_EQ(parameters.GetAllowedUserName(), L"CORP\\J\u00fcrgen");
    EXPECT_EQ(parameters.GetClientName(), L"WS-1");
}

}  // namespace
