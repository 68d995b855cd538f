// Throw-away stand-in for the profile layer until it lands in main.
#pragma once

#include <string>

namespace qv {
unsigned GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf, unsigned size,
                                 const std::string& file);
std::string GetProfileText(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& def = "", unsigned size = 256);
int GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file);
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file);
}  // namespace qv
