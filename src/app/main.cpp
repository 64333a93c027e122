// The program's entry point and its one application object.
#include "app/setup_client_app.h"
#include "framework/win32/win32_prompts.h"
#include "framework/win32/win32_ui.h"
#include "platform/win32/win32_seams.h"

namespace {
CSetupClientApp theApp;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    platform::InstallWin32Seams();
    static framework::Win32Ui ui;
    framework::InstallUi(&ui);
    static framework::Win32Prompts prompts;
    framework::InstallPrompts(&prompts);
    return AfxWinMain(theApp);
}
