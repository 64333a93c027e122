// benchtimer.exe: measures, from inside the Wine prefix, how long a Windows-side job takes,
// so that the Wine start-up of the measuring program itself is never part of a figure.
// Each command prints one JSON object on standard output; exit 0 on success, 1 when the job
// failed or timed out (message on standard error), 2 on a bad command line.
#pragma once

#include <windows.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace benchtimer {

// A failure of the measured job (exit 1) or of the command line (exit 2).
struct Failure : std::runtime_error {
    Failure(const std::string& what, int code = 1) : std::runtime_error(what), exitCode(code) {}
    int exitCode;
};

// "--name value" pairs; a name may repeat (then All gives every value in order).
class Options {
public:
    Options(int argc, wchar_t** argv, int first);
    std::wstring Require(const wchar_t* name) const;
    std::wstring Get(const wchar_t* name, const wchar_t* fallback = L"") const;
    std::vector<std::wstring> All(const wchar_t* name) const;
    double Seconds(const wchar_t* name, double fallback) const;

private:
    std::multimap<std::wstring, std::wstring> values_;
};

// Seconds since construction, from the performance counter.
class Stopwatch {
public:
    Stopwatch();
    double Seconds() const;

private:
    LARGE_INTEGER start_;
    LARGE_INTEGER frequency_;
};

std::string Utf8(const std::wstring& text);

// A visible top-level window with exactly this caption (and this class, when given).
HWND FindVisibleWindow(const std::wstring& caption, const wchar_t* className = nullptr);
// Calls `done` about every millisecond until it returns true; false after `timeout` seconds.
template <typename Condition>
bool PollUntil(double timeout, Condition done) {
    Stopwatch watch;
    while (!done()) {
        if (watch.Seconds() > timeout) return false;
        Sleep(1);
    }
    return true;
}

// A started process; its handles are closed at the end.
class Process {
public:
    // `flags`: the process creation flags (CREATE_NO_WINDOW, say).
    explicit Process(const std::wstring& commandLine, DWORD flags = 0);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    HANDLE Handle() const { return info_.hProcess; }
    // Waits for the end; the exit code, or Failure after `timeout` seconds.
    DWORD Wait(double timeout);

private:
    PROCESS_INFORMATION info_{};
};

std::string RunCommand(const Options& options);
std::string WindowCommand(const Options& options);
std::string ServiceCommand(const Options& options);
std::string KitCommand(const Options& options);

}  // namespace benchtimer
