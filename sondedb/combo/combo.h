// Sonde-database lists put into combo boxes (the thin toolkit side of the
// lookups in sondedb).
#pragma once

#include <string>

class QComboBox;

namespace qv {

// One item per row of the table with its NAME; for the cable table the item
// data is the cable type. The box is not emptied first. 1 when at least one
// item was added; 0 for a null box or an empty table.
int FillComboFromTable(QComboBox* combo, const std::string& table);

}  // namespace qv
