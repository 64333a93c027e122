#include "killing_file_system.h"

#include <signal.h>
#include <unistd.h>

namespace reliability {

void KillingFileSystem::Step() {
    if (step_++ == killAt_) {
        ::kill(::getpid(), SIGKILL);
        for (;;) ::pause();  // SIGKILL cannot be caught: the process ends here
    }
}

DWORD KillingFileSystem::WriteAndFlush(const std::wstring& path, const std::string& contents) {
    Step();
    if (step_ == killAt_) {
        // Dying half-way: the temporary file holds only the first half of its bytes.
        real_.WriteAndFlush(path, contents.substr(0, contents.size() / 2));
    }
    Step();
    const DWORD code = real_.WriteAndFlush(path, contents);
    Step();
    return code;
}

DWORD KillingFileSystem::Replace(const std::wstring& source, const std::wstring& target) {
    Step();
    const DWORD code = real_.Replace(source, target);
    Step();
    return code;
}

DWORD KillingFileSystem::Remove(const std::wstring& path) {
    Step();
    const DWORD code = real_.Remove(path);
    Step();
    return code;
}

DWORD KillingFileSystem::CreateFolders(const std::wstring& path) {
    Step();
    const DWORD code = real_.CreateFolders(path);
    Step();
    return code;
}

DWORD KillingFileSystem::RestrictToAdministrators(const std::wstring& path) {
    Step();
    const DWORD code = real_.RestrictToAdministrators(path);
    Step();
    return code;
}

}  // namespace reliability
