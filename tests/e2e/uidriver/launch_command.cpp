#include <vector>

#include "commands.h"
#include "text.h"

namespace uidriver {

// Starts a program with an exact Windows command line (quotes and all, as a shell or Explorer
// would pass it), waits for the program and reports its exit code.
Json LaunchCommand(const Args& args) {
  Options options(args, {L"cmdline", L"cwd"});
  const std::wstring commandLine = options.Require(L"cmdline");
  const std::wstring cwd = options.Get(L"cwd");
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &startup, &process)) {
    throw Failure("cannot start \"" + Utf8(commandLine) + "\": error " + std::to_string(GetLastError()));
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return Json{{"exit_code", code}};
}

}  // namespace uidriver
