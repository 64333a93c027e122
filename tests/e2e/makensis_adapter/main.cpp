// makensis.exe for the test bench: runs Debian's makensis for a Windows caller under Wine.
//   makensis.exe /DNAME=value ... "C:\...\script.nsi"
// becomes  /usr/bin/makensis -DNAME=value ... /unix/path/script.nsi  (absolute Windows paths,
// alone or as a define's value, through Wine's own translation, a trailing separator kept).
// Wine gives no handle of a Unix process, so a shell script beside the adapter runs the
// compiler and leaves its status in a file that the adapter waits for (15 minutes at most).
// makensis.log there gets the command line it was given (UTF-8), the compiler's output and
// "makensis adapter: exit status N". The adapter exits with that status; 125 when the compiler could not be run.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <regex>
#include <string>

#include "platform/utf8.h"

namespace {

// In single quotes for the shell, each ' written as '\''.
std::string Quote(const std::string& s) { return "'" + std::regex_replace(s, std::regex("'"), "'\\''") + "'"; }

// A Windows path as a Unix one (wine_get_unix_file_name), or a word as UTF-8.
std::string Unix(std::wstring path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return platform::WideToUtf8Lossy(path);
    const bool folder = path.back() == L'\\';
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    auto translate = (char*(CDECL*)(const wchar_t*))(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                                          "wine_get_unix_file_name");
    char* unix = translate ? translate(path.c_str()) : nullptr;
    const std::string s = unix ? unix : throw path;
    return HeapFree(GetProcessHeap(), 0, unix), s + (folder && s.back() != '/' ? "/" : "");
}

}  // namespace

int wmain() {
    wchar_t self[MAX_PATH] = {}, cwd[MAX_PATH] = {};
    std::wstring folder(self, GetModuleFileNameW(nullptr, self, MAX_PATH)), line;  // line: the shell's, below
    folder.resize(folder.find_last_of(L'\\') + 1);
    const std::wstring status = folder + L"makensis.status";
    std::ofstream log((folder + L"makensis.log").c_str(), std::ios::binary | std::ios::trunc);
    int count = 0, code = 125;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string command = "/usr/bin/makensis", unixFolder;
    try {
        unixFolder = Unix(folder);
        for (int i = 1; i < count; ++i) {
            std::wstring a = argv[i];
            if (a.size() > 1 && a[0] == L'/' && a[1] != L'/') a[0] = L'-';
            // A define's name and value translated apart (value: where it starts); anything else whole (value 0).
            const size_t value = a.compare(0, 2, L"-D") ? 0 : a.find(L'=') + 1;
            command += " " + Quote(Unix(a.substr(0, value)) + Unix(a.substr(value)));
        }
    } catch (const std::wstring& path) {
        return log << "makensis adapter: cannot translate " << platform::WideToUtf8Lossy(path) << "\n", 125;
    }
    // Where and how it was started: its working folder, its start-up record's flags and its command line.
    STARTUPINFOW started{};
    GetStartupInfoW(&started), GetCurrentDirectoryW(MAX_PATH, cwd), DeleteFileW(status.c_str());
    log << "makensis adapter: in " << platform::WideToUtf8Lossy(cwd) << ", start-up flags " << started.dwFlags << "\n";
    log << "makensis adapter: " << platform::WideToUtf8Lossy(GetCommandLineW()) << "\n", log.close();
    const std::string unixLog = Quote(unixFolder + "makensis.log"), unixStatus = Quote(unixFolder + "makensis.status");
    std::ofstream((folder + L"makensis.sh").c_str(), std::ios::binary)
        << command << " >> " << unixLog << " 2>&1\nstatus=$?\necho \"makensis adapter: exit status $status\" >> "
        << unixLog << "\necho $status > " << unixStatus << ".tmp\nmv " << unixStatus << ".tmp " << unixStatus << "\n";
    platform::Utf8ToWide("Z:\\bin\\sh \"" + unixFolder + "makensis.sh\"", line);
    PROCESS_INFORMATION pi{};  // the shell starts as the adapter was started
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &started, &pi)) return 125;
    for (DWORD waited = 0; GetFileAttributesW(status.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 100, Sleep(100))
        if (waited > 15 * 60 * 1000) return 125;
    return std::ifstream(status.c_str()) >> code, code;
}
