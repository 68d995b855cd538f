#include "command.h"

namespace qv {

bool CommandTarget::RunCommand(int id) {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  auto handler = it->second;  // a handler may replace its own entry
  handler();
  return true;
}

bool CommandTarget::RunUpdate(CmdUI& ui) {
  auto it = updates_.find(ui.Id());
  if (it != updates_.end()) {
    ui.Enable(true);
    auto handler = it->second;
    handler(ui);
    return true;
  }
  if (commands_.count(ui.Id())) {
    ui.Enable(true);
    return true;
  }
  return false;
}

}  // namespace qv
