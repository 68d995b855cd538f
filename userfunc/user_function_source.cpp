#include "userfunc/user_function_source.h"

#include <cstdio>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

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

// The names of the nine generated definitions, in their order.
constexpr const char* kDefinitionNames[] = {"UFID",   "SondeID", "Inputs",   "Outputs", "SondeSN",
                                            "Abbrev", "SymName", "FileName", "Comment"};

// Whether LINE is the generated definition of NAME: "#define", blanks, NAME
// and a blank.
bool IsDefinitionOf(const std::string& line, const std::string& name) {
  constexpr std::string_view kDefine = "#define";
  if (line.compare(0, kDefine.size(), kDefine) != 0) return false;
  std::size_t at = kDefine.size();
  const std::size_t blanks = line.find_first_not_of(" \t", at);
  if (blanks == std::string::npos || blanks == at) return false;
  at = blanks;
  return line.compare(at, name.size(), name) == 0 && at + name.size() < line.size() &&
         (line[at + name.size()] == ' ' || line[at + name.size()] == '\t');
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
  const std::string values[] = {std::to_string(r.UFID),    std::to_string(r.SondeID), std::to_string(r.Inputs),
                                std::to_string(r.Outputs), Quoted(r.SondeSN),         Quoted(r.Abbrev),
                                Quoted(r.SymName),         Quoted(r.FileName),        Quoted(r.Comment)};
  std::string s;
  for (std::size_t k = 0; k < std::size(kDefinitionNames); ++k) s += Definition(kDefinitionNames[k], values[k]);
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
  // The lines, each with whether a line end (CR LF, LF or CR) closed it.
  std::vector<std::pair<std::string, bool>> lines;
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t end = bytes.find_first_of("\r\n", i);
    if (end == std::string::npos) {
      lines.emplace_back(bytes.substr(i), false);
      break;
    }
    lines.emplace_back(bytes.substr(i, end - i), true);
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    i = end + 1;
  }
  // The generated block: the nine definitions, in their order, and the empty
  // line after them. Only a whole block is taken away.
  std::size_t first = 0;
  while (first < std::size(kDefinitionNames) && first < lines.size() &&
         IsDefinitionOf(lines[first].first, kDefinitionNames[first]))
    ++first;
  if (first < std::size(kDefinitionNames)) {
    first = 0;
  } else if (first < lines.size() && lines[first].first.empty()) {
    ++first;
  }
  std::string text;
  for (std::size_t k = first; k < lines.size(); ++k) text += lines[k].first + (lines[k].second ? "\r\n" : "");
  return text;
}

}  // namespace qv
