// Orvalis.dll: the full-screen particle cloud that the saver host starts, until Escape or WM_CLOSE.
#include "common/contract.h"
#include "renderer/win32/render_shell_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    constexpr bool kFullscreen = true;
    if (orvalis::CreateRenderWindow(orvalis::kRendererWindowTitle, 1024, 768, kFullscreen) ==
        orvalis::RenderWindowMode::kFailed) {
        return 0;
    }
    const int exitCode = orvalis::RunMessageLoop();
    orvalis::DestroyRenderWindow();
    return exitCode;
}
