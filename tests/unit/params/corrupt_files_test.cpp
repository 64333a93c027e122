// Damaged settings files: Load names the file and says what is wrong, keeps the object's
// values, and leaves the file exactly as it was.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

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

const std::string kGoodUser =
    R"({"formatVersion": 1, "role": "client", "serverHost": "backup01", "serverPort": 9750, "secured": false, "login": "CORP\\backup"})";
const std::string kGoodWorkstation =
    R"({"formatVersion": 1, "role": "client", "workstationName": "WS-1", "systemSupplied": false})";

std::string UserWith(const std::string& key, const std::string& value) {
    std::string bytes = kGoodUser;
    const std::string quoted = "\"" + key + "\": ";
    const auto at = bytes.find(quoted) + quoted.size();
    const auto end = bytes.find_first_of(",}", bytes[at] == '"' ? bytes.find('"', at + 1) : at);
    return bytes.replace(at, end - at, value);
}

class CorruptFilesTest : public ParamsOnDisk, public ::testing::WithParamInterface<Corrupt> {};

TEST_P(CorruptFilesTest, LoadNamesTheFileAndLeavesItAndTheValuesUntouched) {
    const Corrupt& c = GetParam();
    WriteBytes(AgentUserFile(), c.file == File::user ? c.bytes : kGoodUser);
    WriteBytes(AgentWorkstationFile(), c.file == File::workstation ? c.bytes : kGoodWorkstation);
    const std::wstring damaged = c.file == File::user ? AgentUserFile() : AgentWorkstationFile();

    const std::wstring host = L"kept-host";
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(host, 4321, false);
    try {
        parameters.Load();
        FAIL() << "loaded a damaged file";
    } catch (const std::runtime_error& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("\"" + platform::WideToUtf8Lossy(damaged) + "\""), std::string::npos) << what;
        EXPECT_NE(what.find(c.reason), std::string::npos) << what;
    }
    EXPECT_EQ(ReadBytes(damaged), c.bytes) << "the damaged file was changed";
    EXPECT_EQ(parameters.GetCoordinatorHost(), host);
    EXPECT_EQ(parameters.GetCoordinatorPort(), 4321);
}

const Corrupt kCorrupt[] = {
    {"Empty", File::user, "", "not valid JSON"},
    {"Truncated", File::user, kGoodUser.substr(0, kGoodUser.size() / 2), "not valid JSON"},
    {"Binary", File::user, std::string("\x00\x01\x02\xff\xfe\x80", 6), "not valid JSON"},
    {"InvalidUtf8InText", File::user, UserWith("login", "\"CORP\\\\\xc3\x28\""), "not valid JSON"},
    {"OverlongUtf8InText", File::user, UserWith("login", "\"\xc0\xaf\""), "not valid JSON"},
    {"LoneSurrogateEscape", File::user, UserWith("login", R"("\ud800")"), "not valid JSON"},
    {"TrailingGarbage", File::user, kGoodUser + "}", "not valid JSON"},
    {"DuplicateKey", File::user, kGoodUser.substr(0, kGoodUser.size() - 1) + R"(, "serverHost": "other"})",
     "\"serverHost\" appears more than once"},
    {"MissingKey", File::user, R"({"formatVersion": 1, "role": "client", "serverHost": "b", "serverPort": 1, "secured": false})",
     "\"login\" is missing"},
    {"UnknownKey", File::user, kGoodUser.substr(0, kGoodUser.size() - 1) + R"(, "serverhost": "x"})",
     "unknown key \"serverhost\""},
    {"NotAnObject", File::user, "[1, 2, 3]", "not hold a JSON object"},
    {"PortAsText", File::user, UserWith("serverPort", "\"9750\""), "\"serverPort\""},
    {"PortNegative", File::user, UserWith("serverPort", "-1"), "\"serverPort\""},
    {"PortTooBig", File::user, UserWith("serverPort", "65536"), "\"serverPort\""},
    {"PortFraction", File::user, UserWith("serverPort", "97.5"), "\"serverPort\""},
    {"SecuredAsText", File::user, UserWith("secured", "\"no\""), "\"secured\""},
    {"HostAsNumber", File::user, UserWith("serverHost", "42"), "\"serverHost\""},
    {"HostNull", File::user, UserWith("serverHost", "null"), "\"serverHost\""},
    {"LoginAsObject", File::user, UserWith("login", R"({"user": "x"})"), "\"login\""},
    {"VersionZero", File::user, UserWith("formatVersion", "0"), "\"formatVersion\""},
    {"VersionAsText", File::user, UserWith("formatVersion", "\"1\""), "\"formatVersion\""},
    {"RoleMissing", File::workstation, R"({"formatVersion": 1, "workstationName": "", "systemSupplied": true})",
     "\"role\" is missing"},
    {"WorkstationDuplicateKey", File::workstation,
     R"({"formatVersion": 1, "role": "client", "workstationName": "A", "workstationName": "B", "systemSupplied": false})",
     "appears more than once"},
    {"WorkstationNameAsBool", File::workstation,
     R"({"formatVersion": 1, "role": "client", "workstationName": true, "systemSupplied": false})",
     "\"workstationName\""},
    {"WorkstationFlagMissing", File::workstation, R"({"formatVersion": 1, "role": "client", "workstationName": ""})",
     "\"systemSupplied\" is missing"},
    {"WorkstationTruncated", File::workstation, kGoodWorkstation.substr(0, 20), "not valid JSON"},
    {"TooLarge", File::workstation, std::string(70 * 1024, ' ') + kGoodWorkstation, "larger than 64 KiB"},
};

INSTANTIATE_TEST_SUITE_P(Files, CorruptFilesTest, ::testing::ValuesIn(kCorrupt),
                         [](const ::testing::TestParamInfo<Corrupt>& info) { return std::string(info.param.test); });

TEST_F(ParamsOnDisk, WellFormedFilesLoad) {
    WriteBytes(AgentUserFile(), kGoodUser);
    WriteBytes(AgentWorkstationFile(), kGoodWorkstation);
    CorvexParameters parameters(L"client");
    ASSERT_NO_THROW(parameters.Load());
    EXPECT_EQ(parameters.GetAllowedUserName(), L"CORP\\backup");
    EXPECT_EQ(parameters.GetClientName(), L"WS-1");
}

TEST_F(ParamsOnDisk, ByteOrderMarkAndNoTrailingNewlineAreAccepted) {
    WriteBytes(AgentUserFile(), "\xef\xbb\xbf" + kGoodUser);
    CorvexParameters parameters(L"client");
    ASSERT_NO_THROW(parameters.Load());
    EXPECT_EQ(parameters.GetCoordinatorHost(), L"backup01");
}

}  // namespace
