#include "ui/shell_win.h"

AppShell g_shell;
