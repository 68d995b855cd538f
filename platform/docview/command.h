// Commands and their enable/check state. Every menu item, tool button and bar
// button carries a command id; the command goes to the first target of the
// routing chain (active view, its document, the child frame, the main frame,
// the application) that has a handler for it. The enable and check state comes
// from update handlers found the same way; a command without any handler is
// disabled.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace qv {

class CmdUI {
public:
  explicit CmdUI(int id) : id_(id) {}
  int Id() const { return id_; }
  void Enable(bool on = true) { enabled_ = on; }
  void SetCheck(bool on = true) { checked_ = on; }
  void SetText(const std::string& text) { text_ = text; }
  bool Enabled() const { return enabled_; }
  bool Checked() const { return checked_; }
  const std::optional<std::string>& Text() const { return text_; }

private:
  int id_;
  bool enabled_ = false;
  bool checked_ = false;
  std::optional<std::string> text_;
};

class CommandTarget {
public:
  virtual ~CommandTarget() = default;
  void OnCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
  void OnUpdate(int id, std::function<void(CmdUI&)> handler) { updates_[id] = std::move(handler); }
  bool HasCommand(int id) const { return commands_.count(id) != 0; }
  bool HasUpdate(int id) const { return updates_.count(id) != 0; }
  // Runs the handler; false when this target has none.
  bool RunCommand(int id);
  // Fills ui when this target handles the id (an update handler, or a command
  // handler alone, which means enabled); false when it does not.
  bool RunUpdate(CmdUI& ui);

private:
  std::unordered_map<int, std::function<void()>> commands_;
  std::unordered_map<int, std::function<void(CmdUI&)>> updates_;
};

}  // namespace qv
