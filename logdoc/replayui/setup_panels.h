// The panels the log set-up dialogs share (the new-log wizard, the replay
// settings and the flowmeter): a sonde's user functions in a list, and the
// raw-data filter panel of one channel.
#pragma once

#include <string>
#include <vector>

#include "header/section_access.h"

class QComboBox;
class QLabel;
class QScrollBar;

// The strength spin's largest value: a filter at most 51 wide.
inline constexpr int kMaxFilterSpin = 25;

// Fills LIST with the names of the sonde's user functions (PATHS gets their
// libraries in the same order).
void FillUserFunctionCombo(const std::string& sonde, QComboBox* list, std::vector<std::string>* paths);

// The raw-data filter panel of one channel: its kind selected in the type
// list, its width in the width display, the strength spin (0 to 25) at
// (width - 1) / 2 without signalling.
void ShowFilterEntry(const ChannelFilter& filter, QComboBox* type, QScrollBar* strength, QLabel* width);
// Takes the panel into a channel's entry: width 2 x strength + 1 and the kind
// selected. A stored kind the list does not offer shows no selection and is
// kept, never turned into a kind of its own.
void StoreFilterEntry(ChannelFilter& filter, const QComboBox* type, const QScrollBar* strength);
