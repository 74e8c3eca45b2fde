#include "common/text_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace orvalis {

std::wstring WideFromCodePage(unsigned codePage, std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), n);
    return wide;
}

std::wstring WideFromUtf8(std::string_view utf8) {
    return WideFromCodePage(CP_UTF8, utf8);
}

std::wstring WideFromAnsi(std::string_view ansi) {
    return WideFromCodePage(CP_ACP, ansi);
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    return text;
}

bool AnsiFromWide(std::wstring_view wide, std::string& ansi) {
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
    if (WideFromAnsi(converted) != wide) return false;
    ansi = std::move(converted);
    return true;
}

}  // namespace orvalis
