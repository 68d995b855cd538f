// The package that moves a user function between installations (".ufn"):
// a 312-byte head with three offsets, the display name and the base name,
// then the INI, the source and (when there is one) the library, each part
// running to the next part's offset or the end of the file.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

inline constexpr std::uint32_t kPackageHeadSize = 312;
inline constexpr std::uint32_t kPackageNoLibrary = 0xFFFFFFFF;
inline constexpr std::size_t kPackageNameField = 148;

// Writes the package of the function whose source is SOURCE_PATH to
// PACKAGE_PATH (whole, or not at all). Needs the INI and the source and a
// non-empty UPName; the library goes in when there is one. Shows "Export to
// file %s succeeded." or "... failed." and returns the outcome.
bool ExportUserFunctionPackage(const std::string& sourcePath, const std::string& packagePath);

// Reads the package at PACKAGE_PATH into FOLDER. The package is checked whole
// first (offsets in order and inside the file, names within their fields, a
// base name without folders, "..", or control characters); existing files of
// that function are replaced only when the user agrees to "The user function
// files already exist. Overwrite?". All files are written to temporary names
// and renamed together, so a bad package changes nothing. A package without
// a library removes the old library of the function it replaces; a library
// that a log holds loaded is not replaced. Shows "Import from file %s
// succeeded." or "... failed." (nothing when the user declines).
bool ImportUserFunctionPackage(const std::string& packagePath, const std::string& folder);

}  // namespace qv
