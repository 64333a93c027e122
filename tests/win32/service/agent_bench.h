// The test agent as the Wine tests see it: its folder, behaviour and report files, and the
// service's state and start type read straight from the service control manager.
#pragma once

#include <windows.h>

#include <string>

namespace agent_bench {

// The agent's folder from CORVEX_AGENT_DIR; empty when the bench was not prepared.
std::wstring Folder();

void WriteBehaviour(const std::string& word);
std::string ReadReport();
void ClearReport();

// True if the service is registered.
bool Exists();
// The current state (SERVICE_*), or 0 when it cannot be read.
DWORD State();
// The configured start type (SERVICE_AUTO_START, SERVICE_DEMAND_START, ...), or 0.
DWORD StartType();
// Polls until the service is in `state`, for at most `timeoutMs`; true if it got there.
bool WaitForState(DWORD state, DWORD timeoutMs);
// Sends the stop control directly (no start-type change) when the service runs, and waits
// for it to stop; used to leave a clean service behind a failed test.
void StopIfRunning();

}  // namespace agent_bench
