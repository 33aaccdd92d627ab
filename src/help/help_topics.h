// The ten topics of the Help window, compiled into the program: a name for the topic list
// and a text of lines in the window's markup, ended by a null entry.
#pragma once
#include "help/help_logic.h"

struct HelpTopic {
  const char16_t* name;
  const char16_t* const* lines;
};
extern const HelpTopic kHelpTopics[kHelpTopicCount];

// The texts, one per topic, in the order of the list.
extern const char16_t* const kHelpGettingStarted[];
extern const char16_t* const kHelpKeyboardShortcuts[];
extern const char16_t* const kHelpThemes[];
extern const char16_t* const kHelpFileFormats[];
extern const char16_t* const kHelpExportPrint[];
extern const char16_t* const kHelpMarkdownPreview[];
extern const char16_t* const kHelpRegularExpressions[];
extern const char16_t* const kHelpSyntaxHighlighting[];
extern const char16_t* const kHelpKnownLimitations[];
extern const char16_t* const kHelpAbout[];
