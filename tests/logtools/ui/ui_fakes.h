// What the dialog tests put in place of the user: scripted file dialogs and
// recorded message boxes, and the lookup of a control by its resource id.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "logtools/ui/file_dialog.h"
#include "platform/text/msgbox.h"

namespace qvtest {

struct DialogFakes {
  std::deque<std::optional<std::string>> files;  // answers of the next file dialogs; none left: Cancel
  std::vector<std::string> boxes;                // texts of the boxes shown

  DialogFakes() {
    qv::SetToolFileHandler([this](const qv::ToolFileRequest&) -> std::optional<std::string> {
      if (files.empty()) return std::nullopt;
      auto f = files.front();
      files.pop_front();
      return f;
    });
    qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      boxes.push_back(r.text);
      return qv::IDOK;
    });
  }
  ~DialogFakes() {
    qv::SetToolFileHandler(nullptr);
    qv::SetMessageBoxHandler(nullptr);
  }
};

template <class T>
T* FindControl(QWidget& dialog, int id) {
  T* w = dialog.findChild<T*>(QString::number(id));
  EXPECT_NE(w, nullptr) << id;
  return w;
}

}  // namespace qvtest
