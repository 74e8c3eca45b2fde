// Orvalis.dll: the full-screen particle cloud that the saver host starts, until Escape or WM_CLOSE.
#include "renderer/render_shell_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    orvalis::colorBits = 16;
    if (!orvalis::CreateRenderWindow("Orvalis_VC", 1024, 768, orvalis::colorBits, orvalis::fullscreenMode)) {
        return 0;
    }
    const int exitCode = orvalis::RunMessageLoop();
    orvalis::DestroyRenderWindow();
    return exitCode;
}
