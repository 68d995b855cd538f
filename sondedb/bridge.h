// Local stand-ins for the program-folder, path, profile and C-locale number
// helpers of the files-and-text work, with the same names and meaning, used
// until those land; then this header forwards to them.
#pragma once

#include <string>

namespace qv::sdb {

std::string ProgramFolder();
void SetProgramFolder(std::string folder);
std::string JoinPath(const std::string& a, const std::string& b);
std::string FindFileNoCase(const std::string& path);
std::string FromStoredPath(std::string s);

int GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file);
unsigned GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf, unsigned size,
                                 const std::string& file);
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file);

std::string FormatC(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
int AtoiC(const char* s);
double AtofC(const char* s);

}  // namespace qv::sdb
