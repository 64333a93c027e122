#include "commands.h"
#include "message_box.h"
#include "text.h"

namespace uidriver {

namespace {

// The file name box of the common file dialogs: the combo box cmb13 of the explorer style,
// or the edit edt1 of the old style.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

struct FileDialog {
  HWND window = nullptr;
  HWND fileName = nullptr;
  HWND okButton = nullptr;
};

struct ChildSearch {
  int id;
  bool buttonsOnly;
  HWND found;
};

BOOL CALLBACK FindDescendant(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (GetDlgCtrlID(child) == search->id && IsWindowVisible(child) &&
      (!search->buttonsOnly || ControlKind(child).find("button") != std::string::npos)) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

// Any visible descendant: with a hook or template of its own, the dialog's standard controls
// may sit one level down.
HWND Descendant(HWND window, int id, bool buttonsOnly = false) {
  ChildSearch search{id, buttonsOnly, nullptr};
  EnumChildWindows(window, FindDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ReadFileDialog(HWND window, FileDialog* dialog) {
  HWND name = Descendant(window, kFileNameCombo);
  if (!name) name = Descendant(window, kFileNameEdit);
  if (!name) return false;
  dialog->window = window;
  dialog->fileName = name;
  dialog->okButton = Descendant(window, IDOK, true);
  return true;
}

FileDialog WaitForFileDialog(unsigned long timeout) {
  WindowQuery query;
  query.className = L"#32770";
  FileDialog dialog;
  if (!PollUntil(timeout, [&] {
        for (HWND window : FindTopLevelWindows(query)) {
          if (ReadFileDialog(window, &dialog)) return true;
        }
        return false;
      })) {
    throw Failure("no file dialog within " + std::to_string(timeout) + " ms");
  }
  return dialog;
}

bool AsksSomething(HWND dialog) {
  for (HWND box : FindMessageBoxes(L"")) {
    if (GetWindow(box, GW_OWNER) == dialog) return true;
  }
  return false;
}

}  // namespace

// Without --path: describes the file dialog. With --path: types the path into the file name
// box and presses the OK button ("Save"/"Open"), then waits until the dialog closes or shows a
// message box of its own.
Json FileDialogCommand(const Args& args) {
  Options options(args, {L"timeout", L"path"});
  const unsigned long timeout = options.TimeoutMs(kDefaultTimeoutMs);
  FileDialog dialog = WaitForFileDialog(timeout);
  if (!options.Has(L"path")) return Json{{"file_name", Utf8(ControlText(dialog.fileName))}};
  const std::wstring path = options.Get(L"path");
  SendBounded(dialog.fileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  if (ControlText(dialog.fileName) != path) throw Failure("the file name box did not take the path");
  if (!dialog.okButton) throw Failure("the file dialog has no OK button");
  if (!PostMessageW(dialog.okButton, BM_CLICK, 0, 0)) throw Failure("cannot post the click");

  bool asked = false;
  if (!PollUntil(timeout, [&] {
        if (!IsWindow(dialog.window) || !IsWindowVisible(dialog.window)) return true;
        asked = AsksSomething(dialog.window);
        return asked;
      })) {
    throw Failure("the file dialog neither closed nor asked anything after its button was pressed");
  }
  return Json{{"result", asked ? "messagebox" : "accepted"}};
}

}  // namespace uidriver
