// Resource numbers of Rollout.exe, shared by the resource script and the dialog code.
#pragma once

#define IDM_ABOUTBOX 0x0010        // system menu command of the About entry
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101           // "&About Rollout..."
#define IDD_ROLLOUT_DIALOG 102
#define IDR_MAINFRAME 128          // the program's icon
#define IDC_STATUS 1000            // status static: the installation's messages
#define IDC_BUILD_STAMP 1001       // build stamp static: "(<date> <time>)"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)            // controls that are never addressed
#endif
