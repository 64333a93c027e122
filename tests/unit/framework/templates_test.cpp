// The resource script holds the three dialog templates control for control: identifiers,
// kinds, texts and positions, in tab order. The headless dialogs are built from it, and the
// end-to-end tests check the same table against the real windows.
#include <gtest/gtest.h>

#include "framework/headless/rc_templates.h"
#include "res/resource.h"

namespace {

struct Expected {
    int id;
    const char* className;
    const wchar_t* text;
    int x, y, w, h;
};

const std::map<UINT, framework::DialogTemplate>& Templates() {
    static const auto templates = framework::ReadDialogTemplates(CORVEX_RC_PATH);
    return templates;
}

void ExpectControls(UINT dialog, const std::vector<Expected>& expected) {
    const framework::DialogTemplate& t = Templates().at(dialog);
    ASSERT_EQ(t.controls.size(), expected.size()) << "dialog " << dialog;
    for (size_t i = 0; i < expected.size(); ++i) {
        const framework::ControlTemplate& c = t.controls[i];
        const Expected& e = expected[i];
        EXPECT_EQ(c.id, e.id) << "control #" << i;
        EXPECT_EQ(c.className, e.className) << "control #" << i;
        if (e.id == -1 || c.className != "Edit") EXPECT_EQ(c.text, e.text) << "control #" << i;
        EXPECT_EQ((std::vector<int>{c.x, c.y, c.width, c.height}), (std::vector<int>{e.x, e.y, e.w, e.h}))
            << "control #" << i;
    }
}

const wchar_t kNetworkName[] = L"Network name or IP-address of the machine where Halvane Server is installed.";
const wchar_t kLoginHelp[] =
    L"Login name (with domain or computer name) of a user who is authorized to do backup of local data from a "
    L"remote machine (where Halvane Server is installed).";

TEST(Templates, WorkstationConfiguration) {
    const auto& t = Templates().at(IDD_CLIENT_CONFIGURATION);
    EXPECT_EQ(t.caption, L"Corvex Workstation Settings");
    EXPECT_EQ(t.width, 322);
    EXPECT_EQ(t.height, 275);
    EXPECT_EQ(t.fontName, L"MS Shell Dlg");
    EXPECT_EQ(t.fontSize, 8);
    EXPECT_EQ(t.styles, (std::set<std::string>{"DS_SETFONT", "DS_MODALFRAME", "DS_FIXEDSYS", "WS_POPUP", "WS_VISIBLE",
                                               "WS_CAPTION", "WS_SYSMENU"}));
    EXPECT_EQ(t.exStyles, std::set<std::string>{"WS_EX_APPWINDOW"});
    ExpectControls(IDD_CLIENT_CONFIGURATION,
                   {{-1, "Button", L"Settings", 6, 7, 309, 179},
                    {-1, "Static", L"Server host name", 12, 18, 48, 16},
                    {1000, "Edit", L"", 66, 18, 174, 12},
                    {-1, "Static", L"Port", 240, 20, 18, 8},
                    {1004, "Edit", L"", 264, 18, 42, 12},
                    {-1, "Static", kNetworkName, 66, 36, 240, 24},
                    {-1, "Static", L"Workstation  name", 12, 126, 48, 28},
                    {1002, "Edit", L"", 66, 126, 240, 12},
                    {-1, "Static", L"Name of the local machine as seen by Halvane Server", 66, 144, 240, 12},
                    {-1, "Static", L"Backup administrator login ", 7, 72, 53, 33},
                    {1001, "Edit", L"", 66, 72, 240, 12},
                    {-1, "Static", kLoginHelp, 66, 90, 240, 24},
                    {1005, "Button", L"Load defaults", 240, 162, 66, 16},
                    {-1, "Button", L"Corvex Workstation service", 6, 192, 309, 57},
                    {1006, "Button", L"Start", 48, 204, 72, 16},
                    {1007, "Button", L"Stop", 126, 204, 66, 16},
                    {1008, "Button", L"Restart", 198, 204, 72, 16},
                    {-1, "Static",
                     L"To run Workstation, click the Start button. To stop Workstation, click Stop. To restart "
                     L"Workstation, click Restart.",
                     12, 222, 300, 22},
                    {1, "Button", L"OK", 210, 252, 50, 16},
                    {2, "Button", L"Cancel", 265, 252, 50, 16}});
    const auto& port = t.controls[4];
    EXPECT_TRUE(port.Has("ES_NUMBER") && port.Has("ES_AUTOHSCROLL") && port.Has("WS_TABSTOP") && port.Has("WS_BORDER"));
}

TEST(Templates, InstallTimeConfigurationHasNoWayOutButOk) {
    const auto& t = Templates().at(IDD_INSTALL_CLIENT_CONFIGURATION);
    EXPECT_EQ(t.height, 212);
    EXPECT_EQ(t.styles,
              (std::set<std::string>{"DS_SETFONT", "DS_SYSMODAL", "DS_CENTER", "WS_POPUP", "WS_VISIBLE", "WS_CAPTION"}));
    EXPECT_EQ(t.exStyles, (std::set<std::string>{"WS_EX_TOOLWINDOW", "WS_EX_APPWINDOW"}));
    ExpectControls(IDD_INSTALL_CLIENT_CONFIGURATION,
                   {{-1, "Button", L"Settings", 6, 7, 309, 179},
                    {-1, "Static", L"Server host name", 7, 18, 53, 24},
                    {1000, "Edit", L"", 66, 18, 174, 12},
                    {-1, "Static", L"Port", 240, 20, 18, 8},
                    {1004, "Edit", L"", 264, 18, 42, 12},
                    {-1, "Static", kNetworkName, 66, 36, 240, 24},
                    {-1, "Static", L"Workstation name", 7, 126, 53, 21},
                    {1002, "Edit", L"", 66, 126, 240, 12},
                    {-1, "Static", L"Name of the local machine as seen by Halvane Server.", 66, 144, 240, 12},
                    {-1, "Static", L"Backup administrator login ", 7, 72, 53, 25},
                    {1001, "Edit", L"", 66, 72, 240, 12},
                    {-1, "Static", kLoginHelp, 66, 90, 240, 24},
                    {1005, "Button", L"Load defaults", 240, 162, 66, 16},
                    {1, "Button", L"OK", 265, 189, 50, 16}});
}

TEST(Templates, ClientKit) {
    const auto& t = Templates().at(IDD_CREATE_PACKET);
    EXPECT_EQ(t.height, 276);
    EXPECT_EQ(t.styles, (std::set<std::string>{"DS_SETFONT", "DS_MODALFRAME", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU"}));
    ExpectControls(IDD_CREATE_PACKET,
                   {{-1, "Button", L"Server settings", 6, 7, 309, 119},
                    {-1, "Static", L"Server host name", 12, 18, 48, 16},
                    {1000, "Edit", L"", 66, 18, 174, 12},
                    {-1, "Static", L"Port", 240, 20, 18, 8},
                    {1004, "Edit", L"", 264, 18, 42, 12},
                    {-1, "Static", kNetworkName, 66, 36, 240, 24},
                    {-1, "Static", L"Backup administrator login ", 7, 72, 53, 32},
                    {1001, "Edit", L"", 66, 72, 240, 12},
                    {-1, "Static", kLoginHelp, 66, 90, 240, 24},
                    {-1, "Button", L"Workstation name settings", 6, 132, 306, 90},
                    {-1, "Static", L"Workstation name", 12, 144, 48, 24},
                    {1002, "Edit", L"", 66, 144, 240, 12},
                    {-1, "Static", L"Name of the local machine as seen by Halvane Server", 66, 162, 240, 12},
                    {1010, "Button", L"Automatically use computer network name as Workstation name", 66, 180, 221, 10},
                    {1011, "Button", L"Ask for the Workstation name while installing the program", 66, 192, 200, 10},
                    {1012, "Button", L"Use the Workstation name typed above", 66, 204, 143, 10},
                    {1005, "Button", L"Load defaults", 246, 228, 66, 16},
                    {1, "Button", L"Create", 210, 252, 50, 16},
                    {2, "Button", L"Cancel", 265, 252, 50, 16}});
    EXPECT_TRUE(t.controls[13].Has("WS_GROUP"));
    for (int i = 13; i <= 15; ++i) {
        EXPECT_TRUE(t.controls[i].Has("BS_AUTORADIOBUTTON"));
        EXPECT_FALSE(t.controls[i].Has("WS_TABSTOP"));
    }
}

}  // namespace
