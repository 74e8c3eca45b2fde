// What the two programs agree on without ever talking to each other: the file names beside the host, the
// window titles and classes one program looks for in the other, and where the texture picture is put.
// Both programs, the benchmark and the tests take these names from here, and from nowhere else.
#pragma once

#include <string>
#include <vector>

namespace orvalis {

// The renderer program beside the host (a GUI program despite its extension).
inline constexpr char kRendererFileName[] = "Orvalis.dll";
// The settings file beside the host.
inline constexpr char kSettingsFileName[] = "Orvalis.ini";
// The texture picture the host writes and the renderer reads once at start-up.
inline constexpr char kTextureFileName[] = "Tessalume.bmp";

// The renderer's window: the host watches for this title to learn that the saver still shows.
inline constexpr char kRendererWindowTitle[] = "Orvalis_VC";
inline constexpr char kRendererWindowClass[] = "OpenGL";
// The host's hidden saver window and its settings window; a second host that finds either ends at once.
inline constexpr char kSaverWindowTitle[] = "Veyra_Main";
inline constexpr char kSettingsWindowTitle[] = "<Orvalis>";

// Where the texture picture goes, in the order both programs try: the root of drive C, then the user's
// temporary folder (given with or without its trailing backslash; empty when unknown, then left out).
std::vector<std::wstring> TextureLocations(const std::wstring& temporaryFolder);

}  // namespace orvalis
