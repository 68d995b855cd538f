#include "device_services.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "app/core/globals.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "platform/trace/trace.h"

namespace {

constexpr unsigned kUnknownError = 32194;
constexpr unsigned kErrorBoxCaption = 32209;
constexpr unsigned kCommonErrorCaption = 32047;
constexpr unsigned kDatabaseErrorCaption = 32048;
constexpr unsigned kDatabaseErrorText = 32070;
constexpr const char* kDiagnosticsCaption = "Diagnostics";

struct CodeText {
  int code;
  unsigned id;
};

// First status byte (kinds 1 and 2).
constexpr CodeText kLinkTexts[] = {
    {0, 32166},   {6, 32166},   {1, 32152},   {132, 32152}, {4, 32153},   {8, 32154},   {9, 32162},
    {10, 32164},  {11, 32158},  {131, 32158}, {12, 32160},  {13, 32161},  {14, 32156},  {15, 32163},
    {16, 32157},  {129, 32175}, {130, 32174}, {133, 32172}, {134, 32500}, {135, 32501}, {255, 32173},
};

// Second status byte (kind 3).
constexpr CodeText kProcessorTexts[] = {
    {0, 32166}, {1, 32126}, {2, 32129}, {3, 32127}, {4, 32131},
    {5, 32130}, {6, 32125}, {7, 32124}, {8, 32128}, {255, 32173},
};

// The program's own codes (kind 4).
constexpr CodeText kSystemTexts[] = {
    {kErrNoMemory, 32150},        {kErrOpenDestination, 32136}, {kErrWriteDestination, 32137},
    {kErrCloseLogFile, 32135},    {kErrOperatingSystem, 32170},
};

// Any other kind.
constexpr CodeText kLookupTexts[] = {{105, 32195}, {106, 32196}, {107, 32197}};

template <size_t N>
unsigned Find(const CodeText (&table)[N], int code) {
  for (const CodeText& e : table)
    if (e.code == code) return e.id;
  return kUnknownError;
}

std::mutex g_sinkMutex;
MessageLineSink g_sinks[2];

std::mutex g_diagMutex;
std::condition_variable g_diagDone;
std::multiset<std::string> g_diagOpen;

}  // namespace

unsigned DeviceErrorStringId(int kind, int code) {
  switch (kind) {
    case kLinkError:
    case kUnitError: return Find(kLinkTexts, code);
    case kProcessorError: return Find(kProcessorTexts, code);
    case kSystemError: return Find(kSystemTexts, code);
    default: return Find(kLookupTexts, code);
  }
}

std::string DeviceErrorText(int kind, int code) { return qv::LoadString(DeviceErrorStringId(kind, code)); }

void FormatDeviceError(int kind, int code, std::string* text) {
  if (text) *text = DeviceErrorText(kind, code);
}

void SetMessageLineSink(int kind, MessageLineSink sink) {
  if (kind != kSondeMessageLine && kind != kWinchMessageLine) return;
  std::lock_guard lk(g_sinkMutex);
  g_sinks[kind - 1] = std::move(sink);
}

int ReportMessage(const std::string& text, int kind, unsigned style) {
  switch (kind) {
    case kSondeMessageLine:
    case kWinchMessageLine: {
      // Held while the sink runs, so a bar that removes its sink is never
      // called afterwards; sinks only queue the text.
      std::lock_guard lk(g_sinkMutex);
      if (g_sinks[kind - 1]) g_sinks[kind - 1](text);
      return 0;
    }
    case kErrorBox: {
      // Taken atomically: of two threads arriving together only one shows a box.
      if (g_bMessageBoxOpen.exchange(true)) return -1;
      const int answer = qv::ShowMessageBox(text, qv::LoadString(kErrorBoxCaption),
                                            style | qv::MB_TOPMOST | qv::MB_TASKMODAL | qv::MB_ICONSTOP);
      g_bMessageBoxOpen = false;
      return answer;
    }
    default: return -1;
  }
}

int ShowDiagnosticsMessage(const std::string& text) {
  {
    std::lock_guard lk(g_diagMutex);
    // A device fault repeats with every read; one box per text is enough.
    if (g_diagOpen.count(text)) return -1;
    g_diagOpen.insert(text);
  }
  try {
    std::thread([text] {
      qv::ShowMessageBox(text, kDiagnosticsCaption, qv::MB_OK | qv::MB_TOPMOST | qv::MB_TASKMODAL);
      std::lock_guard lk(g_diagMutex);
      g_diagOpen.erase(g_diagOpen.find(text));
      g_diagDone.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    qv::Trace("could not start the diagnostics box thread: %s", text.c_str());
    std::lock_guard lk(g_diagMutex);
    g_diagOpen.erase(g_diagOpen.find(text));
  }
  return -1;
}

bool WaitForDiagnosticsMessages(uint32_t timeoutMs) {
  std::unique_lock lk(g_diagMutex);
  return g_diagDone.wait_for(lk, std::chrono::milliseconds(timeoutMs), [] { return g_diagOpen.empty(); });
}

void ShowLastError() { ShowLastError(errno); }

void ShowLastError(int code) {
  char buf[256];
  const char* text = strerror_r(code, buf, sizeof buf);
  qv::ShowMessageBox(text ? text : "", qv::LoadString(kCommonErrorCaption), qv::MB_OK | qv::MB_ICONSTOP);
}

void ShowDatabaseError(const std::exception* error) {
  ShowDatabaseError(error ? std::string(error->what()) : std::string());
}

void ShowDatabaseError(const std::string& description) {
  qv::ShowMessageBox(description.empty() ? qv::LoadString(kDatabaseErrorText) : description,
                     qv::LoadString(kDatabaseErrorCaption), qv::MB_OK | qv::MB_ICONSTOP);
}
