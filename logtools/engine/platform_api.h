// Throw-away stand-in for the path helpers until they land in main.
#pragma once

#include <string>
#include <string_view>

namespace qv {
std::string SiblingPath(const std::string& path, const std::string& newExt);
bool HasExtension(const std::string& path);
std::string FileNamePart(const std::string& path);
std::string FolderPart(const std::string& path);
std::string FindFileNoCase(const std::string& path);
bool EqualNoCase(std::string_view a, std::string_view b);
bool SameFile(const std::string& a, const std::string& b);
}  // namespace qv
namespace qv {
std::string ProgramFolder();
void SetProgramFolder(std::string folder);
std::string JoinPath(const std::string& a, const std::string& b);
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
}  // namespace qv
namespace qv {
int AtoiC(const char* s);
}
