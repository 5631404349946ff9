// The device interface's adapters (SDL's displays) and the creation of the OpenGL device on a
// window: an OpenGL 3.3 core context, loaded through libepoxy.
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Base_Console.h"
#include "graphics/gl/Graphics_GLDeviceM.h"
#include "platform/Platform_Headroom.h"

namespace gldevice {

namespace {

int32_t FormatOf(Uint32 sdlFormat)
{
    return SDL_BYTESPERPIXEL(sdlFormat) == 2 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
}

void FromSDL(const SDL_DisplayMode& in, D3DDisplayMode* out)
{
    out->width = in.w;
    out->height = in.h;
    out->refreshRate = in.refresh_rate;
    out->format = FormatOf(in.format);
}

#if defined(__SANITIZE_ADDRESS__)
#define KELVARO_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVARO_LEAK_CHECKED 1
#endif
#endif

// Under the leak checker only: it names an allocation by the module that made it, which it cannot
// once that module is unloaded. The OpenGL driver (the modules of the dri folder) stays loaded to the
// end, so that what it leaves behind carries its name and can be told from leaks of our own.
void KeepDriverLoaded()
{
#ifdef KELVARO_LEAK_CHECKED
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr)
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

bool AdapterExists(int32_t adapter)
{
    return adapter >= 0 && adapter < SDL_GetNumVideoDisplays();
}

} // namespace

GLInterface::GLInterface()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) m_StartedVideo = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

GLInterface::~GLInterface()
{
    if (m_StartedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int32_t GLInterface::GetAdapterCount()
{
    int32_t count = SDL_GetNumVideoDisplays();
    return count > 0 ? count : 0;
}

D3DResult GLInterface::GetAdapterDisplayMode(int32_t adapter, D3DDisplayMode* mode)
{
    SDL_DisplayMode current;
    if (!AdapterExists(adapter) || mode == nullptr || SDL_GetDesktopDisplayMode(adapter, &current) != 0)
        return D3DERR_INVALIDCALL;
    FromSDL(current, mode);
    return D3D_OK;
}

int32_t GLInterface::GetAdapterModeCount(int32_t adapter)
{
    if (!AdapterExists(adapter)) return 0;
    int32_t count = SDL_GetNumDisplayModes(adapter);
    return count > 0 ? count : 0;
}

D3DResult GLInterface::EnumAdapterModes(int32_t adapter, int32_t index, D3DDisplayMode* mode)
{
    SDL_DisplayMode found;
    if (!AdapterExists(adapter) || mode == nullptr || SDL_GetDisplayMode(adapter, index, &found) != 0)
        return D3DERR_INVALIDCALL;
    FromSDL(found, mode);
    return D3D_OK;
}

D3DResult GLInterface::GetAdapterIdentifier(int32_t adapter, D3DAdapterIdentifier* identifier)
{
    if (!AdapterExists(adapter) || identifier == nullptr) return D3DERR_INVALIDCALL;
    *identifier = D3DAdapterIdentifier{};
    std::snprintf(identifier->driver, sizeof(identifier->driver), "OpenGL");
    const char* name = SDL_GetDisplayName(adapter);
    std::snprintf(identifier->description, sizeof(identifier->description), "%s",
                  name != nullptr ? name : "");
    std::snprintf(identifier->deviceName, sizeof(identifier->deviceName), "DISPLAY%d", adapter + 1);
    return D3D_OK;
}

D3DResult GLInterface::GetDeviceCaps(int32_t adapter, D3DCaps* caps)
{
    if (!AdapterExists(adapter) || caps == nullptr) return D3DERR_INVALIDCALL;
    *caps = D3DCaps{};
    caps->devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps->rasterCaps = D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_FOGVERTEX;
    caps->maxTextureWidth = caps->maxTextureHeight = 8192;
    caps->masterAdapterOrdinal = adapter;
    return D3D_OK;
}

D3DResult GLInterface::CheckDeviceMultiSampleType(int32_t adapter, int32_t, bool, int32_t multiSample)
{
    if (!AdapterExists(adapter)) return D3DERR_INVALIDCALL;
    if (multiSample == 0) return D3D_OK;
    return multiSample >= 2 && multiSample <= g_MaxSamples ? D3D_OK : D3DERR_NOTAVAILABLE;
}

D3DResult GLInterface::CreateDevice(int32_t adapter, void* window, uint32_t, D3DPresentParameters* parameters,
                                    D3DDevice** device)
{
    if (parameters == nullptr || device == nullptr || g_ContextAlive) return D3DERR_INVALIDCALL;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || !AdapterExists(adapter)) return D3DERR_NOTAVAILABLE;
    // A window of its own starts the driver as the context does.
    if (std::string lacking = Headroom_GraphicsDriverLacking(); !lacking.empty()) {
        Console_ReportFailure("The graphics device cannot be made: " + lacking);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    auto* sdlWindow = static_cast<SDL_Window*>(window);
    bool ownWindow = false;
    if (sdlWindow == nullptr) {
        // Without a window of its own (tests, benchmarks) the device draws into a hidden one.
        Direct3D_SetWindowAttributes();
        sdlWindow = SDL_CreateWindow("", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (sdlWindow == nullptr) return D3DERR_NOTAVAILABLE;
        ownWindow = true;
    }
    Direct3D_SetWindowAttributes();
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
    if (context == nullptr || epoxy_gl_version() < 33) {
        MainConsole->Output("OpenGL 3.3 is not available: %s\n", SDL_GetError());
        if (context != nullptr) SDL_GL_DeleteContext(context);
        if (ownWindow) SDL_DestroyWindow(sdlWindow);
        return D3DERR_NOTAVAILABLE;
    }
    g_ContextAlive = true;
    KeepDriverLoaded();
    auto* created = new GLDevice(sdlWindow, ownWindow, context);
    if (!created->Start(parameters)) {
        created->Release();
        return D3DERR_NOTAVAILABLE;
    }
    *device = created;
    return D3D_OK;
}

} // namespace gldevice

void Direct3D_SetWindowAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Every target's depth and stencil are surfaces of the device's own; the window's framebuffer
    // needs none, and without them the present's copy is drawn on the renderer's fast path.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

D3DInterface* Direct3D_CreateGL()
{
    auto* created = new gldevice::GLInterface();
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        created->Release();
        return nullptr;
    }
    return created;
}
