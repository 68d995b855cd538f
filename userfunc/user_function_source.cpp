#include "userfunc/user_function_source.h"

#include <cstdio>

#include "platform/files/atomic_file.h"
#include "platform/text/cnum.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

namespace qv {

namespace {

constexpr unsigned kStrSourceNotSaved = 32191;

// Each line padded to 53 characters.
constexpr const char* kIdentifierComment[] = {
    "/***************************************************",
    " Identifiers:",
    " - INPUT:  IN1 to IN12   -> Data Channels",
    "           TIME          -> Packet Time",
    "           DEPTH         -> Packet Depth",
    "           WAVEFORM1..4  -> Sonic Log: Wave buffer",
    "           WAVEPOINTS    -> Sonic Log: Wave points",
    " - OUTPUT: OUT1 to OUT12 -> Function Output",
    " - HELPER: TMP1 to TMP20 -> Temporary Storage Vars.",
    "           BUFFERA       -> Storage Buffer[100]",
    "           BUFFERB       -> Storage Buffer[100]",
    "",
    " ***************************************************/",
    "",
    "/* Default implementation, copy input to output:   */",
};
constexpr std::size_t kCommentWidth = 53;

// "#define   " + NAME padded so that the value starts in column 23.
std::string Definition(const char* name, const std::string& value) {
  std::string line = "#define   ";
  line += name;
  line.resize(22, ' ');
  return line + value + "\r\n";
}

std::string Quoted(const std::string& value) {
  return "\"" + CStringLiteralBody(value) + "\"";
}

}  // namespace

std::string CStringLiteralBody(const std::string& value) {
  std::string out;
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        // Three octal digits always, so that a following digit is not taken in.
        if (c < 0x20 || c == 0x7F)
          out += FormatC("\\%03o", c);
        else
          out += ch;
    }
  }
  return out;
}

std::string UserFunctionDefinitions(const UserFunctionRecord& r) {
  std::string s;
  s += Definition("UFID", std::to_string(r.UFID));
  s += Definition("SondeID", std::to_string(r.SondeID));
  s += Definition("Inputs", std::to_string(r.Inputs));
  s += Definition("Outputs", std::to_string(r.Outputs));
  s += Definition("SondeSN", Quoted(r.SondeSN));
  s += Definition("Abbrev", Quoted(r.Abbrev));
  s += Definition("SymName", Quoted(r.SymName));
  s += Definition("FileName", Quoted(r.FileName));
  s += Definition("Comment", Quoted(r.Comment));
  return s + "\r\n";
}

std::string DefaultUserFunctionText(int outputs) {
  std::string s;
  for (const char* line : kIdentifierComment) {
    std::string l = line;
    l.resize(kCommentWidth, ' ');
    s += l + "\r\n";
  }
  for (int d = 1; d <= outputs; ++d) s += FormatC("OUT%d = IN%d;\r\n", d, d);
  return s;
}

bool SaveUserFunctionSource(const UserFunctionRecord& record, const std::string& text) {
  if (!record.FileName.empty() && WriteFileAtomically(record.FileName, UserFunctionDefinitions(record) + text))
    return true;
  ShowMessageText(kStrSourceNotSaved, FormatC(LoadString(kStrSourceNotSaved).c_str(), record.FileName.c_str()),
                  MB_OK | MB_ICONERROR);
  return false;
}

std::string LoadUserFunctionSource(const std::string& path, int outputs) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return DefaultUserFunctionText(outputs);
  std::string text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Lines end at CR LF, LF or CR.
    std::size_t end = bytes.find_first_of("\r\n", i);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(i, end - i);
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    i = end + 1;
    if (line.empty() || line.find("#define") != std::string::npos) continue;
    text += line + "\r\n";
  }
  return text;
}

}  // namespace qv
