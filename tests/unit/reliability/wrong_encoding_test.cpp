// Settings files in an encoding other than UTF-8: each is refused by Load with the file's
// name, the file stays byte for byte, and the values in memory stay as they were.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "../params/params_fixture.h"
#include "params/corvex_parameters.h"
#include "platform/utf8.h"

namespace {

using params_test::ReadBytes;
using params_test::WriteBytes;

const std::string kGoodUser =
    R"({"formatVersion": 1, "role": "client", "serverHost": "backup01", "serverPort": 9750, "secured": false, "login": "CORP\\J)"
    "\xc3\xbc" R"(rgen"})";

std::string Utf16(const std::string& ascii, bool bigEndian, bool mark) {
    std::string bytes = mark ? (bigEndian ? std::string("\xfe\xff") : std::string("\xff\xfe")) : std::string();
    for (char c : ascii) {
        bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
    }
    return bytes;
}

struct Encoding {
    const char* name;
    std::string bytes;
};

void PrintTo(const Encoding& c, std::ostream* os) { *os << c.name; }

std::string Latin1() {
    std::string bytes = kGoodUser;
    const auto at = bytes.find("\xc3\xbc");
    return bytes.replace(at, 2, "\xfc");
}

const Encoding kEncodings[] = {
    {"Utf16LittleEndianWithMark", Utf16(R"({"formatVersion": 1, "role": "client"})", false, true)},
    {"Utf16BigEndianWithMark", Utf16(R"({"formatVersion": 1, "role": "client"})", true, true)},
    {"Utf16WithoutMark", Utf16(R"({"formatVersion": 1, "role": "client"})", false, false)},
    {"Utf32WithMark", std::string("\xff\xfe\0\0{\0\0\0}\0\0\0", 12)},
    {"Latin1Letter", Latin1()},
    {"Cp1252Quotes", R"({"formatVersion": 1, "role": "client", "serverHost": )" "\x93" "backup" "\x94" "}"},
    {"Utf8MarkTwice", "\xef\xbb\xbf\xef\xbb\xbf" + kGoodUser},
    {"NulInsideText", std::string(R"({"formatVersion": 1, "role": "cli)") + '\0' + R"(ent"})"},
};

class WrongEncodingTest : public params_test::ParamsOnDisk, public ::testing::WithParamInterface<Encoding> {};

TEST_P(WrongEncodingTest, IsRefusedWithTheFilesNameAndLeftAsItWas) {
    WriteBytes(AgentUserFile(), GetParam().bytes);
    const std::wstring host = L"kept-host";
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(host, 4321, false);
    std::string error;
    try {
        parameters.Load();
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    EXPECT_NE(error.find(platform::WideToUtf8Lossy(AgentUserFile())), std::string::npos) << error;
    EXPECT_NE(error.find("not valid JSON"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()), GetParam().bytes);
    EXPECT_EQ(parameters.GetCoordinatorHost(), host);
}

INSTANTIATE_TEST_SUITE_P(Files, WrongEncodingTest, ::testing::ValuesIn(kEncodings),
                         [](const ::testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

TEST_F(WrongEncodingTest, TheSameTextInUtf8Loads) {
    WriteBytes(AgentUserFile(), kGoodUser);
    CorvexParameters parameters(L"client");
    ASSERT_NO_THROW(parameters.Load());
    EXPECT_EQ(parameters.GetAllowedUserName(), L"CORP\\J\u00fcrgen");
}

}  // namespace
