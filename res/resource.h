// Resource and command identifiers of corvane.exe.
#pragma once

#define IDI_CORVANE 1      // application icon, 128 x 128 and 16 x 16
#define IDB_ICONS16 101    // ten 16 x 16 pictures side by side, 32-bit with alpha
#define IDI_ADAPTER32 102  // 32 x 32 picture of the settings dialog's Adapters tab
#define IDR_ABOUT_JPEG 103 // the about box's picture, JPEG data

// Commands of the main window's popup menu (also sent by the tray icon's menu).
#define IDM_SETTINGS 40001
#define IDM_ABOUT 40002
#define IDM_CHECKUPDATES 40003
#define IDM_MINIMIZE 40004
#define IDM_CLOSE 40005
#define IDM_HISTORY 40006
#define IDM_DOCK 40007 // check item: the meter on the taskbar

// icons16 picture indexes
#define ICON16_SETTINGS 0
#define ICON16_ADAPTERS 1
#define ICON16_CLOSE 2
#define ICON16_DISPLAY 3
#define ICON16_INFORMATION 4
#define ICON16_GENERAL 5
#define ICON16_LOGS 6
#define ICON16_ABOUT 7
#define ICON16_MINIMIZE 8
#define ICON16_UPDATE 9
#define ICON16_HISTORY 10
