#include "linux/xscreensaver_file.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace orvalis {
namespace {

// The entry's layout follows the daemon's own list: a visual, tabs, the command, and the "\n" that ends it.
constexpr std::string_view kEntryLine = "  GL: \t\t\t\torvalis --root\t\t\t    \\n";
constexpr std::string_view kEscapedNewline = "\\n";

using Lines = std::vector<std::string>;

struct Block {
    size_t first = 0;  // the line with "programs:"
    size_t last = 0;   // its last continuation line
};

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

Lines SplitLines(std::string_view text) {
    Lines lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

std::string JoinLines(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

// A backslash at the end of a line joins the next line to the value (the resource file syntax).
bool Continues(std::string_view line) {
    line = TrimRight(line);
    return !line.empty() && line.back() == '\\';
}

// The position just after the colon of a "programs:" resource line ("*programs:" in app-defaults), or npos.
size_t ProgramsValueStart(std::string_view line) {
    const std::string_view text = TrimLeft(line);
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::string_view::npos;
    const std::string_view key = TrimRight(text.substr(0, colon));
    const bool isPrograms = key == "programs" || key.ends_with("*programs") || key.ends_with(".programs");
    for (char c : key) {
        if (IsSpace(c)) return std::string_view::npos;
    }
    return isPrograms ? line.size() - text.size() + colon + 1 : std::string_view::npos;
}

// The last programs resource of the file: a later definition of a resource replaces an earlier one.
std::optional<Block> FindPrograms(const Lines& lines) {
    std::optional<Block> found;
    for (size_t i = 0; i < lines.size();) {
        size_t end = i;
        while (end + 1 < lines.size() && Continues(lines[end])) ++end;
        if (ProgramsValueStart(lines[i]) != std::string_view::npos) found = Block{i, end};
        i = end + 1;
    }
    return found;
}

// The part of one line of the block that belongs to the list, without the joining backslash.
std::string_view LineValue(const Lines& lines, const Block& block, size_t index) {
    std::string_view s = lines[index];
    if (index == block.first) s = s.substr(ProgramsValueStart(s));
    s = TrimRight(s);
    if (!s.empty() && s.back() == '\\') s.remove_suffix(1);
    return s;
}

// The command's program name of one entry: "- GL: "Name" /path/prog -opt" gives "prog".
std::string_view ProgramName(std::string_view entry) {
    entry = TrimLeft(entry);
    if (entry.starts_with('-')) entry = TrimLeft(entry.substr(1));
    size_t word = 0;
    while (word < entry.size() &&
           (std::isalnum(static_cast<unsigned char>(entry[word])) != 0 || entry[word] == '_'))
        ++word;
    if (word > 0 && word < entry.size() && entry[word] == ':') entry = TrimLeft(entry.substr(word + 1));
    if (entry.starts_with('"')) {
        const size_t close = entry.find('"', 1);
        entry = close == std::string_view::npos ? std::string_view() : TrimLeft(entry.substr(close + 1));
    }
    size_t end = 0;
    while (end < entry.size() && !IsSpace(entry[end])) ++end;
    const std::string_view command = entry.substr(0, end);
    const size_t slash = command.find_last_of('/');
    return slash == std::string_view::npos ? command : command.substr(slash + 1);
}

// Finds an Orvalis entry in the list: kAdded stands for "not listed".
ProgramsOutcome ListedState(const Lines& lines, const Block& block) {
    std::string value;
    for (size_t i = block.first; i <= block.last; ++i) value += LineValue(lines, block, i);
    std::string_view rest = value;
    ProgramsOutcome state = ProgramsOutcome::kAdded;
    while (!rest.empty()) {
        const size_t end = rest.find(kEscapedNewline);
        const std::string_view entry = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + kEscapedNewline.size());
        if (ProgramName(entry) != kOrvalisProgram) continue;
        if (!TrimLeft(entry).starts_with('-')) return ProgramsOutcome::kListed;
        state = ProgramsOutcome::kListedDisabled;
    }
    return state;
}

// Puts the entry after the list's last entry: that entry gets its "\n" and joining backslash when it lacks
// them, and blank continuation lines after it (the settings program ends the list so) stay after the new one.
void InsertEntry(Lines& lines, const Block& block) {
    size_t k = block.last;
    while (k > block.first && Trim(LineValue(lines, block, k)).empty()) --k;
    std::string& line = lines[k];
    const std::string_view body = Trim(LineValue(lines, block, k));
    const bool joined = Continues(line);
    std::string_view unjoined = TrimRight(line);
    if (joined) unjoined = TrimRight(unjoined.substr(0, unjoined.size() - 1));
    if (body.empty()) {
        if (!joined) line += "\t\\";
    } else if (!body.ends_with(kEscapedNewline)) {
        line = std::string(unjoined) + " \\n\\";
    } else if (!joined) {
        line = std::string(unjoined) + "\\";
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                 std::string(kEntryLine) + (k < block.last ? "\\" : ""));
}

// The defaults' programs resource as a resource of the user's file.
std::optional<Lines> DefaultPrograms(std::string_view defaults) {
    const Lines lines = SplitLines(defaults);
    const std::optional<Block> block = FindPrograms(lines);
    if (!block) return std::nullopt;
    Lines copy(lines.begin() + static_cast<std::ptrdiff_t>(block->first),
               lines.begin() + static_cast<std::ptrdiff_t>(block->last) + 1);
    copy.front() = "programs:" + copy.front().substr(ProgramsValueStart(copy.front()));
    return copy;
}

}  // namespace

ProgramsEdit AddOrvalisToPrograms(std::optional<std::string_view> userFile,
                                  std::optional<std::string_view> defaults) {
    ProgramsEdit edit;
    Lines lines = SplitLines(userFile.value_or(""));
    std::optional<Block> block = FindPrograms(lines);
    if (!block) {
        if (!defaults) {
            edit.error = "XScreenSaver's defaults cannot be read (is xscreensaver installed?)";
            return edit;
        }
        const std::optional<Lines> programs = DefaultPrograms(*defaults);
        if (!programs) {
            edit.error = "XScreenSaver's defaults have no list of display modes";
            return edit;
        }
        if (!userFile)
            lines.emplace_back("# XScreenSaver's display modes and Orvalis (orvalis --add-to-xscreensaver)");
        block = Block{lines.size(), lines.size() + programs->size() - 1};
        lines.insert(lines.end(), programs->begin(), programs->end());
    } else {
        edit.outcome = ListedState(lines, *block);
        if (edit.outcome != ProgramsOutcome::kAdded) return edit;
    }
    InsertEntry(lines, *block);
    edit.outcome = ProgramsOutcome::kAdded;
    edit.text = JoinLines(lines);
    return edit;
}

namespace {

namespace fs = std::filesystem;

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

// Writes beside the target and renames, so that the daemon never reads half a file.
bool ReplaceFile(const fs::path& target, const std::string& text, bool existed) {
    const fs::path temporary = target.string() + ".orvalis-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    if (existed) fs::permissions(temporary, fs::status(target).permissions(), error);
    if (!error) fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace

int AddOrvalisToXScreenSaver(const fs::path& settings, const fs::path& defaults, std::string& message) {
    std::error_code error;
    const bool existed = fs::exists(fs::symlink_status(settings, error));
    std::optional<std::string> userFile;
    if (existed) {
        if (!fs::is_regular_file(settings, error)) {
            message = settings.string() + " is not a file";
            return 1;
        }
        userFile = ReadFile(settings);
        if (!userFile) {
            message = "cannot read " + settings.string();
            return 1;
        }
    }
    const std::optional<std::string> defaultsText = ReadFile(defaults);
    const ProgramsEdit edit = AddOrvalisToPrograms(userFile, defaultsText);
    switch (edit.outcome) {
        case ProgramsOutcome::kListed:
            message = "Orvalis is in the display modes of " + settings.string() + " already";
            return 0;
        case ProgramsOutcome::kListedDisabled:
            message = "Orvalis is in the display modes of " + settings.string() +
                      " already, switched off: tick it in xscreensaver-settings";
            return 0;
        case ProgramsOutcome::kError:
            message = edit.error + " (" + defaults.string() + ")";
            return 1;
        case ProgramsOutcome::kAdded:
            break;
    }
    std::error_code linkError;
    const fs::path target =
        existed && fs::is_symlink(settings) ? fs::canonical(settings, linkError) : settings;
    if (linkError || !ReplaceFile(target, edit.text, existed)) {
        message = "cannot write " + target.string();
        return 1;
    }
    message = "Added \"GL: orvalis --root\" to the display modes of " + settings.string() +
              "; pick Orvalis in xscreensaver-settings";
    return 0;
}

}  // namespace orvalis
