#include "app/mainwindow_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) { return RunNorvo(instance, showCommand); }
