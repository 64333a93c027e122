// Saving and loading the settings files on a real (temporary) disk.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "params/corvex_parameters.h"
#include "params_fixture.h"

namespace {

using params_test::Exists;
using params_test::FilesBelow;
using params_test::ReadBytes;
using params_test::WriteBytes;

using SettingsFilesTest = params_test::ParamsOnDisk;

TEST_F(SettingsFilesTest, SaveWritesTwoReadableUtf8FilesThatLoadWithEveryValueAndTheFlags) {
    const std::wstring login = L"CORP\\J\u00fcrgen \u6e2c\u8a66\U0001F600";
    const std::wstring host = L"2001:db8::1";
    CorvexParameters saved(L"client");
    saved.SetClientName(L"", true);
    saved.SetUserName(login);
    saved.SetCoordinator(host, 65535, true);
    saved.Save(true);

    EXPECT_EQ(FilesBelow(temp_.Native()).size(), 2u);
    EXPECT_NE(ReadBytes(AgentUserFile()).find("\"login\": \"CORP\\\\J\xc3\xbcrgen \xe6\xb8\xac"), std::string::npos)
        << "readable UTF-8, not escapes";

    CorvexParameters loaded(L"client");
    loaded.Load();
    EXPECT_EQ(loaded.GetClientName(), L"");
    EXPECT_EQ(loaded.GetAllowedUserName(), login);
    EXPECT_EQ(loaded.GetCoordinatorHost(), host);
    EXPECT_EQ(loaded.GetCoordinatorPort(), 65535);
    // A loaded empty system-supplied name saves again without a complaint: the flag came back.
    EXPECT_NO_THROW(loaded.Save(true));
    EXPECT_EQ(nlohmann::json::parse(ReadBytes(AgentUserFile())).at("secured"), true);
    EXPECT_EQ(nlohmann::json::parse(ReadBytes(AgentWorkstationFile())).at("systemSupplied"), true);
}

TEST_F(SettingsFilesTest, PredefinedFoldersRoundTripEachFileInItsFolder) {
    const std::wstring userDir = ComputerInfo::GetSettingsDirForUser() + L"PredefinedClientSettings\\User\\";
    // A folder given without its trailing backslash gets one.
    const std::wstring workstationDir = ComputerInfo::GetSettingsDirForUser() + L"PredefinedClientSettings\\Workstation";
    const std::wstring name = L"KIOSK-7";
    const std::wstring host = L"10.1.2.3";
    const std::wstring login = L"backup@corp.example.com";
    CorvexParameters saved(L"client");
    saved.SetClientName(name, false);
    saved.SetUserName(login);
    saved.SetCoordinator(host, 4000, false);
    saved.Save(userDir, workstationDir);

    EXPECT_TRUE(Exists(userDir + L"user.json"));
    EXPECT_FALSE(Exists(userDir + L"workstation.json"));
    EXPECT_TRUE(Exists(workstationDir + L"\\workstation.json"));
    EXPECT_FALSE(Exists(workstationDir + L"\\user.json"));
    EXPECT_FALSE(Exists(AgentUserFile())) << "the kit's settings leaked into the agent's store";

    CorvexParameters loaded(L"client");
    loaded.Load(userDir, workstationDir);
    EXPECT_EQ(loaded.GetClientName(), name);
    EXPECT_EQ(loaded.GetCoordinatorHost(), host);
    EXPECT_EQ(loaded.GetCoordinatorPort(), 4000);
    EXPECT_EQ(loaded.GetAllowedUserName(), login);
}

TEST_F(SettingsFilesTest, MissingStoreLoadsSystemDefaults) {
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(L"elsewhere", 1, true);
    parameters.Load();
    EXPECT_EQ(parameters.GetCoordinatorHost(), L"localhost");
    EXPECT_EQ(parameters.GetCoordinatorPort(), 9750);
    EXPECT_EQ(parameters.GetAllowedUserName(), L"Administrator");
    EXPECT_EQ(parameters.GetClientName(), L"");
    EXPECT_TRUE(FilesBelow(temp_.Native()).empty()) << "loading wrote something";
}

TEST_F(SettingsFilesTest, MissingWorkstationFileGivesDefaultNameOnly) {
    CorvexParameters saved(L"client");
    saved.SetClientName(L"WS-1", false);
    saved.SetCoordinator(L"backup01", 9000, false);
    saved.Save(true);
    std::remove(platform::PortableFileSystem::NativePath(AgentWorkstationFile()).c_str());

    CorvexParameters loaded(L"client");
    loaded.Load();
    EXPECT_EQ(loaded.GetCoordinatorHost(), L"backup01");
    EXPECT_EQ(loaded.GetClientName(), L"");
}

TEST_F(SettingsFilesTest, SaveWithoutCreatingRefusesMissingStoreFolder) {
    CorvexParameters parameters(L"client");
    const std::string error = params_test::ErrorOf([&] { parameters.Save(false); });
    EXPECT_NE(error.find("Settings"), std::string::npos) << "saved into a folder that does not exist: " << error;
    EXPECT_TRUE(FilesBelow(temp_.Native()).empty());
}

TEST_F(SettingsFilesTest, UnknownSystemFoldersAreErrorsNotCrashes) {
    EXPECT_EQ(ComputerInfo::GetSettingsDirForUser(), folders_.userAppData + L"\\Quentara\\Corvex Workstation\\");
    folders_.userAppData.clear();
    EXPECT_THROW(ComputerInfo::GetSettingsDirForUser(), std::runtime_error);
    folders_.programData.clear();
    CorvexParameters parameters(L"client");
    EXPECT_THROW(parameters.Load(), std::runtime_error);
    EXPECT_THROW(parameters.Save(true), std::runtime_error);
}

TEST(ParametersRoleTest, EmptyRoleIsRefused) {
    EXPECT_THROW(CorvexParameters(nullptr), std::invalid_argument);
    EXPECT_THROW(CorvexParameters(L""), std::invalid_argument);
}

}  // namespace
