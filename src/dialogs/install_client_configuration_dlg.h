// The install-time configuration dialog (--install_client): the agent's own settings, and no
// way out but an OK whose settings the library accepted.
#pragma once

#include "dialogs/setup_client_dlg.h"

class CInstallClientConfigurationDlg : public CSetupClientDlg {
public:
    CInstallClientConfigurationDlg();

    const MessageMap* GetMessageMap() const override;

    // Saves, then asks for the firewall exception and starts the service anew whatever those
    // steps give; TRUE whenever the settings were saved.
    BOOL ApplySettings() override;
    BOOL SaveParameters(CorvexParameters& parameters) override;
    BOOL LoadParameters(CorvexParameters& parameters) override;
    // Escape and close requests are ignored.
    void OnCancel() override;
};
