#include "unix_job.h"

#include "unix_paths.h"

namespace adapter {
namespace {

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadBytes(const std::wstring& path, std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return true;
}

// The Windows path of /bin/sh (normally Z:\bin\sh).
std::wstring ShellWindowsPath() {
    typedef wchar_t*(CDECL * DosFileNameFunction)(const char*);
    DosFileNameFunction function = reinterpret_cast<DosFileNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (function != nullptr) {
        wchar_t* path = function("/bin/sh");
        if (path != nullptr) {
            std::wstring result = path;
            ::HeapFree(::GetProcessHeap(), 0, path);
            return result;
        }
    }
    return L"Z:\\bin\\sh";
}

void RemoveJob(const std::wstring& folder) {
    for (const wchar_t* name : {L"args", L"run.sh", L"output.log", L"status", L"status.tmp"}) {
        ::DeleteFileW((folder + name).c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                             nullptr, nullptr);
    std::string bytes(length, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

JobResult RunUnixProgram(const std::wstring& unixProgram, const std::vector<std::wstring>& arguments,
                         DWORD timeoutMilliseconds) {
    JobResult result;
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH, temp) == 0) {
        result.error = L"no temporary folder";
        return result;
    }
    const std::wstring folder = std::wstring(temp) + L"corvex-makensis-" + std::to_wstring(::GetCurrentProcessId()) +
                                L"-" + std::to_wstring(::GetTickCount()) + L"\\";
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
        result.error = L"cannot create the job folder " + folder;
        return result;
    }
    std::wstring unixFolder;
    if (!WineUnixPath(folder, unixFolder)) {
        result.error = L"cannot find the Unix path of " + folder + L" (is this Wine?)";
        RemoveJob(folder);
        return result;
    }
    if (unixFolder.back() != L'/') unixFolder += L'/';

    std::string lines;
    for (const std::wstring& argument : arguments) {
        if (argument.find_first_of(L"\r\n") != std::wstring::npos) {
            result.error = L"an argument holds a line break: " + argument;
            RemoveJob(folder);
            return result;
        }
        lines += Utf8(argument) + "\n";
    }
    const std::string job = ShellQuote(Utf8(unixFolder));
    const std::string script =
        "#!/bin/sh\n"
        "job=" + job + "\n"
        "set --\n"
        "while IFS= read -r arg; do set -- \"$@\" \"$arg\"; done < \"${job}args\"\n" +
        ShellQuote(Utf8(unixProgram)) + " \"$@\" > \"${job}output.log\" 2>&1\n"
        "echo $? > \"${job}status.tmp\"\n"
        "mv \"${job}status.tmp\" \"${job}status\"\n";
    if (!WriteBytes(folder + L"args", lines) || !WriteBytes(folder + L"run.sh", script)) {
        result.error = L"cannot write the job files in " + folder;
        RemoveJob(folder);
        return result;
    }

    const std::wstring shell = ShellWindowsPath();
    std::wstring commandLine = L"\"" + shell + L"\" \"" + unixFolder + L"run.sh\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(shell.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        result.error = L"cannot start " + shell + L" (system error " + std::to_wstring(::GetLastError()) + L")";
        RemoveJob(folder);
        return result;
    }
    if (process.hThread != nullptr) ::CloseHandle(process.hThread);
    if (process.hProcess != nullptr) ::CloseHandle(process.hProcess);

    const std::wstring status = folder + L"status";
    const DWORD started = ::GetTickCount();
    while (::GetFileAttributesW(status.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - started > timeoutMilliseconds) {
            result.error = L"the Unix program did not end within " + std::to_wstring(timeoutMilliseconds / 1000) +
                           L" seconds; its job folder is kept: " + folder;
            return result;
        }
        ::Sleep(100);
    }
    std::string statusText;
    ReadBytes(status, statusText);
    ReadBytes(folder + L"output.log", result.output);
    RemoveJob(folder);
    result.finished = true;
    result.exitCode = static_cast<DWORD>(std::strtoul(statusText.c_str(), nullptr, 10));
    return result;
}

}  // namespace adapter
