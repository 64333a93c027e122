// The workstation configuration dialog (the default run mode): the agent's own settings and
// three buttons that start, stop and restart the agent's service.
#pragma once

#include "dialogs/setup_client_dlg.h"

class CClientConfigurationDlg : public CSetupClientDlg {
public:
    CClientConfigurationDlg();
    ~CClientConfigurationDlg() override;

    const MessageMap* GetMessageMap() const override;

    BOOL OnInitDialog() override;
    // Saves, asks for the firewall exception and restarts the service; TRUE only when the
    // service runs with the new settings.
    BOOL ApplySettings() override;
    BOOL SaveParameters(CorvexParameters& parameters) override;
    BOOL LoadParameters(CorvexParameters& parameters) override;
    virtual BOOL StartWorkstation();
    virtual BOOL StopWorkstation();

    void OnBnClickedStart();
    void OnBnClickedStop();
    void OnBnClickedRestart();
    // Enables the buttons that make sense for the service's present state.
    void UpdateServiceButtons();

private:
    // Enables the buttons for a service that runs or not.
    void ShowServiceState(BOOL running);
    // Disables the three service buttons for a command, first moving the focus off them.
    void DisableServiceButtons();
    // After a command: the focus goes back to a live service button if it was on one.
    void ReturnFocusToServiceButtons();

    // The service button that had the focus when a command began (0: none).
    int m_focusedServiceButton = 0;
};
