#include "app/commands_win.h"

#include <map>

namespace {
std::map<int, CommandHandler>& Handlers() {
  static std::map<int, CommandHandler> handlers;
  return handlers;
}
}  // namespace

void RegisterCommandHandler(int id, CommandHandler handler) { Handlers()[id] = handler; }

CommandHandler FindCommandHandler(int id) {
  auto it = Handlers().find(id);
  return it == Handlers().end() ? nullptr : it->second;
}
