// A device that records what the graphics layer asks of it, for tests of the batch, the state cache,
// creation and reset without OpenGL. Objects keep their bytes in memory; nothing is drawn.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "../TestSupport_Console.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "platform/Platform_TestSwitches.h"

namespace fake {

struct Draw {
    int32_t type;
    uint32_t primitives, streamOffset, stride, fvf;
    const void* declaration;
    const void* texture; // on stage 0
    bool userPointer;
    // The vertex bytes the draw reads from the stream, as they were when it was drawn.
    std::vector<uint8_t> bytes = {};
};

struct Log {
    std::vector<std::pair<int32_t, uint32_t>> renderStates;
    std::vector<std::vector<uint32_t>> samplerStates; // stage, type, value
    std::vector<Draw> draws;
    std::vector<uint32_t> bufferLengths, bufferUsages;
    std::vector<std::vector<int32_t>> renderTargets; // width, height, lockable
    std::vector<std::vector<int32_t>> textures;      // width, height, format, pool, usage
    std::vector<std::vector<uint32_t>> clears;       // flags, colour
    std::vector<D3DPresentParameters> resets;
    std::vector<std::vector<D3DVertexElement>> declarations;
    std::vector<std::pair<const void*, const void*>> stretches; // source, destination
    std::vector<D3DMatrix> projections;
    std::vector<D3DViewport> viewports;
    std::vector<std::pair<int32_t, D3DLight>> lights;
    std::vector<std::pair<int32_t, bool>> lightSwitches;
    std::vector<D3DMaterial> materials;
    int32_t presents = 0;
    std::vector<const void*> presentedFrom; // surfaces shown in place of the back buffer

