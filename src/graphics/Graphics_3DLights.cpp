// The eight device lights and the ambient light with its white material.
#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Draw.h"

namespace {

// Red in the low byte, as the scripts give colours.
D3DColourValue ColourValue(uint32_t colour)
{
    return D3DColourValue{float(colour & 0xFFu) / 255.0f, float(colour >> 8 & 0xFFu) / 255.0f,
                          float(colour >> 16 & 0xFFu) / 255.0f, float(colour >> 24 & 0xFFu) / 255.0f};
}

// Lights change how the open batch looks, so it is drawn first.
D3DDevice* LightingDevice()
{
    D3DDevice* device = GR_D3D_Device();
    if (device != nullptr) Graphics::Flush();
    return device;
}

} // namespace

int32_t GR_3D_LightSlot(int32_t index)
{
    return (index % LIGHT_COUNT + LIGHT_COUNT) % LIGHT_COUNT;
}

void GR_3D_LightDefineAmbient(uint32_t colour)
{
    D3DDevice* device = LightingDevice();
    if (device == nullptr) return;
    D3DMaterial white;
    white.diffuse = white.ambient = white.specular = D3DColourValue{1.0f, 1.0f, 1.0f, 1.0f};
    white.power = 1.0f;
    device->SetMaterial(&white);
    // The state is a device colour: red in the third byte.
    GR_D3D_SetDeviceRenderState(D3DRS_AMBIENT, GR_SwapRedBlue(colour));
}

void GR_3D_LightDefineDirection(int32_t index, float dx, float dy, float dz, uint32_t colour)
{
    D3DDevice* device = LightingDevice();
    if (device == nullptr) return;
    D3DLight light;
    light.type = D3DLIGHT_DIRECTIONAL;
    light.diffuse = ColourValue(colour);
    light.direction = D3DVector{dx, dy, dz};
    device->SetLight(GR_3D_LightSlot(index), &light);
}

void GR_3D_LightDefinePoint(int32_t index, float x, float y, float z, float range, uint32_t colour)
{
    D3DDevice* device = LightingDevice();
    if (device == nullptr) return;
    D3DLight light;
    light.type = D3DLIGHT_POINT;
    light.diffuse = ColourValue(colour);
    light.position = D3DVector{x, y, z};
    light.range = range;
    light.attenuation0 = 1.0f;
    light.attenuation1 = range > 0.0f ? 1.0f / range : 0.0f;
    device->SetLight(GR_3D_LightSlot(index), &light);
}

void GR_3D_LightEnable(int32_t index, bool on)
{
    D3DDevice* device = LightingDevice();
    if (device != nullptr) device->LightEnable(GR_3D_LightSlot(index), on);
}
