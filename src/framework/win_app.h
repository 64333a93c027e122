// The application object: one per program, driven by the framework's entry point.
#pragma once

#include <string>

#include "framework/cmd_target.h"

// The framework's standard help command.
#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
public:
    // Without a name the title is the executable's file name without its extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    const MessageMap* GetMessageMap() const override;

    // Called once by the entry point; FALSE ends the program without a message loop.
    virtual BOOL InitInstance();
    // Called when the program ends; gives the process exit code.
    virtual int ExitInstance();
    // Shows a framework message box with the application title as caption. A box without an
    // icon gets the usual one for its buttons (exclamation for OK, question for Yes/No).
    virtual int DoMessageBox(const wchar_t* prompt, UINT type, UINT helpContext);

    void SetRegistryKey(const wchar_t* company);
    const std::wstring& GetRegistryKey() const { return m_registryKey; }

    // The standard help command: the program ships no help file, so there is nothing to open.
    void OnHelp();

    const std::wstring& GetAppTitle() const { return m_appTitle; }
    // Takes the title from the running executable's name, unless a name was given.
    void InitAppTitle();

    // The exit code that ExitInstance gives (0 unless a run mode sets another).
    void SetExitCode(int code) { m_exitCode = code; }
    int GetExitCode() const { return m_exitCode; }

private:
    std::wstring m_appTitle;
    bool m_titleGiven = false;
    std::wstring m_registryKey;
    int m_exitCode = 0;
    CWinApp* m_previous = nullptr;
};

// The application object in force (the most recently constructed one still alive).
CWinApp* AfxGetApp();

int AfxMessageBox(const wchar_t* text, UINT type = MB_OK, UINT helpContext = 0);
int AfxMessageBox(const std::wstring& text, UINT type = MB_OK, UINT helpContext = 0);

// The entry point's work: names the application, runs InitInstance and gives the exit code.
// No exception leaves it: one that escapes the application is shown and ends the program.
int AfxWinMain(CWinApp& app);

// The exit code of a program ended by an exception that nothing else caught.
constexpr int kExitUnexpectedError = 16;
