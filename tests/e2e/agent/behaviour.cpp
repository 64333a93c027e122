#include "behaviour.h"

#include <windows.h>

namespace {

struct Known {
    const char* word;
    Behaviour behaviour;
};

const Known kKnown[] = {
    {"normal", Behaviour::Normal},
    {"instant", Behaviour::Instant},
    {"slow", Behaviour::Slow},
    {"stuck", Behaviour::Stuck},
    {"refuse-stop", Behaviour::RefuseStop},
    {"exit-during-start", Behaviour::ExitDuringStart},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

Behaviour ReadBehaviour(const std::wstring& folder, std::string& word) {
    word.clear();
    const std::wstring path = folder + L"\\CorvexWorkstation.behaviour";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Behaviour::Normal;

    char buffer[256];
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    ::CloseHandle(file);
    if (!ok) return Behaviour::Unknown;

    std::string text(buffer, read);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
        size_t last = text.size();
        while (last > first && IsBlank(text[last - 1])) --last;
        word = text.substr(first, last - first);
    }
    for (const Known& known : kKnown) {
        if (word == known.word) return known.behaviour;
    }
    return Behaviour::Unknown;
}

const char* NameOf(Behaviour behaviour) {
    for (const Known& known : kKnown) {
        if (known.behaviour == behaviour) return known.word;
    }
    return "unknown";
}
