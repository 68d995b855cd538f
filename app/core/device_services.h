// Device status texts and message routing, used from every thread.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

// Which byte of a status word a code comes from: 1 and 2 the first byte (link
// and unit), 3 the second byte (the unit's signal processor), 4 the program's
// own codes; any other kind names the sonde and winch lookups.
enum DeviceErrorKind { kLinkError = 1, kUnitError = 2, kProcessorError = 3, kSystemError = 4 };

// The program's own codes (kind 4).
enum SystemErrorCode {
  kErrNoMemory = 100,
  kErrOpenDestination = 101,
  kErrWriteDestination = 102,
  kErrCloseLogFile = 103,
  kErrOperatingSystem = 104,
};

// Puts the text of a code into *text; unknown codes give "Unknown error.".
void FormatDeviceError(int kind, int code, std::string* text);
std::string DeviceErrorText(int kind, int code);
// The string id behind a code's text (for callers that need the id).
unsigned DeviceErrorStringId(int kind, int code);

// ReportMessage kinds.
enum MessageKind { kSondeMessageLine = 1, kWinchMessageLine = 2, kErrorBox = 3 };

// Kinds 1 and 2 go to the message line of the sonde or winch bar (0, also
// when no bar is there); kind 3 shows a top-most task-modal stop box captioned
// "Quorvanta Error Message" and returns its answer, or -1 at once while such a
// box is already open (two threads racing get one box); other kinds: -1.
int ReportMessage(const std::string& text, int kind, unsigned style = 0);

// The bars register where kinds 1 and 2 go; the sink runs on the reporting
// thread and must hand the text to the GUI thread itself. Null removes it.
using MessageLineSink = std::function<void(const std::string&)>;
void SetMessageLineSink(int kind, MessageLineSink sink);

// Shows text in a top-most task-modal box captioned "Diagnostics" on a
// thread of its own and returns -1 at once, so the caller never waits for the
// user. While a box with the same text is still open, a repeat is dropped.
int ShowDiagnosticsMessage(const std::string& text);
// Waits until every diagnostics box has been answered; false on time-out.
bool WaitForDiagnosticsMessages(uint32_t timeoutMs);

// A "Common Error" stop box with the system's text for an error code (errno
// of the calling thread by default).
void ShowLastError();
void ShowLastError(int code);

// A "Database Error" stop box with the error's description ("Database Error !"
// when there is none).
void ShowDatabaseError(const std::exception* error);
void ShowDatabaseError(const std::string& description);
