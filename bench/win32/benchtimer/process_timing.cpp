// run: programs one after the other, each to its end; window: a program's start until its
// window is visible, with its peak memory at that moment.
#include <windows.h>
#include <psapi.h>

#include <sstream>

#include "bench_timer.h"

namespace benchtimer {

std::string RunCommand(const Options& options) {
    const std::vector<std::wstring> commands = options.All(L"cmdline");
    if (commands.empty()) throw Failure("--cmdline is missing", 2);
    const double timeout = options.Seconds(L"timeout", 120);
    // --no-window yes: started as the kit build starts its compiler (no console of its own).
    const DWORD flags = options.Get(L"no-window") == L"yes" ? CREATE_NO_WINDOW : 0;
    std::ostringstream codes;
    Stopwatch watch;
    for (size_t i = 0; i < commands.size(); ++i) {
        Process process(commands[i], flags);
        codes << (i ? "," : "") << process.Wait(timeout);
    }
    const double seconds = watch.Seconds();
    std::ostringstream out;
    out << "{\"seconds\": " << seconds << ", \"exit_codes\": [" << codes.str() << "]}";
    return out.str();
}

std::string WindowCommand(const Options& options) {
    const std::wstring commandLine = options.Require(L"cmdline");
    const std::wstring caption = options.Require(L"caption");
    const double timeout = options.Seconds(L"timeout", 60);
    Stopwatch watch;
    Process process(commandLine);
    HWND window = nullptr;
    const bool shown = PollUntil(timeout, [&] {
        window = FindVisibleWindow(caption);
        return window != nullptr || WaitForSingleObject(process.Handle(), 0) == WAIT_OBJECT_0;
    });
    const double seconds = watch.Seconds();
    if (!shown || window == nullptr) {
        TerminateProcess(process.Handle(), 255);
        throw Failure("no visible window \"" + Utf8(caption) + "\"");
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const bool counted = GetProcessMemoryInfo(process.Handle(), &memory, sizeof memory) != 0;
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD code = process.Wait(timeout);
    std::ostringstream out;
    out << "{\"seconds\": " << seconds << ", \"exit_code\": " << code;
    if (counted) {
        out << ", \"peak_working_set\": " << memory.PeakWorkingSetSize
            << ", \"peak_private\": " << memory.PeakPagefileUsage;
    }
    out << "}";
    return out.str();
}

}  // namespace benchtimer
