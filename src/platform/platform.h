// The seams between the configurator's logic and the operating system. Every platform
// call other than the user interface goes through one of these narrow interfaces; the
// Windows program installs the real implementations at start-up, unit tests install fakes.
#pragma once

// Some seam names are also Win32 macro names (GetCommandLine): declare them the same way
// in every translation unit.
#include "platform/wintypes.h"

namespace platform {

class CommandLine;
class ModuleFile;
class FileSystem;
class ProcessLauncher;
class ServiceManager;
class Clock;
class Firewall;
class KnownFolders;
class TextFileWriter;
class MachineName;

struct Seams {
    CommandLine* commandLine = nullptr;
    ModuleFile* module = nullptr;
    FileSystem* files = nullptr;
    ProcessLauncher* processes = nullptr;
    ServiceManager* services = nullptr;
    Clock* clock = nullptr;
    Firewall* firewall = nullptr;
    KnownFolders* folders = nullptr;
    TextFileWriter* textFiles = nullptr;
    MachineName* machine = nullptr;
};

// The seams in force. Each accessor throws std::logic_error when its seam was not installed,
// so a missing set-up shows up as a clear failure, not as a crash.
const Seams& Current();
CommandLine& GetCommandLine();
ModuleFile& GetModuleFile();
FileSystem& GetFileSystem();
ProcessLauncher& GetProcessLauncher();
ServiceManager& GetServiceManager();
Clock& GetClock();
Firewall& GetFirewall();
KnownFolders& GetKnownFolders();
TextFileWriter& GetTextFileWriter();
MachineName& GetMachineName();

// Replaces the seams in force and gives back the previous ones.
Seams Install(const Seams& seams);

// Installs seams for the lifetime of a scope and restores the previous ones afterwards.
class ScopedSeams {
public:
    explicit ScopedSeams(const Seams& seams) : previous_(Install(seams)) {}
    ~ScopedSeams() { Install(previous_); }
    ScopedSeams(const ScopedSeams&) = delete;
    ScopedSeams& operator=(const ScopedSeams&) = delete;

private:
    Seams previous_;
};

}  // namespace platform