    bool Sent(int32_t state) const
    {
        for (const auto& s : renderStates)
            if (s.first == state) return true;
        return false;
    }
    uint32_t LastValue(int32_t state) const
    {
        uint32_t value = 0xDEADBEEFu;
        for (const auto& s : renderStates)
            if (s.first == state) value = s.second;
        return value;
    }
};

// What the next interface and device do.
struct Config {
    int32_t failCreateDevice = 0; // this many creations fail first
    std::deque<D3DResult> resetResults;
    uint32_t rasterCaps = D3DPRASTERCAPS_FOGTABLE;
    int32_t maxSamples = 4;
    bool failDynamicBuffers = false;
    bool failInterface = false;
    bool presentsOtherSurfaces = false; // PresentFrom shows the surface, else refuses
    D3DResult cooperativeLevel = D3D_OK;
    std::vector<D3DDisplayMode> modes = {{640, 480, 60, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}};
    std::vector<int32_t> adapterTypes = {D3DDEVTYPE_HAL};
};

Config& Settings();
Log& Recorded();
// Interface factory for GR_D3D_SetInterfaceFactory.
D3DInterface* CreateInterface();

// Hands out bytes at the given pitch through a locked rectangle.
inline D3DResult Lock(D3DLockedRect* locked, int32_t pitch, std::vector<uint8_t>& bytes)
{
    locked->pitch = pitch;
    locked->bits = bytes.data();
    return D3D_OK;
}

class Surface : public D3DSurface {
  public:
    Surface(int32_t w, int32_t h, int32_t format)
        : width(w), height(h), format(format), bytes(size_t(w) * size_t(h) * 4) {}
    D3DResult GetDesc(D3DSurfaceDesc* d) override
    {
        *d = D3DSurfaceDesc{format, 0, D3DPOOL_DEFAULT, 0, width, height};
        return D3D_OK;
    }
    D3DResult LockRect(D3DLockedRect* l, const D3DRect*, uint32_t) override { return Lock(l, width * 4, bytes); }
    D3DResult UnlockRect() override { return D3D_OK; }
    int32_t width, height, format;
    std::vector<uint8_t> bytes;
};

class Texture : public D3DTexture {
  public:
    Texture(int32_t w, int32_t h, int32_t format, int32_t pool)
        : width(w), height(h), format(format), pool(pool),
          bytes(size_t(D3D_FormatPitch(format, w)) * size_t(D3D_FormatRows(format, h)))
    {
    }
    int32_t GetLevelCount() override { return 1; }
    D3DResult GetLevelDesc(int32_t, D3DSurfaceDesc* d) override
    {
        *d = D3DSurfaceDesc{format, 0, pool, 0, width, height};
        return D3D_OK;
    }
    D3DResult GetSurfaceLevel(int32_t, D3DSurface** s) override
    {
        *s = new Surface(width, height, format);
        return D3D_OK;
    }
    D3DResult LockRect(int32_t, D3DLockedRect* l, const D3DRect*, uint32_t) override
    {
        return Lock(l, D3D_FormatPitch(format, width), bytes);
    }
    D3DResult UnlockRect(int32_t) override { return D3D_OK; }
    D3DResult AddDirtyRect(const D3DRect*) override { return D3D_OK; }
    void PreLoad() override {}
    uint32_t SetPriority(uint32_t) override { return 0; }
    int32_t width, height, format, pool;
    std::vector<uint8_t> bytes;
};

class Buffer : public D3DVertexBuffer {
  public:
    explicit Buffer(uint32_t length) : bytes(length) {}
    D3DResult Lock(uint32_t offset, uint32_t, void** data, uint32_t flags) override
    {
        lockFlags.push_back(flags);
        *data = bytes.data() + offset;
        return D3D_OK;
    }
    D3DResult Unlock() override { return D3D_OK; }
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> lockFlags;
};

class Declaration : public D3DVertexDeclaration {};

// Replaces what `slot` holds by `next`, keeping the reference counts.
inline void Swap(D3DSurface*& slot, D3DSurface* next)
{
    if (next != nullptr) next->AddRef();
    if (slot != nullptr) slot->Release();
    slot = next;
}

class Device : public D3DDevice {
  public:
    Device();
    D3DResult TestCooperativeLevel() override { return std::exchange(Settings().cooperativeLevel, D3D_OK); }
    D3DResult Reset(D3DPresentParameters* p) override;
    D3DResult BeginScene() override { return D3D_OK; }
    D3DResult EndScene() override { return D3D_OK; }
    D3DResult Present() override { return ++Recorded().presents, D3D_OK; }
    D3DResult PresentFrom(D3DSurface* source) override
    {
        if (!Settings().presentsOtherSurfaces) return D3DERR_INVALIDCALL;
        return Recorded().presentedFrom.push_back(source), D3D_OK;
    }
    D3DResult GetDeviceCaps(D3DCaps* caps) override
    {
        *caps = D3DCaps{};
        caps->rasterCaps = Settings().rasterCaps;
        return D3D_OK;
    }
    D3DResult GetBackBuffer(D3DSurface** s) override { return Hand(m_Back, s); }
    D3DResult Clear(uint32_t flags, uint32_t colour, float, uint32_t) override
    {
        return Recorded().clears.push_back({flags, colour}), D3D_OK;
    }
    D3DResult SetViewport(const D3DViewport* v) override { return Recorded().viewports.push_back(*v), D3D_OK; }
    D3DResult GetViewport(D3DViewport* v) override
    {
        *v = Recorded().viewports.empty() ? D3DViewport{} : Recorded().viewports.back();
        return D3D_OK;
    }
    D3DResult SetTransform(int32_t kind, const D3DMatrix* m) override
    {
        if (kind == D3DTS_PROJECTION) Recorded().projections.push_back(*m);
        return D3D_OK;
    }
    D3DResult SetRenderState(int32_t state, uint32_t value) override
    {
        Recorded().renderStates.push_back({state, value});
        m_States[state] = value;
        return D3D_OK;
    }
    D3DResult GetRenderState(int32_t state, uint32_t* value) override { return *value = m_States[state], D3D_OK; }
    D3DResult SetSamplerState(int32_t sampler, int32_t type, uint32_t value) override
    {
        return Recorded().samplerStates.push_back({uint32_t(sampler), uint32_t(type), value}), D3D_OK;
    }
    D3DResult SetTextureStageState(int32_t, int32_t, uint32_t) override { return D3D_OK; }
    D3DResult SetTexture(int32_t stage, D3DTexture* texture) override
    {
        if (stage == 0) m_Texture = texture;
        return D3D_OK;
    }
    D3DResult SetLight(int32_t index, const D3DLight* l) override
    {
        return Recorded().lights.push_back({index, *l}), D3D_OK;
    }
    D3DResult LightEnable(int32_t index, bool on) override
    {
        return Recorded().lightSwitches.push_back({index, on}), D3D_OK;
    }
    D3DResult SetMaterial(const D3DMaterial* m) override { return Recorded().materials.push_back(*m), D3D_OK; }
    D3DResult CreateTexture(int32_t w, int32_t h, int32_t, uint32_t usage, int32_t format, int32_t pool,
                            D3DTexture** t) override
    {
        Recorded().textures.push_back({w, h, format, pool, int32_t(usage)});
        *t = new Texture(w, h, format, pool);
        return D3D_OK;
    }
    D3DResult CreateRenderTarget(int32_t w, int32_t h, int32_t format, int32_t, bool lockable,
                                 D3DSurface** s) override
    {
        Recorded().renderTargets.push_back({w, h, lockable ? 1 : 0});
        *s = new Surface(w, h, format);
        return D3D_OK;
    }
    D3DResult CreateDepthStencilSurface(int32_t w, int32_t h, int32_t format, int32_t, bool,
                                        D3DSurface** s) override
    {
        *s = new Surface(w, h, format);
        return D3D_OK;
    }
    D3DResult UpdateTexture(D3DTexture* source, D3DTexture* destination) override
    {
        static_cast<Texture*>(destination)->bytes = static_cast<Texture*>(source)->bytes;
        return D3D_OK;
    }
    D3DResult StretchRect(D3DSurface* source, const D3DRect*, D3DSurface* destination, const D3DRect*,
                          uint32_t) override
    {
        return Recorded().stretches.push_back({source, destination}), D3D_OK;
    }
    D3DResult GetRenderTarget(int32_t, D3DSurface** s) override { return Hand(m_Target, s); }
    D3DResult SetRenderTarget(int32_t, D3DSurface* s) override { return Swap(m_Target, s), D3D_OK; }
    D3DResult GetDepthStencilSurface(D3DSurface** s) override { return Hand(m_Depth, s); }
    D3DResult SetDepthStencilSurface(D3DSurface* s) override { return Swap(m_Depth, s), D3D_OK; }
    D3DResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t, int32_t,
                                 D3DVertexBuffer** b) override
    {
        if ((usage & D3DUSAGE_DYNAMIC) != 0 && Settings().failDynamicBuffers) return D3DERR_OUTOFVIDEOMEMORY;
        Recorded().bufferLengths.push_back(length);
        Recorded().bufferUsages.push_back(usage);
        *b = new Buffer(length);
        return D3D_OK;
    }
    D3DResult CreateVertexDeclaration(const D3DVertexElement* elements, D3DVertexDeclaration** d) override
    {
        std::vector<D3DVertexElement> list;
        for (const D3DVertexElement* e = elements; e->stream != 0xFF; ++e) list.push_back(*e);
        Recorded().declarations.push_back(list);
        *d = new Declaration();
        return D3D_OK;
    }
    D3DResult SetFVF(uint32_t fvf) override { return m_FVF = fvf, D3D_OK; }
    D3DResult SetVertexDeclaration(D3DVertexDeclaration* d) override { return m_Declaration = d, D3D_OK; }
    D3DResult SetStreamSource(int32_t, D3DVertexBuffer* buffer, uint32_t offset, uint32_t stride) override
    {
        m_Stream = static_cast<Buffer*>(buffer);
        m_Offset = offset;
        m_Stride = stride;
        return D3D_OK;
    }
    D3DResult DrawPrimitive(int32_t type, uint32_t, uint32_t count) override
    {
        Recorded().draws.push_back({type, count, m_Offset, m_Stride, m_FVF, m_Declaration, m_Texture, false});
        if (m_Stream != nullptr) {
            // Batches write their buffers anew within a frame, so the bytes are read now.
            size_t from = std::min<size_t>(m_Offset, m_Stream->bytes.size());
            size_t to = std::min(m_Stream->bytes.size(), from + size_t(D3D_PrimitiveVertices(type, count)) * m_Stride);
            Recorded().draws.back().bytes.assign(m_Stream->bytes.begin() + ptrdiff_t(from),
                                                 m_Stream->bytes.begin() + ptrdiff_t(to));
        }
        return D3D_OK;
    }
    D3DResult DrawPrimitiveUP(int32_t type, uint32_t count, const void*, uint32_t stride) override
    {
        Recorded().draws.push_back({type, count, 0, stride, m_FVF, m_Declaration, m_Texture, true});
        return D3D_OK;
    }

