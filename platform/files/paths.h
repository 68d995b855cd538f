// Paths of the program and of the files it keeps. Files made on Windows must
// open here: an existing file is found whatever the letter case of its name,
// and paths read from stored files may use backslashes.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// The folder of the running executable, without a trailing '/'; the base of
// DATA, Header, SondeDB, Calibration, SondePictures and Userfunction.
std::string ProgramFolder();
// Replaces the program folder (tests, or a program folder laid out elsewhere).
// An empty text restores the executable's folder.
void SetProgramFolder(std::string folder);

// A joined with B by one '/'; B alone when A is empty or B is absolute.
std::string JoinPath(const std::string& a, const std::string& b);

// The existing file whose path equals PATH without regard to letter case (the
// exact spelling wins when it exists), else PATH unchanged.
std::string FindFileNoCase(const std::string& path);

// PATH with the extension of its last component replaced by NEW_EXT (data
// file -> header, companion, template). Only the last component's last '.'
// counts, so a '.' in a folder name never cuts the path; a last component
// without '.' gets NEW_EXT appended. NEW_EXT may be given with or without its
// leading '.'; an empty one removes the extension. Both '/' and '\' end a
// folder name.
std::string SiblingPath(const std::string& path, const std::string& newExt);
// Whether the last component of PATH has a '.' (callers that need an
// extension refuse names without one).
bool HasExtension(const std::string& path);
// The last component of PATH ('/' and '\' both separate).
std::string FileNamePart(const std::string& path);
// The folder part of PATH without the trailing separator; empty for a bare name.
std::string FolderPart(const std::string& path);

// A path read from a stored file: backslashes become '/'.
std::string FromStoredPath(std::string s);

// Case-insensitive comparison of file and key names: ASCII letters and the
// letters of the Windows Western code page (CP1252) fold to one case.
unsigned char FoldCase(unsigned char c);
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace qv
