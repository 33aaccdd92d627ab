// Viewer mode: the fixed paper-like look of the read-only viewer.
#pragma once
#include "common/win.h"

void ApplyViewerLook(HWND viewerWindow);
