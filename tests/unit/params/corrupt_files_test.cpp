// The parser's damage rules: Load names the damaged file and says what is wrong in whole
// characters, keeps the object's values and leaves the file as it was.
#include "params_fixture.h"
#include "platform/utf8.h"

namespace {

using params_test::kUser;
// The name, user.json (else workstation.json), its bytes and a part of the reason.
using Corrupt = std::tuple<const char*, bool, std::string, const char*>;

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
    const auto& [name, user, bytes, reason] = GetParam();
    const std::wstring damaged = user ? UserFile() : WorkstationFile();
    params_test::WriteBytes(damaged, bytes);
    CorvexParameters parameters = params_test::Settings(L"kept-host", 4321, L"WS-KEPT");
    const std::string what = params_test::ErrorOf([&] { parameters.Load(); });
    const auto found = [&](const std::string& part) { return what.find(part) != std::string::npos; };
    // The message in whole UTF-8 characters, without a NUL.
    EXPECT_EQ(std::make_tuple(found("\"" + platform::WideToUtf8Lossy(damaged) + "\""), found(reason),
                              found(std::string(1, '\0')), platform::Utf8WellFormedPrefix(what),
                              params_test::ReadBytes(damaged), params_test::Show(parameters)),
              std::make_tuple(true, true, false, what.size(), bytes, L"kept-host|4321|Administrator|WS-KEPT"))
        << what;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, CorruptFilesTest, ::testing::ValuesIn(std::vector<Corrupt>{
    {"Empty", true, "", "not valid JSON"},
    {"NulAfterTheObject", true, kUser + std::string("\0{\"x\": 1}", 9), "NUL byte (a zero byte) at line 1"},
    {"NulInTheObject", false, std::string("{\"formatVersion\": 1,\n\0", 22) + kWorkstation,
            "NUL byte (a zero byte) at line 2, column 1,"},
    {"NonAsciiLiteralQuotedWhole", true, "{\"formatVersion\": t\xc3\xbc}", "t\xc3\xbc\""},
    {"TooLarge", false, std::string(70 * 1024, ' ') + kWorkstation, "larger than 64 KiB"},
    {"Utf16", true, Wide(kUser, 2), "encoding UTF-16 (little-endian, with a byte order mark), which this "
            "program does not read; open it in a text editor and save it again with the encoding UTF-8"},
    {"Utf32", true, Wide(kUser, 4), "encoding UTF-32 (little-endian, with a byte order mark)"},
    {"Latin1Letter", true, UserWith("login", "\"CORP\\\\J\xfcrgen\""), "not UTF-8 text: the byte 0xFC at"},
    {"DuplicateKey", true, kUser.substr(0, kUser.size() - 1) + ", \"serverHost\": \"x\"}",
            "\"serverHost\" appears more than once"},
    {"MissingKey", false, R"({"formatVersion": 1, "workstationName": "", "systemSupplied": true})",
            "\"role\" is missing"},
    {"UnknownKeyWithNulShown", true, kUser.substr(0, kUser.size() - 1) + R"(, "a\u0000b": 1})",
            "unknown key \"a<U+0000>b\""},
    {"NotAnObject", true, "[1, 2, 3]", "not hold a JSON object"},
    {"PortTooBig", true, UserWith("serverPort", "65536"), "\"serverPort\""},
    {"HostWithEscapedNul", true, UserWith("serverHost", R"("backup\u0000evil.example")"),
            "\"serverHost\" (\"backup<U+0000>evil.example\") is refused: The server host name contains a control"},
    {"LoginWithDirectionOverride", true, UserWith("login", R"("CORP\\evil\u202etxt")"), "U+202E"},
    {"SecuredNotABoolean", true, UserWith("secured", "\"no\""), "\"secured\" is not true or false"},
    {"PortZero", true, UserWith("serverPort", "0"), "\"serverPort\" (0) is refused: The server port must be"},
    {"NameInvalid", false, R"({"formatVersion": 1, "role": "client", "workstationName": "-ws", )"
            R"("systemSupplied": true})", "\"workstationName\" (\"-ws\") is refused: The workstation name cannot"},
    {"NewerFormat", false,
            R"({"formatVersion": 2, "role": "client", "workstationName": "", "systemSupplied": true})", "newer"},
    {"AnotherRole", true, UserWith("role", "\"server\""), "role \"server\""}}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });
// clang-format on

}  // namespace
