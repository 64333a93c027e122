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
using params_test::ParamsOnDisk;
using params_test::ReadBytes;
using params_test::WriteBytes;

class SettingsFilesTest : public ParamsOnDisk {};

TEST_F(SettingsFilesTest, SaveThenLoadKeepsEveryValueIncludingUnicode) {
    const std::wstring name = L"WS-0142";
    const std::wstring login = L"CORP\\J\u00fcrgen \u6e2c\u8a66\U0001F600";
    const std::wstring host = L"2001:db8::1";
    CorvexParameters saved(L"client");
    saved.SetClientName(name, false);
    saved.SetUserName(login);
    saved.SetCoordinator(host, 65535, true);
    saved.Save(true);

    CorvexParameters loaded(L"client");
    loaded.Load();
    EXPECT_EQ(loaded.GetClientName(), name);
    EXPECT_EQ(loaded.GetAllowedUserName(), login);
    EXPECT_EQ(loaded.GetCoordinatorHost(), host);
    EXPECT_EQ(loaded.GetCoordinatorPort(), 65535);
}

TEST_F(SettingsFilesTest, SecuredFlagAndSystemSuppliedNameSurviveSaveAndResave) {
    CorvexParameters saved(L"client");
    saved.SetClientName(L"", true);
    saved.SetCoordinator(L"backup01", 9751, true);
    saved.Save(true);

    // A loaded empty system-supplied name saves again without a complaint: the flag came back.
    CorvexParameters loaded(L"client");
    loaded.Load();
    EXPECT_EQ(loaded.GetClientName(), L"");
    EXPECT_NO_THROW(loaded.Save(true));
    const auto user = nlohmann::json::parse(ReadBytes(AgentUserFile()));
    EXPECT_EQ(user.at("secured"), true);
    const auto workstation = nlohmann::json::parse(ReadBytes(AgentWorkstationFile()));
    EXPECT_EQ(workstation.at("systemSupplied"), true);
}

TEST_F(SettingsFilesTest, AgentStoreHoldsTwoReadableUtf8JsonFiles) {
    const std::wstring login = L"CORP\\J\u00fcrgen";
    CorvexParameters parameters(L"client");
    parameters.SetUserName(login);
    parameters.Save(true);

    EXPECT_EQ(params_test::FilesBelow(temp_.Native()),
              (std::vector<std::string>{"ProgramData/Quentara/Corvex Workstation/Settings/user.json",
                                        "ProgramData/Quentara/Corvex Workstation/Settings/workstation.json"}));
    const std::string bytes = ReadBytes(AgentUserFile());
    EXPECT_NE(bytes.find("\"login\": \"CORP\\\\J\xc3\xbcrgen\""), std::string::npos) << bytes;
    const auto user = nlohmann::json::parse(bytes);
    EXPECT_EQ(user.at("formatVersion"), 1);
    EXPECT_EQ(user.at("role"), "client");
    EXPECT_EQ(user.at("serverHost"), "localhost");
    EXPECT_EQ(user.at("serverPort"), 9750);
    const auto workstation = nlohmann::json::parse(ReadBytes(AgentWorkstationFile()));
    EXPECT_EQ(workstation.at("workstationName"), "");
    EXPECT_EQ(workstation.at("role"), "client");
}

TEST_F(SettingsFilesTest, PredefinedFoldersRoundTripEachFileInItsFolder) {
    const std::wstring userDir = ComputerInfo::GetSettingsDirForUser() + L"PredefinedClientSettings\\User\\";
    const std::wstring workstationDir =
        ComputerInfo::GetSettingsDirForUser() + L"PredefinedClientSettings\\Workstation\\";
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
    EXPECT_TRUE(Exists(workstationDir + L"workstation.json"));
    EXPECT_FALSE(Exists(workstationDir + L"user.json"));
    EXPECT_FALSE(Exists(AgentUserFile())) << "the kit's settings leaked into the agent's store";

    CorvexParameters loaded(L"client");
    loaded.Load(userDir, workstationDir);
    EXPECT_EQ(loaded.GetClientName(), name);
    EXPECT_EQ(loaded.GetCoordinatorHost(), host);
    EXPECT_EQ(loaded.GetCoordinatorPort(), 4000);
    EXPECT_EQ(loaded.GetAllowedUserName(), login);
}

