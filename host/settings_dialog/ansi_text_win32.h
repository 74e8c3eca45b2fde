// Text between the wide-character user interface and the ANSI code page the settings file and the music
// calls use.
#pragma once

#include <string>

namespace orvalis {

std::wstring FromCodePage(unsigned codePage, const std::string& text);
std::wstring FromAnsi(const std::string& ansi);
std::wstring FromUtf8(const std::string& utf8);

// The text in the ANSI code page, or false when that code page cannot hold every character of it.
bool ToAnsi(const std::wstring& wide, std::string& ansi);

}  // namespace orvalis
