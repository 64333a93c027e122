// The probe dialog. "Message" shows a message box with the text of the first edit and the
// type number of the second (for instance 35: Yes, No, Cancel with the question icon) and
// reports the answer; "Save as" runs the save-file dialog and reports the chosen path; edits
// of the first box are counted. OK ends the program with exit code 1, Cancel with 2.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "uiprobe_ids.h"

namespace {

int g_changes = 0;

std::wstring ItemText(HWND dialog, int id) {
  wchar_t buffer[1024] = L"";
  GetDlgItemTextW(dialog, id, buffer, 1024);
  return buffer;
}

void ShowMessage(HWND dialog) {
  BOOL ok = FALSE;
  UINT type = GetDlgItemInt(dialog, IDC_NUMBER, &ok, FALSE);
  int answer = MessageBoxW(dialog, ItemText(dialog, IDC_TEXT).c_str(), L"Probe message", ok ? type : MB_OK);
  SetDlgItemTextW(dialog, IDC_STATUS, (L"answer " + std::to_wstring(answer)).c_str());
}

void SaveAs(HWND dialog) {
  wchar_t path[MAX_PATH] = L"probe_output.exe";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = L"Executive Files (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"exe";
  ofn.Flags = OFN_EXPLORER;
  if (GetSaveFileNameW(&ofn)) {
    SetDlgItemTextW(dialog, IDC_STATUS, (std::wstring(L"saved ") + path).c_str());
  } else {
    SetDlgItemTextW(dialog, IDC_STATUS, L"cancelled");
  }
}

INT_PTR CALLBACK ProbeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, IDC_FIRST, IDC_SECOND, IDC_FIRST);
      SetDlgItemTextW(dialog, IDC_COMMAND_LINE, GetCommandLineW());
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_TEXT:
          if (HIWORD(wParam) == EN_CHANGE) {
            SetDlgItemTextW(dialog, IDC_CHANGES, (L"changes: " + std::to_wstring(++g_changes)).c_str());
          }
          return TRUE;
        case IDC_MESSAGE: ShowMessage(dialog); return TRUE;
        case IDC_SAVE_AS: SaveAs(dialog); return TRUE;
        case IDC_DISABLED: SetDlgItemTextW(dialog, IDC_STATUS, L"disabled button clicked"); return TRUE;
        case IDOK: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL: EndDialog(dialog, 2); return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROBE), nullptr, ProbeProc, 0));
}
