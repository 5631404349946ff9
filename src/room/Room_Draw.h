// Drawing the current room once a frame: views move after the instances they follow, then each
// visible view (or the whole room when views are off) is drawn with the background colour, the back
// layers, the tiles, instances and particle systems merged by depth and the front layers; then the
// GUI pass and the sprite cursor.
#pragma once

#include <cstdint>

class CInstance;
class CRoom;
struct RoomTile;

struct RoomDrawRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The rectangle being drawn (drawing routines cull with it) and the port scale.
extern RoomDrawRect g_RoomDrawRect;
extern double g_RoomPortScaleX;
extern double g_RoomPortScaleY;
// The GUI size; negative: the window's.
extern int32_t g_GUIWidth;
extern int32_t g_GUIHeight;
// The frame of the cursor sprite; one more each time the cursor is drawn.
extern int32_t g_CursorFrame;

constexpr float ROOM_DEPTH_BACK_LAYERS = 12000.0f;
constexpr float ROOM_DEPTH_FRONT_LAYERS = -12000.0f;
constexpr float ROOM_DEPTH_AFTER_FRONT = -13000.0f;
constexpr float ROOM_DEPTH_ITEM_LIMIT = 11000.0f;
constexpr double PARTICLE_DEPTH_END = -1e8; // at or below: no more particles
constexpr double PARTICLE_DEPTH_NONE = -1e9;

// What the merge of tiles, instances and particles does with each item. The default draws through
// the particle systems, the instances' draw events or sprites and the backgrounds; tests put their
// own in place to see the order.
class RoomContentDrawer {
  public:
    virtual ~RoomContentDrawer() = default;
    virtual double ParticleMaxDepth();
    virtual double ParticleNextDepthBelow(double depth);
    virtual void DrawParticles(double depth);
    virtual void DrawInstance(CInstance* instance);
    virtual void DrawTile(const RoomTile& tile);
};
// Null restores the default drawer.
void Room_SetContentDrawer(RoomContentDrawer* drawer);

void Room_Draw();
// Views that follow an instance move to it, then the views are registered.
void Room_UpdateViews();
// The current room's visible views (or, with views off, its size) registered with the window as
// they stand: what conversions from the window map by.
void Room_RegisterViews();
void Room_DrawRect(const RoomDrawRect& rect);
void Room_DrawContents(const RoomDrawRect& rect);
void Room_DrawGUI(const RoomDrawRect& rect);
