// Text between the UTF-8 literals of the source, the wide-character API and the ANSI code page that the
// settings file, the music calls and the file paths of the ANSI API use.
#pragma once

#include <string>
#include <string_view>

namespace orvalis {

std::wstring WideFromCodePage(unsigned codePage, std::string_view text);
std::wstring WideFromUtf8(std::string_view utf8);
std::wstring WideFromAnsi(std::string_view ansi);
std::string Utf8FromWide(std::wstring_view wide);

// The text in the ANSI code page, or false (and `ansi` untouched) when that code page cannot hold every
// character of it: a character the code page only approximates would name another file.
bool AnsiFromWide(std::wstring_view wide, std::string& ansi);

}  // namespace orvalis
