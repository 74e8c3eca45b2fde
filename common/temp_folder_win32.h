// The user's temporary folder, where the ring picture goes when the root of drive C is read-only; the host
// writes it there and the renderer looks there, so both ask the system the same way.
#pragma once

#include <string>

namespace orvalis {

// GetTempPathW's folder with its trailing backslash; empty when the system does not say.
std::wstring TempFolder();

}  // namespace orvalis
