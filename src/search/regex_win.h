// Regex Search: the session with its batched worker thread, the session log, and the dialog.
#pragma once
#include "common/win.h"

enum RegexControl : int {
  IDC_RX_PATTERN = 801,
  IDC_RX_REPLACE = 802,
  IDC_RX_MATCH_CASE = 803,
  IDC_RX_WHOLE_WORD = 804,
  IDC_RX_PRESERVE_CASE = 805,
  IDC_RX_BATCH_SIZE = 806,
  IDC_RX_MAX_MATCHES = 807,
  IDC_RX_LINE_NUMBERS = 808,
  IDC_RX_FORMAT = 809,
  IDC_RX_FIND_NEXT = 810,
  IDC_RX_REPLACE_ONE = 811,
  IDC_RX_REPLACE_ALL = 812,
  IDC_RX_CANCEL = 813,
  IDC_RX_OPEN_RESULTS = 814,
  IDC_RX_CLOSE = 815,
  IDC_RX_STATUS = 816,
  IDC_RX_RESULTS = 825,
  IDC_RX_COLOR_RESULTS = 826,
  IDC_RX_PROGRESS = 827,
  IDC_RX_APPLY = 828,
  IDC_RX_FIND_ALL = 829,
  IDC_RX_FIND_PREV = 830,
};

// Opens the dialog (command 817), or brings the open one forward.
void ShowRegexDialog(HWND mainWindow);
// Whether a Find All worker is running (tests wait on it).
bool RegexSearchRunning();
// Closes the dialog as its Close button does (the worker stopped, histories and options
// stored); nothing when it is not open.
void CloseRegexDialog();
