// Lays out a new sonde database in a program folder when it has none; an
// existing database is never touched.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sondedb/sondedb.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s DATABASE\n", argv[0]);
    return 2;
  }
  if (access(argv[1], F_OK) == 0) return 0;
  std::string error;
  if (!qv::CreateSondeDatabase(argv[1], &error)) {
    fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  return 0;
}
