// Where tests step in for the exports and look at them: the progress window's first moment
// and every text it shows, a progress window that cannot be created, the save dialog's answer,
// and how many job and result records are alive.
#pragma once
#include <atomic>
#include <string>

#include "common/win.h"

struct ExportHooks {
  void (*progressWindow)(HWND progressWindow) = nullptr;  // called when it has been created
  void (*progressText)(const std::u16string& text) = nullptr;
  bool progressWindowFails = false;
  // Answers the save dialog of an export with a path (empty: cancelled).
  std::u16string (*exportPath)(const std::u16string& proposedName) = nullptr;
};
extern ExportHooks g_exportHooks;

extern std::atomic<int> g_liveExportJobs;
extern std::atomic<int> g_liveExportResults;
