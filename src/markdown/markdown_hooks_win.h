// Where tests step in for the Markdown page: something the render thread runs before it
// renders, and how long a cancel waits for the render thread.
#pragma once
#include <functional>

#include "common/win.h"

struct MarkdownHooks {
  std::function<void()> renderGate;
  DWORD cancelWaitMs = 5000;
};
extern MarkdownHooks g_markdownHooks;
