// The open and save file dialogs of the log-file tools. Tests install a
// handler that answers instead, so that no test runs a modal loop.
#pragma once

#include <optional>
#include <string>

#include "logtools/engine/tool_dialogs.h"

class QWidget;

namespace qv {

std::optional<std::string> RunFileDialog(QWidget* parent, const ToolFileRequest& request);
// Null restores the Qt dialogs; returns the previous handler.
ToolFileHandler SetToolFileHandler(ToolFileHandler handler);
// "Name|patterns|Name|patterns||" as Qt's "Name (patterns);;Name (patterns)".
std::string QtFilter(const std::string& filter);

}  // namespace qv
