// postmsg TITLE MESSAGE [WPARAM [LPARAM]] [--send]
// Posts (or, with --send, sends with a timeout) one message to the top-level window with exactly that
// title, from another process, as a user's tool or the system would. MESSAGE is a number or one of the
// names below; numbers may be decimal or 0x-hex. Exit code 1 when the window is not there.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct NamedMessage {
    const char* name;
    UINT value;
};

constexpr NamedMessage kMessages[] = {
    {"WM_CLOSE", WM_CLOSE},     {"WM_QUIT", WM_QUIT},           {"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {"WM_KEYDOWN", WM_KEYDOWN}, {"WM_KEYUP", WM_KEYUP},         {"WM_ACTIVATE", WM_ACTIVATE},
    {"WM_SIZE", WM_SIZE},       {"WM_MOUSEMOVE", WM_MOUSEMOVE},
};

bool ParseMessage(const char* text, UINT* message) {
    for (const NamedMessage& named : kMessages) {
        if (std::strcmp(text, named.name) == 0) {
            *message = named.value;
            return true;
        }
    }
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 0);
    if (end == text || *end != '\0') return false;
    *message = static_cast<UINT>(value);
    return true;
}

std::wstring Widen(const char* text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    bool send = false;
    const char* args[4] = {};
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--send") == 0) {
            send = true;
        } else if (count < 4) {
            args[count++] = argv[i];
        }
    }
    UINT message = 0;
    if (count < 2 || !ParseMessage(args[1], &message)) {
        std::fprintf(stderr, "usage: postmsg TITLE MESSAGE [WPARAM [LPARAM]] [--send]\n");
        return 2;
    }
    WPARAM wParam = count > 2 ? static_cast<WPARAM>(std::strtoull(args[2], nullptr, 0)) : 0;
    LPARAM lParam = count > 3 ? static_cast<LPARAM>(std::strtoll(args[3], nullptr, 0)) : 0;
    HWND window = FindWindowW(nullptr, Widen(args[0]).c_str());
    if (!window) return 1;
    if (send) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) return 3;
        std::printf("result=%llu\n", static_cast<unsigned long long>(result));
        return 0;
    }
    return PostMessageW(window, message, wParam, lParam) ? 0 : 3;
}
