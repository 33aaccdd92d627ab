// Every program message and command id, in one place.
#pragma once
#include "common/win.h"

// Program messages.
constexpr UINT WMU_LOAD_FILE = WM_USER + 2;
constexpr UINT WMU_PDF_DONE = WM_USER + 111;
constexpr UINT WMU_PDF_PROGRESS = WM_USER + 114;
constexpr UINT WMU_PDF_NEED_LINES = WM_USER + 115;
constexpr UINT WMU_PDF_FINALIZING = WM_USER + 116;
constexpr UINT WMU_EXPORT_PROGRESS = WM_USER + 120;
constexpr UINT WMU_EXPORT_DONE = WM_USER + 121;
constexpr UINT WMU_RTF_PROGRESS = WM_USER + 123;
constexpr UINT WMU_RTF_DONE = WM_USER + 124;
constexpr UINT WMU_RTF_READY = WM_USER + 125;
constexpr UINT WMU_PREVIEW_PROGRESS = WM_USER + 130;
constexpr UINT WMU_PREVIEW_DONE = WM_USER + 131;
constexpr UINT WMU_APPLY_THEME = WM_APP + 1;
constexpr UINT WMU_CHECK_DISK = WM_APP + 2;  // main window to itself: the disk check after activation
constexpr UINT WMU_SETTINGS_NOT_SAVED = WM_APP + 3;  // settings code to main window: a save failed
constexpr UINT WMU_SYSTEM_THEME_CHANGED = WM_APP + 100;
constexpr UINT WMU_REGEX_STATUS = WM_APP + 350;
constexpr UINT WMU_REGEX_DONE = WM_APP + 351;
constexpr UINT WMU_REGEX_RESULTS = WM_APP + 353;
constexpr UINT WMU_RECOVERY_DONE = WM_APP + 370;  // recovery writer to main window: outcome, cost in ms

// Command ids shared by accelerators, toolbar and context menu.
enum CommandId : int {
  CMD_FONT = 210,
  CMD_PRINT_PREVIEW = 601,
  CMD_PRINT = 602,
  CMD_PAGE_SETUP = 603,
  CMD_REGEX_SEARCH = 817,
  CMD_NEW = 1001,
  CMD_OPEN = 1002,
  CMD_SAVE = 1003,
  CMD_SAVE_AS = 1004,
  CMD_EXIT = 1005,
  CMD_UNDO = 2001,
  CMD_REDO = 2002,
  CMD_CUT = 2003,
  CMD_COPY = 2004,
  CMD_PASTE = 2005,
  CMD_SELECT_ALL = 2006,
  CMD_FIND_REPLACE = 2007,
  CMD_TOGGLE_LINE_NUMBERS = 3001,
  CMD_TOGGLE_WORD_WRAP = 3002,
  CMD_THEME_FIRST = 3101,
  CMD_THEME_LAST = 3106,
  CMD_MARKDOWN_PREVIEW = 3201,
  CMD_EXPORT = 3333,
  CMD_HELP = 4001,
  CMD_SETTINGS = 6001,
  CMD_TRANSPARENCY_FIRST = 6100,
  CMD_TRANSPARENCY_LAST = 6105,
  CMD_RECENT_OPEN_FIRST = 7000,
  CMD_RECENT_REMOVE_FIRST = 7010,
  CMD_RECENT_CLEAR = 7020,
};

// Resource ids.
constexpr int IDI_NORVO = 101;
constexpr int IDR_ACCELERATORS = 103;

// Child window ids of the main window.
constexpr int IDC_EDITOR = 1;
constexpr int IDC_STATUSBAR = 2;
