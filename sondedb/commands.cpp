#include "sondedb/commands.h"

#include <cerrno>
#include <cstdio>

#include "app/core/device_services.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "sondedb/fields.h"

namespace qv {

namespace {
// Sonde pictures are small drawings; anything larger is not one.
constexpr long kMaxPictureBytes = 64L << 20;
}  // namespace

int LoadSondeCommands(std::vector<SondeCommandRecord>& commands, SondeRecordset* sonde) {
  if (!sonde || !sonde->IsOpen()) return 0;
  try {
    SondeRecordset rs(sonde->GetDatabase());
    if (CountRecords(sonde) != 1) return 0;
    const int sondeId = FieldInt(sonde, "Sonde");
    rs.Open(FormatC("SELECT * FROM SONDECOMMAND,COMMANDSOFSONDES WHERE SONDE=%u AND "
                         "SONDECOMMAND.SONDECOMMAND=COMMANDSOFSONDES.SONDECOMMAND",
                         static_cast<unsigned>(sondeId)),
            true);
    const int n = CountRecords(&rs);
    for (int i = 0; i < n; ++i) {
      SondeCommandRecord c;
      c.CommandCode = static_cast<int16_t>(FieldInt(&rs, "COMMANDCODE"));
      c.ParameterLSB = static_cast<int16_t>(FieldInt(&rs, "LSB"));
      c.ParameterMSB = static_cast<int16_t>(FieldInt(&rs, "MSB"));
      c.CommandName = GetFieldString(&rs, "COMMANDNAME");
      c.CommandStatus = GetFieldString(&rs, "COMMANDSTATUS");
      commands.push_back(std::move(c));
      rs.MoveNext();
    }
  } catch (const dao::Error& e) {
    ShowDatabaseError(&e);
    return 0;
  }
  return 1;
}

std::string SondePicturePath(const std::string& pictureFile) {
  const std::string folder = JoinPath(ProgramFolder(), "SondePictures");
  return FindFileNoCase(JoinPath(folder, FromStoredPath(pictureFile)));
}

std::unique_ptr<wmf::Picture> LoadMetafile(const std::string& path) {
  FILE* f = OpenRegularFileStream(path);
  if (!f) {
    ShowLastError(errno);
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  if (size < 0 || fseek(f, 0, SEEK_SET) != 0) {
    const int err = errno;
    fclose(f);
    ShowLastError(err);
    return nullptr;
  }
  if (size > kMaxPictureBytes) {
    fclose(f);
    ShowLastError(EFBIG);
    return nullptr;
  }
  bytes.resize(static_cast<size_t>(size));
  const size_t got = size ? fread(bytes.data(), 1, bytes.size(), f) : 0;
  const int err = errno;
  fclose(f);
  if (got != bytes.size()) {
    ShowLastError(err ? err : EIO);
    return nullptr;
  }
  auto pic = std::make_unique<wmf::Picture>();
  std::string why;
  if (!wmf::Decode(bytes.data(), bytes.size(), *pic, why)) {
    // A plain metafile whose header gives no size is the case the picture
    // loader has always reported on its own.
    const bool noSize = wmf::DetectForm(bytes.data(), bytes.size()) == wmf::Form::Plain && bytes.size() >= 10 &&
                        (bytes[6] | bytes[7] | bytes[8] | bytes[9]) == 0;
    if (noSize) ShowMessageBox(LoadString(32138), "", MB_OK);
    else ShowMessageBox(path + ": " + why, LoadString(32047), MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  return pic;
}

}  // namespace qv
