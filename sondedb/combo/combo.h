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

namespace qv {

// Empties the box and adds one item per sonde with an abbreviation,
// "abbreviation [serial] - name" with the sonde key as item data: every sonde
// when t1 is -1, else those of the six types (repeat a type for fewer).
void FillSondeComboBox(QComboBox* combo, int t1, int t2, int t3, int t4, int t5, int t6);

}  // namespace qv
