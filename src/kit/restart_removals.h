// An uninstaller run in place cannot remove itself: it leaves itself and its folder to the
// system, to be removed at the next restart. An installation into that folder before then
// takes them back, or the restart would remove the new installation's uninstaller.
#pragma once

#include <string>

#include "kit/kit_log.h"

namespace kit {

// Drops the removals queued for the next restart of `folder` and of what lies below it (letter
// case aside), and logs each; renames and other folders' removals stay as they are.
void KeepFromRemovalAtRestart(const std::wstring& folder, KitLog& log);

}  // namespace kit
