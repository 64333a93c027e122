#include "settings_report.h"

#include <exception>

#include "params/corvex_parameters.h"
#include "platform/utf8.h"
#include "platform/win32/win32_seams.h"
#include "report.h"

void ReportSettings() {
    platform::InstallWin32Seams();
    try {
        CorvexParameters parameters(L"client");
        parameters.Load();
        Report("settings host " + platform::WideToUtf8Lossy(parameters.GetCoordinatorHost()) + " port " +
               std::to_string(parameters.GetCoordinatorPort()) + " login " +
               platform::WideToUtf8Lossy(parameters.GetAllowedUserName()) + " workstation " +
               platform::WideToUtf8Lossy(parameters.GetClientName()));
    } catch (const std::exception& e) {
        Report(std::string("settings error ") + e.what());
    }
}
