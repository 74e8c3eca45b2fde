// Numbers typed by people or stored as text: the whole text must be one decimal number.
#pragma once

#include <optional>
#include <string_view>

namespace orvalis {

// [sign] digits [. digits] [E or D [sign] digits], with blanks or tabs allowed around it; at least one
// digit. Nothing else counts: no hexadecimal, no thousands separators, no text after the number.
std::optional<double> ReadNumericText(std::string_view text);

}  // namespace orvalis
