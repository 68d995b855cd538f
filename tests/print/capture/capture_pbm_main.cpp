// recorder_capture_pbm CAPTURE MODEL OUT.pbm: decodes what a chart recorder
// was sent, prints its commands and problems, and writes its lines as PBM.
#include <cstdio>
#include <cstdlib>

#include "tests/print/capture/recorder_capture.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CAPTURE MODEL OUT.pbm\n", argv[0]);
    return 2;
  }
  const qvtest::DecodedCapture d = qvtest::DecodeCapture(qvtest::ReadBytes(argv[1]), std::atoi(argv[2]));
  std::printf("%s\n", qvtest::TokenSummary(d).c_str());
  for (const std::string& p : d.problems) std::printf("problem: %s\n", p.c_str());
  if (!qvtest::WritePbm(argv[3], d.lines)) return 1;
  return d.problems.empty() ? 0 : 1;
}
