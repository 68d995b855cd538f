// The device records that cross the device library's data reads, as the log
// documents and the replay reader use them, and the moves between a device
// record and the data-file record it carries. A replayed record is spread into
// the same device record a live read fills, so the documents only ever see
// device records.
#pragma once

#include "devices/tbdevice/tbdevice.h"
#include "logdoc/records/records.h"

namespace qv {

// The device library's records: SixChannelPacket (.LOG record at bytes 8 to
// 21), TwelveChannelRecord (.LGX record at bytes 16 to 79), SonicPacket (head
// of the sonic record at bytes 16 to 79, samples behind a pointer),
// TeleviewerSweep (.BTV record at bytes 8 to 275) and CblWaveformSegment
// (.CBL/.VDL record at bytes 8 to 57).
using ::CblWaveformSegment;
using ::SixChannelPacket;
using ::SonicPacket;
using ::TeleviewerSweep;
using ::TwelveChannelRecord;

// File record out of a device record (what the writers store).
SixChannelFileRecord FileRecordOf(const SixChannelPacket& packet);
TwelveChannelFileRecord FileRecordOf(const TwelveChannelRecord& record);
TwelveChannelFileRecord FileRecordOf(const SonicPacket& packet);
TeleviewerFileRecord FileRecordOf(const TeleviewerSweep& sweep);
WaveformFileRecord FileRecordOf(const CblWaveformSegment& segment);

// File record into a device record (what replay delivers). Depth and time of
// the six-channel packet, the sweep and the segment become 0 (their files
// carry none), and the check bytes take the sums replay gives them; every
// other byte outside the file record is left as it was.
void SpreadInto(const SixChannelFileRecord& record, SixChannelPacket* packet);
void SpreadInto(const TwelveChannelFileRecord& record, TwelveChannelRecord* out);
void SpreadInto(const TwelveChannelFileRecord& head, SonicPacket* packet);
void SpreadInto(const TeleviewerFileRecord& record, TeleviewerSweep* sweep);
void SpreadInto(const WaveformFileRecord& record, CblWaveformSegment* segment);

}  // namespace qv
