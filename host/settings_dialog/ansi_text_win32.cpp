#include "host/settings_dialog/ansi_text_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

std::wstring FromCodePage(unsigned codePage, const std::string& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), n);
    return wide;
}

std::wstring FromAnsi(const std::string& ansi) { return FromCodePage(CP_ACP, ansi); }
std::wstring FromUtf8(const std::string& utf8) { return FromCodePage(CP_UTF8, utf8); }

bool ToAnsi(const std::wstring& wide, std::string& ansi) {
    if (wide.empty()) {
        ansi.clear();
        return true;
    }
    BOOL usedDefault = FALSE;
    // With UTF-8 as the ANSI code page every character fits, and the platform refuses the flag and the
    // default-character question.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr,
                                      utf8 ? nullptr : &usedDefault);
    if (n <= 0 || usedDefault) return false;
    std::string converted(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, converted.data(), n, nullptr, nullptr);
    // A character the code page only approximates would come back as another one.
    if (FromAnsi(converted) != wide) return false;
    ansi = std::move(converted);
    return true;
}

}  // namespace orvalis
