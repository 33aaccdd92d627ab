// Commands carried out by windows of other parts of the program (dialogs, exports,
// printing, help). Each part registers its handler; an id without one does nothing.
#pragma once
#include "common/win.h"

using CommandHandler = void (*)(HWND mainWindow);
void RegisterCommandHandler(int id, CommandHandler handler);
CommandHandler FindCommandHandler(int id);
