// A sonde's default display layout from the sonde database: one TrackRecord
// per track, indexed by its order number, and one CurveRecord per channel,
// grouped by the track the curve starts in.
#pragma once

#include <string>

#include "sondedb/records/records.h"
#include "sondedb/sondedb.h"

namespace qv {

// Empties both arrays and fills them with the layout of the sonde with that
// abbreviation (and serial number when one is given). 1 on success; 0 when
// the sonde or its layout is not found (after a box when the database
// failed). A null curve array empties the tracks and gives 0.
int LoadDisplayParametersFromDatabase(TrackArray* tracks, CurveArray* curves, std::string abbreviation,
                                      std::string serial);
// One TrackRecord per track of the sonde the recordset stands on (exactly
// one row), each with the curves that start in it.
int BuildTrackRecords(SondeRecordset* sonde, TrackArray* tracks, CurveArray* curves);
// Appends a CurveRecord per channel that starts in the track with that key.
int BuildCurveRecords(int trackId, int order, SondeDatabase* db, TrackArray* tracks, CurveArray* curves);
// The order number of the track with that key; 1 when found.
int DetermineLogColumnNumber(SondeRecordset* rs, int trackId, int* order);

}  // namespace qv
