// The program's own folder, refused when the system had to cut the program's path.
#include "platform/module_file.h"

#include "platform/utf8.h"

namespace platform {

ModulePathError::ModulePathError()
    : std::runtime_error(
          "The program's own path could not be read whole (it is longer than 259 characters), so its "
          "folder is not known. Move the program, with the files beside it, to a folder with a shorter path.") {}

std::wstring ModulePathError::Text() const {
    std::wstring text;
    Utf8ToWide(what(), text);
    return text;
}

std::wstring ReadModuleDirectory(ModuleFile& module) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = module.GetFileName(path, MAX_PATH);
    // A path that filled the buffer was cut by the system (and may lack its terminator).
    if (length == 0 || length >= MAX_PATH) throw ModulePathError();
    module.RemoveFileSpec(path);
    return path;
}

}  // namespace platform
