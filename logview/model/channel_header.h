// The channel part of a log's header file as the curve view writes it: the
// output curves (with the depth and time placeholders and data locations of
// a twelve-channel log), the tracks, filters, user-function information and
// sonde length.
#pragma once

#include <vector>

#include "logview/model/document.h"
#include "logview/model/records.h"

namespace curveview {

// The records a header gets for the view's curves: for a twelve-channel log
// the depth and time placeholders first and every curve with its place in
// the 64-byte record (set on the view's curves too). A sonic log's records
// carry waveformSamples samples per waveform after that head: its waveform
// curves (physical channels 13 to 16) are placed there.
CurveArray HeaderCurveList(std::vector<CurveRecord>& curves, bool twelveChannel, bool imperial,
                           int waveformSamples = 0);

// The sonde length as the header keeps it (centimetres): the document's
// length / 10, in feet x 0.3048 for an imperial log, rounded so that the
// document's own rounded conversion reads the same length back.
int HeaderSondeLength(int sondeLength, bool imperial);

// Writes the chain of header sections; stops at the first failed write.
// 1 when every write that ran succeeded, else 0.
int WriteChannelHeader(std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks,
                       CurveDocument* document);

// For a live log with a user function: gives the header the sonde's own
// channel and track sections when its first channel section is not one of
// the sonde's channels.
void ReadChannelMapping(CurveDocument& document);

}  // namespace curveview
