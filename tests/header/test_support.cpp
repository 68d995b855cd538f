#include "tests/header/test_support.h"
#include "tests/support/test_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string ScratchDir(const std::string& name) {
  return qv::test::ScratchFolder("header", name);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Fixture(const std::string& name) {
  return std::string(QV_TEST_SOURCE_DIR) + "/data/" + name;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Texts(const qv::MessageRecorder& boxes) {
  std::vector<std::string> texts;
  for (const qv::MessageBoxRequest& r : boxes.Shown()) texts.push_back(r.text);
  return texts;
}

std::string Crudini(const std::string& path, const std::string& section, const std::string& key) {
  std::string cmd = "crudini --get '" + path + "' '" + section + "' '" + key + "' 2>/dev/null";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return "<no crudini>";
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  int status = ::pclose(p);
  if (status != 0) return "<missing>";
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}
