// Wine's own translation of Windows paths into Unix paths.
#pragma once

#include <string>

namespace adapter {

// The Unix path of a Windows path, through Wine's wine_get_unix_file_name. A path whose
// folder does not exist yet is translated through its nearest existing folder. False when
// not running under Wine or the path lies on no drive that Wine knows.
bool WineUnixPath(const std::wstring& windowsPath, std::wstring& unixPath);

}  // namespace adapter
