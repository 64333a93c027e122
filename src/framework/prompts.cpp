#include "framework/prompts.h"

#include <stdexcept>

#include "platform/utf8.h"

namespace framework {
namespace {
Prompts* g_prompts = nullptr;
}

Prompts& CurrentPrompts() {
    if (g_prompts == nullptr) throw std::logic_error("no prompts installed");
    return *g_prompts;
}

Prompts* InstallPrompts(Prompts* prompts) {
    Prompts* previous = g_prompts;
    g_prompts = prompts;
    return previous;
}

}  // namespace framework

void ShowErrorBox(const char* text) {
    const std::string narrow(text != nullptr ? text : "");
    std::wstring wide;
    // A text that is not UTF-8 is shown byte by byte rather than not at all.
    if (!platform::Utf8ToWide(narrow, wide)) {
        wide.clear();
        for (unsigned char byte : narrow) wide.push_back(static_cast<wchar_t>(byte));
    }
    // Topmost: with no owner it would open behind the install-time dialog, which stays on top of
    // every window, and the installer would wait on a box nobody sees.
    framework::CurrentPrompts().MessageBox(nullptr, wide, L"Error!", MB_OK | MB_ICONERROR | MB_TOPMOST);
}
