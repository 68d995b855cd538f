// The printer error report after a failed recorder write: a beep and the
// stop box "Printer communication error !...", shown by the GUI thread. The
// caller (a view's display thread, a dialog) posts it and goes on at once.
#pragma once

class QObject;

constexpr unsigned kStrPrinterCommunicationError = 32176;
constexpr unsigned kStrPrinterErrorCaption = 32204;

// WINDOW: the window the box belongs to (may be null). Returns 1.
int PrinterErrorThread(QObject* window);
