// kit: the kit dialog's "Create" from the moment the file dialog's Save is pressed until the
// configurator's message box about the result is visible. The caller has filled the kit
// dialog and pressed "Create"; the file dialog is open or about to open.
#include <sstream>

#include "bench_timer.h"

namespace benchtimer {

namespace {

// The file name box of the common file dialogs: the combo box of the explorer style, or the
// edit of the old style.
const int kFileNameCombo = 0x47c;
const int kFileNameEdit = 0x480;

struct FileDialogSearch {
    HWND dialog;
    HWND name;
};

BOOL CALLBACK FindFileDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<FileDialogSearch*>(param);
    wchar_t cls[16] = L"";
    GetClassNameW(window, cls, 16);
    if (!IsWindowVisible(window) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
    HWND name = GetDlgItem(window, kFileNameCombo);
    if (!name) name = GetDlgItem(window, kFileNameEdit);
    if (!name) return TRUE;
    search->dialog = window;
    search->name = name;
    return FALSE;
}

}  // namespace

std::string KitCommand(const Options& options) {
    const std::wstring path = options.Require(L"path");
    const std::wstring boxCaption = options.Require(L"box-caption");
    const double timeout = options.Seconds(L"timeout", 300);
    FileDialogSearch search{nullptr, nullptr};
    if (!PollUntil(30,
                   [&] { return !EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&search)) && search.dialog; })) {
        throw Failure("no file dialog");
    }
    SendMessageW(search.name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    HWND save = GetDlgItem(search.dialog, IDOK);
    if (!save) throw Failure("the file dialog has no Save button");
    Stopwatch watch;
    PostMessageW(save, BM_CLICK, 0, 0);
    if (!PollUntil(timeout, [&] { return FindVisibleWindow(boxCaption, L"#32770") != nullptr; })) {
        throw Failure("no message box \"" + Utf8(boxCaption) + "\"");
    }
    std::ostringstream out;
    out << "{\"seconds\": " << watch.Seconds() << "}";
    return out.str();
}

}  // namespace benchtimer
