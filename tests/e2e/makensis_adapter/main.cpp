// makensis.exe for the test bench: runs Debian's makensis for a Windows caller under Wine.
//   makensis.exe /DNAME=value ... "C:\...\script.nsi"
// becomes  /usr/bin/makensis -DNAME=value ... /unix/path/script.nsi  (absolute Windows paths,
// alone or as a define's value, through Wine's own translation, a trailing separator kept).
// Wine gives no handle of a Unix process, so a shell script runs the compiler and writes its
// status into a file that the adapter waits for (15 minutes at most). makensis.log beside the
// adapter gets the command, the compiler's output and "makensis adapter: exit status N".
// The adapter exits with that status; 125 when the compiler could not be run.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>

#include "platform/utf8.h"

namespace {

std::string Convert(const std::wstring& w) { return platform::WideToUtf8Lossy(w); }

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

template <typename Out, typename In>
Out* Wine(const char* name, In in) {  // wine_get_unix_file_name, wine_get_dos_file_name
    auto f = (Out * (CDECL*)(In))(void*)::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name);
    return f ? f(in) : nullptr;
}

std::string UnixPath(std::wstring path) {
    const bool folder = path.back() == L'\\';
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    char* unix = Wine<char>("wine_get_unix_file_name", path.c_str());
    if (!unix) throw path;
    std::string s = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return s + (folder && s.back() != '/' ? "/" : "");
}

std::wstring Convert(const std::string& s) {
    std::wstring w;
    platform::Utf8ToWide(s, w);
    return w;
}

bool IsWindowsPath(const std::wstring& s) { return s.size() > 2 && s[1] == L':' && s[2] == L'\\'; }

}  // namespace

int wmain() {
    wchar_t self[MAX_PATH] = {};
    std::wstring folder(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    folder.resize(folder.find_last_of(L'\\') + 1);
    std::ofstream log((folder + L"makensis.log").c_str(), std::ios::binary | std::ios::trunc);
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string command = "/usr/bin/makensis";
    try {
        for (int i = 1; i < count; ++i) {
            std::wstring a = argv[i];
            const size_t equals = a.find(L'=');
            std::string arg = IsWindowsPath(a) ? UnixPath(a) : Convert(a);
            if (a.size() > 1 && a[0] == L'/' && a[1] != L'/') {
                a[0] = L'-';
                const bool path = a[1] == L'D' && equals != std::wstring::npos && IsWindowsPath(a.substr(equals + 1));
                arg = path ? Convert(a.substr(0, equals + 1)) + UnixPath(a.substr(equals + 1)) : Convert(a);
            }
            command += " " + Quote(arg);
        }
    } catch (const std::wstring& path) {
        log << "makensis adapter: cannot translate " << Convert(path) << "\n";
        return 125;
    }
    log << "makensis adapter: " << command << "\n" << std::flush;
    log.close();
    // The job: a script in a fresh temporary folder that runs the compiler and leaves its status.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring job = temp + std::wstring(L"corvex-makensis-") + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(job.c_str(), nullptr);
    const std::string unixJob = UnixPath(job + L"\\"), unixLog = Quote(UnixPath(folder) + "makensis.log");
    std::ofstream((job + L"\\run.sh").c_str(), std::ios::binary)
        << command << " >> " << unixLog << " 2>&1\nstatus=$?\necho \"makensis adapter: exit status $status\" >> "
        << unixLog << "\necho $status > " << Quote(unixJob + "status.tmp") << "\nmv " << Quote(unixJob + "status.tmp")
        << " " << Quote(unixJob + "status") << "\n";
    wchar_t* shell = Wine<wchar_t>("wine_get_dos_file_name", "/bin/sh");
    std::wstring line =
        L"\"" + std::wstring(shell ? shell : L"Z:\\bin\\sh") + L"\" \"" + Convert(unixJob) + L"run.sh\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 125;
    const std::wstring status = job + L"\\status";
    for (DWORD waited = 0; ::GetFileAttributesW(status.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 100) {
        if (waited > 15 * 60 * 1000) return 125;
        ::Sleep(100);
    }
    int code = 125;
    std::ifstream(status.c_str()) >> code;
    ::DeleteFileW(status.c_str());
    ::DeleteFileW((job + L"\\run.sh").c_str());
    ::RemoveDirectoryW(job.c_str());
    return code;
}
