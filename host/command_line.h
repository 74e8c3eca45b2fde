// The saver host's command line: the switch letter Windows passes and the preview's parent window.
#pragma once

#include <cstdint>
#include <string_view>

namespace orvalis {

// What the host does for a command line.
enum class HostMode {
    Preview,          // letter P: still picture inside the given window
    Configure,        // letter C: the settings dialog
    Saver,            // letter S: the saver with the mouse cursor hidden
    SaverShowCursor,  // empty command line: the saver, cursor left alone
    Unrecognised,     // anything else: the host ends without a word
};

// The second character of the upper-cased command line, or '\0' when the line is shorter than two
// characters. The first character (a slash or a dash in practice) is never looked at.
char ModeLetter(std::string_view commandLine);

HostMode ModeOf(std::string_view commandLine);

// The parent window of the preview: the text from the 4th character on read as a decimal number
// (blanks, tabs and line feeds ignored, reading stops at the first character that cannot continue
// the number, no leading number gives 0), rounded to the nearest whole number with halves to even.
// Windows hands out 32-bit window handles; a value that fits neither int32 nor uint32 gives 0.
uint32_t PreviewParentHandle(std::string_view commandLine);

// The number at the start of text, read with the rules of PreviewParentHandle (before rounding).
// False when the text does not start with a number.
bool ReadLeadingNumber(std::string_view text, double& value);

}  // namespace orvalis
