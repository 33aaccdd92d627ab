// Session-log files in the per-user folder.
#pragma once
#include <string>

#include "settings/settings.h"

// The local time now, as the log's names and lines take it.
LocalTime CurrentLocalTime();

// A new log path in the configuration folder; empty when the folder is unknown.
std::u16string MakeRegexLogPath();
// Deletes session logs, viewer copies and Markdown previews last written more than seven
// days ago; errors end it silently.
void PurgeOldScratchFiles();
