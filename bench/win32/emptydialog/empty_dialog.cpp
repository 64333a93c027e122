// The smallest dialog program: one empty dialog from a template, closed by WM_CLOSE.
#include <windows.h>

namespace {

INT_PTR CALLBACK EmptyDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_CLOSE) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, EmptyDialogProc, 0));
}
