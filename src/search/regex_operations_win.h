// The single operations of Regex Search on the editor's live text: Find Next and Find Previous
// (with wrap-around), Replace of the selected match, and Replace All as one undo step. Each
// returns the status line and, when something was done, the line for the session log.
#pragma once
#include <string>

struct RegexOptions {
  std::u16string pattern;  // not empty
  std::u16string replacement;
  bool matchCase = false, wholeWord = false, preserveCase = false;
  bool colorResults = false;  // mark what was found or inserted
};

struct RegexOutcomeText {
  std::u16string status;
  std::string logEntry;  // empty: nothing to log
  int replaced = 0;      // Replace All: how many
};

RegexOutcomeText RegexFindInEditor(const RegexOptions& options, bool previous);
RegexOutcomeText RegexReplaceSelection(const RegexOptions& options);
RegexOutcomeText RegexReplaceAllInEditor(const RegexOptions& options);
