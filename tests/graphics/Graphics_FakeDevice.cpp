#include "Graphics_FakeDevice.h"

#include <cstdio>

namespace fake {

Config& Settings()
{
    static Config config;
    return config;
}

Log& Recorded()
{
    static Log log;
    return log;
}

Device::Device() : m_Back(new Surface(640, 480, D3DFMT_A8R8G8B8)), m_Target(m_Back), m_Depth(nullptr)
{
    m_Back->AddRef();
}

D3DResult Device::Reset(D3DPresentParameters* p)
{
    Recorded().resets.push_back(*p);
    if (Settings().resetResults.empty()) return D3D_OK;
    D3DResult r = Settings().resetResults.front();
    Settings().resetResults.pop_front();
    return r;
}

namespace {

class Interface : public D3DInterface {
  public:
    int32_t GetAdapterCount() override { return int32_t(Settings().adapterTypes.size()); }
    D3DResult GetAdapterDisplayMode(int32_t, D3DDisplayMode* mode) override
    {
        *mode = D3DDisplayMode{1024, 768, 60, D3DFMT_X8R8G8B8};
        return D3D_OK;
    }
    int32_t GetAdapterModeCount(int32_t) override { return int32_t(Settings().modes.size()); }
    D3DResult EnumAdapterModes(int32_t, int32_t index, D3DDisplayMode* mode) override
    {
        *mode = Settings().modes[size_t(index)];
        return D3D_OK;
    }
    D3DResult GetAdapterIdentifier(int32_t adapter, D3DAdapterIdentifier* identifier) override
    {
        *identifier = D3DAdapterIdentifier{};
        std::snprintf(identifier->deviceName, sizeof(identifier->deviceName), "FAKE%d", adapter);
        return D3D_OK;
    }
    D3DResult GetDeviceCaps(int32_t adapter, D3DCaps* caps) override
    {
        *caps = D3DCaps{};
        caps->deviceType = Settings().adapterTypes[size_t(adapter)];
        caps->rasterCaps = Settings().rasterCaps;
        return D3D_OK;
    }
    D3DResult CheckDeviceMultiSampleType(int32_t, int32_t, bool, int32_t samples) override
    {
        return samples <= Settings().maxSamples ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    D3DResult CreateDevice(int32_t, void*, uint32_t, D3DPresentParameters* p, D3DDevice** device) override
    {
        Recorded().resets.push_back(*p); // creation parameters are kept beside the resets
        if (Settings().failCreateDevice > 0) {
            --Settings().failCreateDevice;
            return D3DERR_NOTAVAILABLE;
        }
        *device = new Device();
        return D3D_OK;
    }
};

} // namespace

D3DInterface* CreateInterface()
{
    if (Settings().failInterface) return nullptr;
    return new Interface();
}

} // namespace fake