    D3DSurface* Target() const { return m_Target; }

  protected:
    ~Device() override
    {
        m_Target->Release();
        if (m_Depth != nullptr) m_Depth->Release();
        m_Back->Release();
    }

  private:
    static D3DResult Hand(D3DSurface* held, D3DSurface** s)
    {
        if (held != nullptr) held->AddRef();
        *s = held;
        return D3D_OK;
    }
    Surface* m_Back;
    D3DSurface* m_Target;
    D3DSurface* m_Depth;
    uint32_t m_States[D3D_RENDER_STATE_COUNT] = {};
    const void* m_Texture = nullptr;
    const void* m_Declaration = nullptr;
    uint32_t m_FVF = 0, m_Offset = 0, m_Stride = 0;
    Buffer* m_Stream = nullptr;
};

using testsupport::LogCapture;

// A recording device made through the layer's own creation; the display comes from the offscreen
// video driver (1024 x 768, 32 bits). With Create() false the device is left for the test to make.
class DeviceTest : public ::testing::Test {
  protected:
    virtual void Configure(Config&) {}
    virtual uint32_t Flags() const { return 0; }
    virtual bool Create() const { return true; }

    void SetUp() override
    {
        setenv("KELVARO_HEADLESS", "1", 1);
        TestSwitches_Reload();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO));
        Settings() = Config{};
        Configure(Settings());
        Recorded() = Log{};
        GR_RenderState_Init();
        GR_D3D_SetInterfaceFactory(CreateInterface);
        if (!Create()) return;
        ASSERT_TRUE(GR_InitDevice(640, 480, Flags()));
        Recorded() = Log{};
    }

    void TearDown() override
    {
        GR_D3D_Shutdown();
        GR_D3D_SetInterfaceFactory(nullptr);
        GR_D3D_SetRoomReader(nullptr);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

} // namespace fake
