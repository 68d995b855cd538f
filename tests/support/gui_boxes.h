// Message boxes as the program shows them: a box asked for on a worker is
// shown by the user-interface thread while the worker waits for the answer
// (qv::ShowBoxOnGui, the program's own dispatch), and each box spins an
// event loop as a modal box does before it answers as scripted (then with
// its default button). Installs itself; restores the previous handler.
#pragma once

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/docview/services.h"
#include "platform/text/msgbox.h"

namespace qvtest {

class GuiBoxes {
 public:
  explicit GuiBoxes(std::vector<int> answers = {}) : answers_(answers.begin(), answers.end()) {
    previous_ = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      return qv::ShowBoxOnGui(r, [this](const qv::MessageBoxRequest& shown) { return Show(shown); });
    });
  }
  ~GuiBoxes() { qv::SetMessageBoxHandler(previous_); }
  GuiBoxes(const GuiBoxes&) = delete;
  GuiBoxes& operator=(const GuiBoxes&) = delete;

  // The ids (texts) of the boxes shown so far, in order.
  std::vector<unsigned> Ids() const {
    std::lock_guard lock(mutex_);
    return ids_;
  }
  std::vector<std::string> Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
  }
  int Count(unsigned id) const {
    const auto ids = Ids();
    return static_cast<int>(std::count(ids.begin(), ids.end(), id));
  }

 private:
  int Show(const qv::MessageBoxRequest& r) {
    {
      std::lock_guard lock(mutex_);
      ids_.push_back(r.id);
      texts_.push_back(r.text);
    }
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    std::lock_guard lock(mutex_);
    if (answers_.empty()) return qv::DefaultAnswer(r.flags);
    const int a = answers_.front();
    answers_.pop_front();
    return a;
  }

  mutable std::mutex mutex_;
  std::deque<int> answers_;
  std::vector<unsigned> ids_;
  std::vector<std::string> texts_;
  qv::MessageBoxHandler previous_;
};

}  // namespace qvtest
