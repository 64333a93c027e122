// Resource identifiers of the configurator: dialog templates, the icon and the controls,
// the same identifiers in every template.
#pragma once

#define IDD_CREATE_PACKET 102
#define IDD_CLIENT_CONFIGURATION 103
#define IDD_INSTALL_CLIENT_CONFIGURATION 104
#define IDR_MAINFRAME 128

#define IDC_SERVER_HOST 1000
#define IDC_ADMIN_LOGIN 1001
#define IDC_WORKSTATION_NAME 1002
#define IDC_SERVER_PORT 1004
#define IDC_LOAD_DEFAULTS 1005
#define IDC_START 1006
#define IDC_STOP 1007
#define IDC_RESTART 1008
#define IDC_NAME_COMPUTER 1010
#define IDC_NAME_ASK 1011
#define IDC_NAME_TYPED 1012

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
