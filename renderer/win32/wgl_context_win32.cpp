#include "renderer/win32/wgl_context_win32.h"

#include "renderer/scene/gl_caps.h"
#include "renderer/scene/opengl.h"

namespace orvalis {
namespace {

PIXELFORMATDESCRIPTOR RenderPixelFormat(int colorBits) {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(colorBits);
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    return format;
}

// NOTE: wglGetProcAddress returns a generic pointer; the cast goes through void (*)() to the real type.
template <typename Function>
Function GlExtension(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

}  // namespace

bool CreateGlContext(HWND window, int colorBits, GlContext& gl) {
    gl.dc = GetDC(window);
    const PIXELFORMATDESCRIPTOR pixelFormat = RenderPixelFormat(colorBits);
    const int format = gl.dc ? ChoosePixelFormat(gl.dc, &pixelFormat) : 0;
    if (!format || !SetPixelFormat(gl.dc, format, &pixelFormat)) return false;
    gl.context = wglCreateContext(gl.dc);
    return gl.context && wglMakeCurrent(gl.dc, gl.context);
}

void ReleaseGlContext(HWND window, GlContext& gl) {
    if (gl.context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(gl.context);
        gl.context = nullptr;
    }
    if (gl.dc) {
        ReleaseDC(window, gl.dc);
        gl.dc = nullptr;
    }
}

bool ApplySwapInterval(int interval) {
    using GetExtensionsStringExt = const char*(WINAPI*)();
    using SwapIntervalExt = BOOL(WINAPI*)(int);
    const char* extensions = nullptr;
    if (auto getExtensions = GlExtension<GetExtensionsStringExt>("wglGetExtensionsStringEXT")) {
        extensions = getExtensions();
    }
    bool offered = extensions && HasExtension(extensions, "WGL_EXT_swap_control");
    if (!offered) {
        const char* glExtensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        offered = glExtensions && HasExtension(glExtensions, "WGL_EXT_swap_control");
    }
    if (!offered) return false;
    auto setSwapInterval = GlExtension<SwapIntervalExt>("wglSwapIntervalEXT");
    return setSwapInterval && setSwapInterval(interval) != FALSE;
}

}  // namespace orvalis
