// The main frame's two sonde database commands: Sonde Database (choose a
// sonde, then edit it in the editor sheet inside one transaction) and Select
// Sonde (choose the current sonde). Modal dialogs run through
// curveview::RunDialog, which tests replace.
#pragma once

class QWidget;

namespace qv {

// Chooses a sonde and runs the editor on it; OK of the editor commits
// everything its pages stored, anything else rolls it back.
void RunSondeDatabaseEditor(QWidget* parent);
// Chooses a sonde; true when one was chosen and became the current sonde.
bool RunSondeSelection(QWidget* parent);

}  // namespace qv
