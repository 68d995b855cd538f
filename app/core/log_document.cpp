#include "log_document.h"

#include <atomic>

#include "app/core/globals.h"

namespace {
std::atomic<LogDocumentResolver> g_resolver{nullptr};
}

void SetLogDocumentResolver(LogDocumentResolver resolver) { g_resolver = resolver; }

LogDocumentShell* ShellOf(CLogDoc* doc) {
  LogDocumentResolver r = g_resolver;
  return doc && r ? r(doc) : nullptr;
}

LogDocumentShell* ActiveLogDocument() { return ShellOf(g_pActiveDoc); }
