#include "sondedb/display.h"

#include "app/core/device_services.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "sondedb/fields.h"
#include "sondedb/lookups.h"

namespace qv {

namespace {
// A scale limit from its column text; a text that is no number leaves the
// value as it was.
void ParseLimit(SondeRecordset* rs, const char* column, float& value) {
  const std::string text = GetFieldString(rs, column);
  char* end = nullptr;
  const double v = StrtodC(text.c_str(), &end);
  if (end != text.c_str()) value = static_cast<float>(v);
}
}  // namespace

int LoadDisplayParametersFromDatabase(TrackArray* tracks, CurveArray* curves, std::string abbreviation,
                                      std::string serial) {
  if (!tracks) return 0;
  tracks->clear();
  if (!curves) return 0;
  curves->clear();
  auto rs = OpenSondeRecordset(abbreviation, serial);
  if (!rs) return 0;
  const int ok = BuildTrackRecords(rs.get(), tracks, curves);
  CloseSondeRecordset(rs);
  return ok ? 1 : 0;
}

int BuildTrackRecords(SondeRecordset* sonde, TrackArray* tracks, CurveArray* curves) {
  if (!sonde || !sonde->IsOpen() || !tracks) return 0;
  if (CountRecords(sonde) != 1 || !sonde->GetDatabase()) return 0;
  try {
    const int sondeId = FieldInt(sonde, "Sonde");
    SondeRecordset rs(sonde->GetDatabase());
    rs.Open(FormatC("SELECT * FROM COLUMNS WHERE SONDE = %u", static_cast<unsigned>(sondeId)), true);
    const int n = CountRecords(&rs);
    tracks->clear();
    tracks->resize(n);
    for (int i = 0; i < n; ++i, rs.MoveNext()) {
      const int trackId = FieldInt(&rs, "COLUMN");
      auto track = std::make_unique<TrackRecord>();
      const int order = FieldInt(&rs, "COLUMNORDER");
      track->minimalWidth = FieldInt(&rs, "MINIMAL");
      track->idealWidth = FieldInt(&rs, "IDEAL");
      track->order = order;
      track->type = FieldInt(&rs, "TYPE");
      track->gridFlag = FieldFlag(&rs, "RASTER");
      track->gridStyle = FieldInt(&rs, "RASTERPROPERTIES");
      track->gridColour = static_cast<ColourRef>(FieldLong(&rs, "RASTERCOLOUR"));
      // The array is indexed by order number, which must name a slot.
      if (order < 0 || order >= n)
        throw dao::Error(dao::Error::kGeneral, FormatC("Track order %d of a sonde with %d tracks.", order, n));
      (*tracks)[order] = std::move(track);
      BuildCurveRecords(trackId, order, sonde->GetDatabase(), tracks, curves);
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int BuildCurveRecords(int trackId, int order, SondeDatabase* db, TrackArray*, CurveArray* curves) {
  if (!db || !curves) return 0;
  try {
    SondeRecordset rs(db);
    rs.Open(FormatC("SELECT * FROM CHANNEL,CHANNELCOLUMN WHERE COLUMNSTART=%u AND CHANNEL.CHANNEL "
                    "=CHANNELCOLUMN.CHANNEL",
                    static_cast<unsigned>(trackId)));
    const int n = CountRecords(&rs);
    for (int i = 0; i < n; ++i, rs.MoveNext()) {
      auto c = std::make_unique<CurveRecord>();
      c->headerLine = FieldInt(&rs, "HEADERLINE");
      c->firstTrack = order;
      int last = order;
      c->lastTrack = DetermineLogColumnNumber(&rs, FieldInt(&rs, "COLUMNEND"), &last) ? last : order;
      c->headerFlag = FieldFlag(&rs, "HEADER");
      c->scaleFlag = FieldFlag(&rs, "SCALE");
      c->physicalChannel = FieldInt(&rs, "CHANNELPHYSIC");
      c->logicalChannel = FieldInt(&rs, "CHANNELLOGIC");
      c->window = FieldInt(&rs, "Window");
      c->description = GetFieldString(&rs, "HeaderDescription");
      c->shortTitle = GetFieldString(&rs, "HeaderShort");
      c->unit = GetFieldString(&rs, "Unit");
      c->adjustment = FieldFlag(&rs, "ADJUSTMENT");
      ParseLimit(&rs, "Minimum", c->scaleMinimum);
      ParseLimit(&rs, "Maximum", c->scaleMaximum);
      c->mode = FieldInt(&rs, "MODE");
      c->fillColour = static_cast<ColourRef>(FieldLong(&rs, "FILLCOLOUR"));
      c->lineColour = static_cast<ColourRef>(FieldLong(&rs, "LINECOLOUR"));
      c->printLineStyle = FieldInt(&rs, "LINESTYLE");
      curves->push_back(std::move(c));
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

int DetermineLogColumnNumber(SondeRecordset* rs, int trackId, int* order) {
  if (!rs || !rs->IsOpen() || !rs->GetDatabase()) return 0;
  try {
    SondeRecordset tracks(rs->GetDatabase());
    tracks.Open(FormatC("SELECT * FROM COLUMNS WHERE COLUMN = %u", static_cast<unsigned>(trackId)), true);
    if (CountRecords(&tracks) != 1) return 0;
    if (order) *order = FieldInt(&tracks, "COLUMNORDER");
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    ShowMessageId(32149, MB_OK);
    return 0;
  }
  return 1;
}

}  // namespace qv
