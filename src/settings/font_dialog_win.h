// The program's own font picker (template 200): the installed TrueType families, each drawn
// in its own face, common sizes, Bold, Italic and a live preview. OK applies the font to the
// editor at once (its syntax colours kept, the margin measured again) and saves it.
#pragma once
#include "common/win.h"

// Runs the dialog over `parent`; true when a font was applied.
bool ShowFontDialog(HWND parent);
