// service: the product's service controller, one Start() or Stop() of the agent's service
// through the real Win32 seams, timed in this process.
#include <sstream>

#include "bench_timer.h"
#include "platform/win32/win32_seams.h"
#include "service/workstation_service.h"

namespace benchtimer {

std::string ServiceCommand(const Options& options) {
    const std::wstring operation = options.Require(L"op");
    if (operation != L"start" && operation != L"stop") throw Failure("--op is start or stop", 2);
    platform::InstallWin32Seams();
    ServiceControl::WorkstationService service;
    Stopwatch watch;
    const bool reached = operation == L"start" ? service.Start() : service.Stop();
    const double seconds = watch.Seconds();
    std::ostringstream out;
    out << "{\"seconds\": " << seconds << ", \"reached\": " << (reached ? "true" : "false") << "}";
    return out.str();
}

}  // namespace benchtimer
