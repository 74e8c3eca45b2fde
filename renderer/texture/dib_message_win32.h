// Where the bitmap reader's failure messages go: a modal "Error" box by default, replaceable so that tests
// can capture the text instead of blocking on the box.
#pragma once

namespace orvalis {

using DibMessageReporter = void (*)(const char* text);

// Shows MessageBoxA(GetFocus(), text, "Error", MB_OK).
void ShowDibMessageBox(const char* text);

// Hands `text` to the installed reporter.
void ReportDibMessage(const char* text);

// Installs `reporter` (null restores the message box) and returns the one it replaces.
DibMessageReporter SetDibMessageReporter(DibMessageReporter reporter);

}  // namespace orvalis
