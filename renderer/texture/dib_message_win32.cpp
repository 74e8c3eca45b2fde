#include "renderer/texture/dib_message_win32.h"

#include <windows.h>

namespace orvalis {
namespace {

DibMessageReporter dibMessageReporter = ShowDibMessageBox;

}  // namespace

void ShowDibMessageBox(const char* text) {
    MessageBoxA(GetFocus(), text, "Error", MB_OK);
}

void ReportDibMessage(const char* text) {
    dibMessageReporter(text);
}

DibMessageReporter SetDibMessageReporter(DibMessageReporter reporter) {
    const DibMessageReporter previous = dibMessageReporter;
    dibMessageReporter = reporter != nullptr ? reporter : ShowDibMessageBox;
    return previous;
}

}  // namespace orvalis