TEST_F(SettingsFilesTest, KitFilesCopiedIntoAgentStoreAreWhatTheAgentLoads) {
    const std::wstring kit = temp_.Wide() + L"\\kit\\";
    const std::wstring host = L"backup01";
    CorvexParameters saved(L"client");
    saved.SetCoordinator(host, 9000, false);
    saved.Save(kit + L"User", kit + L"Workstation");  // folders without the trailing backslash
    WriteBytes(AgentUserFile(), ReadBytes(kit + L"User\\user.json"));
    WriteBytes(AgentWorkstationFile(), ReadBytes(kit + L"Workstation\\workstation.json"));

    CorvexParameters agent(L"client");
    agent.Load();
    EXPECT_EQ(agent.GetCoordinatorHost(), host);
    EXPECT_EQ(agent.GetCoordinatorPort(), 9000);
}

TEST_F(SettingsFilesTest, MissingStoreLoadsSystemDefaults) {
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(L"elsewhere", 1, true);
    parameters.Load();
    EXPECT_EQ(parameters.GetCoordinatorHost(), L"localhost");
    EXPECT_EQ(parameters.GetCoordinatorPort(), CorvexParameters::Defaults::coordinatorPort);
    EXPECT_EQ(parameters.GetAllowedUserName(), L"Administrator");
    EXPECT_EQ(parameters.GetClientName(), L"");
    EXPECT_TRUE(params_test::FilesBelow(temp_.Native()).empty()) << "loading wrote something";
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

TEST_F(SettingsFilesTest, LoadedBadValueIsRejectedWithoutIdentity) {
    WriteBytes(AgentUserFile(), R"({"formatVersion": 1, "role": "client", "serverHost": "bad host",
        "serverPort": 9750, "secured": false, "login": "Administrator"})");
    CorvexParameters parameters(L"client");
    parameters.Load();
    EXPECT_EQ(parameters.GetCoordinatorHost(), L"bad host");
    try {
        parameters.Save(true);
        FAIL() << "saved an invalid host";
    } catch (const CorvexParameters::ValidationError& e) {
        EXPECT_EQ(e.GetField(), nullptr);
    }
}

TEST_F(SettingsFilesTest, SaveWithoutCreatingRefusesMissingStoreFolder) {
    CorvexParameters parameters(L"client");
    try {
        parameters.Save(false);
        FAIL() << "saved into a folder that does not exist";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Settings"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(params_test::FilesBelow(temp_.Native()).empty());
}

TEST_F(SettingsFilesTest, AnotherRolesFileIsNotTakenForOurs) {
    CorvexParameters server(L"server");
    server.Save(true);
    CorvexParameters client(L"client");
    try {
        client.Load();
        FAIL() << "loaded another role's settings";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("role \"server\""), std::string::npos) << e.what();
    }
}

TEST_F(SettingsFilesTest, NewerFormatVersionIsRefused) {
    WriteBytes(AgentWorkstationFile(),
               R"({"formatVersion": 2, "role": "client", "workstationName": "", "systemSupplied": true})");
    CorvexParameters parameters(L"client");
    try {
        parameters.Load();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("workstation.json"), std::string::npos) << e.what();
    }
}

TEST_F(SettingsFilesTest, UserSettingsFolderEndsWithBackslashBelowAppData) {
    EXPECT_EQ(ComputerInfo::GetSettingsDirForUser(), folders_.userAppData + L"\\Quentara\\Corvex Workstation\\");
    EXPECT_EQ(ComputerInfo::GetAppDirSuffix().back(), L'\\');
    folders_.userAppData.clear();
    EXPECT_THROW(ComputerInfo::GetSettingsDirForUser(), std::runtime_error);
}

TEST_F(SettingsFilesTest, UnknownProgramDataIsAnErrorNotACrash) {
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
