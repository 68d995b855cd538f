// Runs a program of the machine (poppler-utils, qpdf and the like) and gives
// its standard output followed by its error output; empty when it did not
// finish within a minute.
#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

namespace qvtest {

inline std::string RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return p.readAllStandardOutput().toStdString() + p.readAllStandardError().toStdString();
}

}  // namespace qvtest
