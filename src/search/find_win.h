// Find and Replace over the edit control, driven by the Find and Replace dialog.
#pragma once
#include <string>

#include "common/win.h"
#include "search/find_engine.h"

// The matches of the last search and the key they were found with; an empty text means
// the cache holds nothing valid.
struct SearchMatchCache {
  MatchList matches;
  std::u16string text;
  bool matchCase = false;
  bool wholeWord = false;
};
extern SearchMatchCache g_searchCache;

// Colour class of the dialog's status line: 0 normal, 1 warning, 2 success.
extern int g_statusKind;

void InvalidateSearchCache();
void FindAllMatches(const std::u16string& text, bool matchCase, bool wholeWord);
void FindNextMatch(HWND dialog, bool forward);
void ReplaceCurrentMatch(HWND dialog);
void ReplaceAllMatches(HWND dialog);
void HighlightAllMatches(HWND dialog);
void SetupIndicator(int indicator, COLORREF colour, int alpha);
// Clears indicators 8, 9 and 10 over the whole document.
void ClearSearchIndicators();

// Dialog control ids.
enum FindControl : int {
  IDC_FIND_WHAT = 501,
  IDC_REPLACE_WITH = 502,
  IDC_MATCH_CASE = 503,
  IDC_WHOLE_WORD = 504,
  IDC_WRAP_AROUND = 505,
  IDC_PRESERVE_CASE = 506,
  IDC_IN_SELECTION = 507,
  IDC_COLOR_RESULTS = 508,
  IDC_FIND_NEXT = 510,
  IDC_FIND_PREV = 511,
  IDC_REPLACE = 512,
  IDC_REPLACE_ALL = 513,
  IDC_HIGHLIGHT_ALL = 514,
  IDC_FIND_CLOSE = 515,
  IDC_FIND_STATUS = 516,
};

// Opens the dialog, or brings the open one forward with the focus in "Find what".
void ShowFindDialog(HWND mainWindow);
