// The common base of the three settings dialogs: the four connection settings as fields,
// moved between a parameters object and the edit controls, validated by the library and
// saved; where they are loaded from and saved to is each dialog's own business.
#pragma once

#include <memory>

#include "framework/afxwin.h"

class CorvexParameters;

class CSetupClientDlg : public CDialog {
public:
    explicit CSetupClientDlg(UINT templateId);
    ~CSetupClientDlg() override;

    const MessageMap* GetMessageMap() const override;

    // Copies the four values of the parameters object into the fields (not the controls).
    virtual void ParametersToControls(const CorvexParameters& parameters);
    // Reads the controls, lets the library check the values and hands them to
    // SaveParameters. FALSE (the user has been told) keeps the dialog open.
    virtual BOOL ApplySettings();
    virtual BOOL SaveParameters(CorvexParameters& parameters) = 0;
    virtual BOOL LoadParameters(CorvexParameters& parameters) = 0;
    // A fresh parameters object for one operation; the caller owns it.
    virtual std::unique_ptr<CorvexParameters> CreateParameters();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnLoadDefaults();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSettingChanged();

    BOOL IsModified() const { return m_modified; }

protected:
    HICON m_hIcon;
    CString m_adminLogin;
    CString m_serverHost;
    CString m_workstationName;
    UINT m_serverPort = 0;
    BOOL m_modified = FALSE;

private:
    // An empty workstation name stands for the computer's network name: box 1002 says so
    // in grey while it is empty.
    void ShowWhatAnEmptyNameMeans();
    // Puts the focus on the control that shows the value a rejection names, if any.
    void FocusRejectedValue(const void* field);
};
