// The client distribution kit dialog (--create_packet): the settings a freshly installed
// agent starts with, how an installed workstation gets its name, and the kit build.
#pragma once

#include <string>

#include "dialogs/setup_client_dlg.h"

// How an installed workstation gets its name; read from the dialog's radio group.
enum WorkstationNameChoice {
    UseComputerName = 0,
    AskWhileInstalling = 1,
    UseTypedName = 2,
};

// The one mapping from the radio group's index: 1 asks, 2 uses the typed name, every
// other value (0, -1 when nothing is selected, anything else) uses the computer name.
WorkstationNameChoice ToWorkstationNameChoice(int nameChoice);

class CCreateClientPacketDlg : public CSetupClientDlg {
public:
    CCreateClientPacketDlg();
    ~CCreateClientPacketDlg() override;

    const MessageMap* GetMessageMap() const override;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // "Create": saves the predefined settings, asks for the output file and builds the kit.
    BOOL ApplySettings() override;
    BOOL SaveParameters(CorvexParameters& parameters) override;
    BOOL LoadParameters(CorvexParameters& parameters) override;
    virtual std::wstring GetUserSettingsDir();
    virtual std::wstring GetWorkstationSettingsDir();

    void OnNameChoiceClicked();
    // The installer file to write, or an empty text when the user gave up.
    std::wstring ChooseOutputFile();

    // The kit build: runs the installer compiler with the defines and waits for it.
    BOOL BuildPacket(const std::wstring& outputPath);
    BOOL RunPacketBuilder(const std::wstring& compilerPath, wchar_t* arguments);
    // The configurator's folder, ending with a backslash.
    static std::wstring GetModuleDirectory();
    // The compiler's argument string for one build (begins with a blank).
    std::wstring ComposeBuildArguments(const std::wstring& outputPath, const std::wstring& moduleDirectory);

    WorkstationNameChoice GetNameChoice() const { return ToWorkstationNameChoice(m_nameChoice); }

protected:
    int m_nameChoice = 0;

private:
    void EnableTypedNameBox();
};
