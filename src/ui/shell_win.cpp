#include "ui/shell_win.h"
#include "ui/ui_hooks_win.h"

AppShell g_shell;
UiHooks g_uiHooks;
