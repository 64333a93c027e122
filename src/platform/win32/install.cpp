// Puts the Win32 implementation of every seam in force.
#include "platform/platform.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_firewall.h"
#include "platform/win32/win32_known_folders.h"
#include "platform/win32/win32_seams.h"
#include "platform/win32/win32_text_file_writer.h"
#include "platform/win32/win32_service_manager.h"

namespace platform {

void InstallWin32Seams() {
    static Win32CommandLine commandLine;
    static Win32ModuleFile module;
    static Win32FileSystem files;
    static Win32Clock clock;
    static Win32Firewall firewall;
    static Win32KnownFolders folders;
    static Win32ProcessLauncher processes;
    static Win32TextFileWriter textFiles;
    static Win32ServiceManager services;
    static Win32MachineName machine;

    Seams seams;
    seams.commandLine = &commandLine;
    seams.module = &module;
    seams.files = &files;
    seams.clock = &clock;
    seams.firewall = &firewall;
    seams.folders = &folders;
    seams.processes = &processes;
    seams.textFiles = &textFiles;
    seams.services = &services;
    seams.machine = &machine;
    Install(seams);
}

}  // namespace platform
