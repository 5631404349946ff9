// The device layer's entry points as start-up, the main loop, message boxes and errors include
// them, with the routines of other areas the device layer calls (Graphics_DeviceServices.h).
#pragma once

#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_3D.h"
