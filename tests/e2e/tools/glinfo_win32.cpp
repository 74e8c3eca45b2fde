// glinfo   prints what the OpenGL driver of a window like the renderer's reports: its version, its renderer
// and whether it offers textures of any size (GL_ARB_texture_non_power_of_two), one "key=value" a line.
#include <cstdio>
#include <cstring>

#include "renderer/scene/opengl.h"

namespace {

const char* Text(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? text : "";
}

bool Offers(const char* extensions, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace

int main() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GlInfo";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "GlInfo", "glinfo", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    HDC dc = window ? GetDC(window) : nullptr;
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 16;
    format.cDepthBits = 16;
    const int chosen = dc ? ChoosePixelFormat(dc, &format) : 0;
    if (!chosen || !SetPixelFormat(dc, chosen, &format)) return 1;
    HGLRC context = wglCreateContext(dc);
    if (!context || !wglMakeCurrent(dc, context)) return 1;
    std::printf("version=%s\n", Text(GL_VERSION));
    std::printf("renderer=%s\n", Text(GL_RENDERER));
    std::printf("npot=%d\n", Offers(Text(GL_EXTENSIONS), "GL_ARB_texture_non_power_of_two") ? 1 : 0);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return 0;
}
