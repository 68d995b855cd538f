// Makes the sonde database an installation ships with: a new database, every
// sonde definition file given imported into it, then the equipment rows the
// definitions cannot hold (an SQL file run last, so it can refer to the
// sondes). The file is built beside its place and moved there when complete.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/text/msgbox.h"
#include "sondedb/import/import.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s DATABASE EQUIPMENT.sql [SONDE-FILE...]\n", argv[0]);
    return 2;
  }
  const std::string target = argv[1];
  const std::string temp = target + ".new";
  std::remove(temp.c_str());
  std::string error;
  if (!qv::CreateSondeDatabase(temp, &error)) {
    fprintf(stderr, "%s: %s\n", temp.c_str(), error.c_str());
    return 1;
  }
  bool ok = true;
  {
    qv::dao::Database db;
    db.Open(temp);
    for (int i = 3; i < argc && ok; ++i) {
      qv::SondeRecordset rs(&db);
      if (qv::ImportSondeFile(&rs, argv[i]) != 1) {
        fprintf(stderr, "%s: not imported\n", argv[i]);
        ok = false;
      }
    }
    if (ok) {
      std::ifstream in(argv[2], std::ios::binary);
      std::stringstream sql;
      sql << in.rdbuf();
      try {
        if (!in) throw qv::dao::Error(qv::dao::Error::kGeneral, "cannot be read");
        db.Execute(sql.str());
      } catch (const qv::dao::Error& e) {
        fprintf(stderr, "%s: %s\n", argv[2], e.what());
        ok = false;
      }
    }
  }
  std::remove((temp + ".lock").c_str());
  if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    if (ok) perror(target.c_str());
    return 1;
  }
  return 0;
}
