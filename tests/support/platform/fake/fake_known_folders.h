// Known folders for tests: plays back the paths that the test set.
#pragma once

#include <string>

#include "platform/known_folders.h"

namespace platform {

struct FakeKnownFolders : KnownFolders {
    std::wstring programData = L"C:\\ProgramData", userAppData = L"C:\\Users\\admin\\AppData\\Roaming";

    std::wstring ProgramData() override { return programData; }
    std::wstring UserAppData() override { return userAppData; }
};

}  // namespace platform
