// Opening a file a user picked (a data file, header, calibration or package)
// for reading. Only a regular file is read: a FIFO, device or socket would
// block the open or the first read for good, or never end. The open itself
// never blocks (it is non-blocking until the file is known to be regular).
#pragma once

#include <cstdio>
#include <string>

namespace qv {

// A descriptor of PATH opened with FLAGS (O_RDONLY, or O_WRONLY with O_APPEND
// and O_CREAT) when it is a regular file, in blocking mode; -1 otherwise
// (errno ENOENT and the like when it cannot be opened, EINVAL when it is not a
// regular file). The caller closes it.
int OpenRegularFile(const std::string& path, int flags = 0);

// A stdio stream over OpenRegularFile: MODE "rb" reads, "ab" appends (and
// creates); null as it gives -1.
std::FILE* OpenRegularFileStream(const std::string& path, const char* mode = "rb");

}  // namespace qv
