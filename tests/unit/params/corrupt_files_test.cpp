// The parser's damage rules: Load names the damaged file and says what is wrong in whole
// characters, keeps the object's values and leaves the file as it was.
#include <gtest/gtest.h>

#include <string>

#include "params_fixture.h"
#include "platform/utf8.h"

namespace {

struct Corrupt {
    const char* test;
    bool user;  // user.json, else workstation.json
    std::string bytes;
    const char* reason;
};
void PrintTo(const Corrupt& c, std::ostream* os) { *os << c.test; }

const std::string kUser = R"({"formatVersion": 1, "role": "client", "serverHost": "backup01", "serverPort": 9750, )"
                          R"("secured": false, "login": "CORP\\J)"
                          "\xc3\xbc"
                          R"(rgen"})";
const std::string kWorkstation =
    R"({"formatVersion": 1, "role": "client", "workstationName": "WS-1", "systemSupplied": false})";

std::string UserWith(const std::string& key, const std::string& value) {
    std::string bytes = kUser;
    const auto at = bytes.find("\"" + key + "\": ") + key.size() + 4;
    return bytes.replace(at, bytes.find_first_of(",}", bytes[at] == '"' ? bytes.find('"', at + 1) : at) - at, value);
}

// ASCII text in UTF-16 or UTF-32 (`unit` of 2 or 4 bytes), little-endian, after a byte order mark.
std::string Wide(const std::string& ascii, std::size_t unit) {
    std::string bytes = unit == 2 ? "\xff\xfe" : std::string("\xff\xfe\0\0", 4);
    for (char c : ascii) bytes += c + std::string(unit - 1, '\0');
    return bytes;
}

class CorruptFilesTest : public params_test::ParamsOnDisk, public ::testing::WithParamInterface<Corrupt> {};

TEST_P(CorruptFilesTest, LoadNamesTheFileAndLeavesItAndTheValuesUntouched) {
    const Corrupt& c = GetParam();
    const std::wstring damaged = c.user ? UserFile() : WorkstationFile();
    params_test::WriteBytes(damaged, c.bytes);
    CorvexParameters parameters = params_test::Settings(L"kept-host", 4321, L"WS-KEPT");
    const std::string what = params_test::ErrorOf([&] { parameters.Load(); });
    EXPECT_NE(what.find("\"" + platform::WideToUtf8Lossy(damaged) + "\""), std::string::npos) << what;
    EXPECT_NE(what.find(c.reason), std::string::npos) << what;
    EXPECT_EQ(platform::Utf8WellFormedPrefix(what), what.size()) << "the message is not UTF-8 text";
    EXPECT_EQ(what.find('\0'), std::string::npos);
    EXPECT_EQ(params_test::ReadBytes(damaged), c.bytes);
    EXPECT_EQ(parameters.GetCoordinatorHost(), L"kept-host");
    EXPECT_EQ(parameters.GetClientName(), L"WS-KEPT");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, CorruptFilesTest, ::testing::Values(
    Corrupt{"Empty", true, "", "not valid JSON"},
    Corrupt{"NulAfterTheObject", true, kUser + std::string("\0{\"x\": 1}", 9), "NUL byte (a zero byte) at line 1"},
    Corrupt{"NulInTheObject", false, std::string("{\"formatVersion\": 1,\n\0", 22) + kWorkstation,
            "NUL byte (a zero byte) at line 2, column 1,"},
    Corrupt{"NonAsciiLiteralQuotedWhole", true, "{\"formatVersion\": t\xc3\xbc}", "t\xc3\xbc\""},
    Corrupt{"TooLarge", false, std::string(70 * 1024, ' ') + kWorkstation, "larger than 64 KiB"},
    Corrupt{"Utf16", true, Wide(kUser, 2), "encoding UTF-16 (little-endian, with a byte order mark), which this "
            "program does not read; open it in a text editor and save it again with the encoding UTF-8"},
    Corrupt{"Utf32", true, Wide(kUser, 4), "encoding UTF-32 (little-endian, with a byte order mark)"},
    Corrupt{"Latin1Letter", true, UserWith("login", "\"CORP\\\\J\xfcrgen\""), "not UTF-8 text: the byte 0xFC at"},
    Corrupt{"DuplicateKey", true, kUser.substr(0, kUser.size() - 1) + ", \"serverHost\": \"x\"}",
            "\"serverHost\" appears more than once"},
    Corrupt{"MissingKey", false, R"({"formatVersion": 1, "workstationName": "", "systemSupplied": true})",
            "\"role\" is missing"},
    Corrupt{"UnknownKeyWithNulShown", true, kUser.substr(0, kUser.size() - 1) + R"(, "a\u0000b": 1})",
            "unknown key \"a<U+0000>b\""},
    Corrupt{"NotAnObject", true, "[1, 2, 3]", "not hold a JSON object"},
    Corrupt{"PortTooBig", true, UserWith("serverPort", "65536"), "\"serverPort\""},
    Corrupt{"HostWithEscapedNul", true, UserWith("serverHost", R"("backup\u0000evil.example")"),
            "\"serverHost\" (\"backup<U+0000>evil.example\") is refused: The server host name contains a control"},
    Corrupt{"LoginWithDirectionOverride", true, UserWith("login", R"("CORP\\evil\u202etxt")"), "U+202E"},
    Corrupt{"PortZero", true, UserWith("serverPort", "0"), "\"serverPort\" (0) is refused: The server port must be"},
    Corrupt{"NameInvalid", false, R"({"formatVersion": 1, "role": "client", "workstationName": "-ws", )"
            R"("systemSupplied": true})", "\"workstationName\" (\"-ws\") is refused: The workstation name cannot"},
    Corrupt{"NewerFormat", false,
            R"({"formatVersion": 2, "role": "client", "workstationName": "", "systemSupplied": true})", "newer"},
    Corrupt{"AnotherRole", true, UserWith("role", "\"server\""), "role \"server\""}),
    [](const ::testing::TestParamInfo<Corrupt>& info) { return std::string(info.param.test); });
// clang-format on

TEST_F(CorruptFilesTest, Utf8FilesLoadWithOrWithoutOneByteOrderMark) {
    params_test::WriteBytes(UserFile(), "\xef\xbb\xbf" + kUser);
    params_test::WriteBytes(WorkstationFile(), kWorkstation);
    CorvexParameters parameters(L"client");
    parameters.Load();
    EXPECT_EQ(parameters.GetAllowedUserName(), L"CORP\\J\u00fcrgen");
    EXPECT_EQ(parameters.GetClientName(), L"WS-1");
}

}  // namespace
