#include "platform/platform.h"

#include <stdexcept>

namespace platform {
namespace {

Seams& InForce() {
    static Seams seams;
    return seams;
}

template <typename T>
T& Require(T* seam, const char* name) {
    if (seam == nullptr) {
        throw std::logic_error(std::string("platform seam not installed: ") + name);
    }
    return *seam;
}

}  // namespace

const Seams& Current() { return InForce(); }
CommandLine& GetCommandLine() { return Require(InForce().commandLine, "command line"); }
ModuleFile& GetModuleFile() { return Require(InForce().module, "module file"); }
FileSystem& GetFileSystem() { return Require(InForce().files, "file system"); }
ProcessLauncher& GetProcessLauncher() { return Require(InForce().processes, "process launcher"); }
ServiceManager& GetServiceManager() { return Require(InForce().services, "service manager"); }
Clock& GetClock() { return Require(InForce().clock, "clock"); }
Firewall& GetFirewall() { return Require(InForce().firewall, "firewall"); }
KnownFolders& GetKnownFolders() { return Require(InForce().folders, "known folders"); }
TextFileWriter& GetTextFileWriter() { return Require(InForce().textFiles, "text file writer"); }
MachineName& GetMachineName() { return Require(InForce().machine, "machine name"); }

Seams Install(const Seams& seams) {
    Seams previous = InForce();
    InForce() = seams;
    return previous;
}

}  // namespace platform
