// Orvalis in the user's ~/.xscreensaver: the daemon takes its list of display modes from the "programs:"
// resource of that file, or from its own defaults (the app-defaults file) when the file has none, so a mode
// installed later appears only when it is added there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvalis {

inline constexpr std::string_view kXScreenSaverDefaults = "/etc/X11/app-defaults/XScreenSaver";
inline constexpr std::string_view kOrvalisProgram = "orvalis";

enum class ProgramsOutcome {
    kAdded,           // `text` is the file with Orvalis at the end of its list
    kListed,          // already in the list and switched on: nothing to write
    kListedDisabled,  // already in the list and switched off ("-" before it): nothing to write
    kError,           // `error` says why
};

struct ProgramsEdit {
    ProgramsOutcome outcome = ProgramsOutcome::kError;
    std::string text;
    std::string error;
};

// The user's file with "GL: orvalis --root" at the end of its programs list; every other byte stays. Without
// a list in `userFile` (or without the file, nullopt) the list of `defaults`, the daemon's app-defaults text,
// is copied in first, so that all the modes the daemon showed before stay. An entry whose command is
// orvalis (by any path) counts as listed.
ProgramsEdit AddOrvalisToPrograms(std::optional<std::string_view> userFile,
                                  std::optional<std::string_view> defaults);

// The same on files: reads `settings` (absent is fine) and `defaults`, and replaces `settings` (or the file
// its symbolic link names) by the new text through a temporary file beside it, keeping its permissions.
// Returns the process exit code (0 added or listed, 1 not possible) and a message for the person.
int AddOrvalisToXScreenSaver(const std::filesystem::path& settings, const std::filesystem::path& defaults,
                             std::string& message);

}  // namespace orvalis
