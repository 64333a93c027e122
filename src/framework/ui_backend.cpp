#include "framework/ui_backend.h"

#include <stdexcept>

namespace framework {
namespace {
UiBackend* g_backend = nullptr;
}

UiBackend& Ui() {
    if (g_backend == nullptr) throw std::logic_error("no user-interface backend installed");
    return *g_backend;
}

UiBackend* InstallUi(UiBackend* backend) {
    UiBackend* previous = g_backend;
    g_backend = backend;
    return previous;
}

}  // namespace framework
