#include "room/Room_Draw.h"

#include <algorithm>
#include <cmath>

#include "background/Background_Table.h"
#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "function/Function_Families.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_TextureDraw.h"
#include "graphics/Graphics_Window.h"
#include "instance/Instance_List.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "particle/Particle_System.h"
#include "room/Room_Class.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "sprite/Sprite_Table.h"

RoomDrawRect g_RoomDrawRect;
double g_RoomPortScaleX = 1.0;
double g_RoomPortScaleY = 1.0;
int32_t g_GUIWidth = -1;
int32_t g_GUIHeight = -1;
int32_t g_CursorFrame = 0;

namespace {

constexpr int32_t DRAW_NORMAL = 0;
constexpr int32_t DRAW_GUI = 64;

RoomContentDrawer g_DefaultDrawer;
RoomContentDrawer* g_Drawer = &g_DefaultDrawer;

float ItemDepth(double depth)
{
    return float(std::min(depth, double(ROOM_DEPTH_ITEM_LIMIT)));
}

bool Drawable(const CInstance* instance)
{
    return instance->i_marked == 0 && instance->i_deactivated == 0 && instance->i_visible != 0;
}

// The tail of the list, or null when no instance of it can be drawn. A walk that finds none notes
// the list as quiet, so that the draws of later views and frames pass it by until some instance is
// shown, added, unmarked or reactivated.
CInstance* LastDrawable(const CInstanceList& list)
{
    if (g_QuietLists.drawable == &list) return nullptr;
    for (CInstance* instance = list.m_pTail; instance != nullptr; instance = instance->m_pPrev)
        if (Drawable(instance)) return list.m_pTail;
    g_QuietLists.drawable = &list;
    return nullptr;
}

bool Usable(const CInstance* instance)
{
    return instance != nullptr && instance->i_marked == 0 && instance->i_deactivated == 0;
}

// The instance a view follows: an id names that instance, a smaller value the first usable
// instance of the object (its descendants' included).
CInstance* Followed(int32_t value)
{
    if (value >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(value);
        return Usable(instance) ? instance : nullptr;
    }
    CObject* object = Object_Data(value);
    if (object == nullptr) return nullptr;
    for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next)
        if (Usable(node->instance)) return node->instance;
    return nullptr;
}

// One axis of following: the view start moved to keep the point inside the border, then clamped
// to the room and limited by the speed.
int32_t FollowAxis(int32_t start, int32_t size, int32_t border, int32_t speed, int32_t point,
                   int32_t roomSize)
{
    int32_t moved = start;
    if (2 * border < size) {
        if (point - border < start)
            moved = point - border;
        else if (point + border > start + size)
            moved = point + border - size;
    } else {
        moved = point - size / 2;
    }
    if (moved < 0) moved = 0;
    if (moved + size > roomSize) moved = roomSize - size;
    if (speed >= 0 && std::abs(moved - start) > speed) moved = moved > start ? start + speed : start - speed;
    return moved;
}

void FollowInstance(RoomView& view, const CRoom& room)
{
    CInstance* instance = Followed(view.object);
    if (instance == nullptr) return;
    instance->GetBoundingBox();
    int32_t ix = Numbers_RoundToInt32(instance->i_x);
    int32_t iy = Numbers_RoundToInt32(instance->i_y);
    view.xview = FollowAxis(view.xview, view.wview, view.hborder, view.hspeed, ix, room.m_Width);
    view.yview = FollowAxis(view.yview, view.hview, view.vborder, view.vspeed, iy, room.m_Height);
}

void WholeWindow(int32_t projectionWidth, int32_t projectionHeight)
{
    GR_SetViewport(0, 0, GR_Window_GetWidth(), GR_Window_GetHeight());
    GR_SetViewProjection(0, 0, projectionWidth, projectionHeight, 0.0);
}

// Layers are clipped to the area drawn (a view, or the room in the window) and, where their tiles
// outnumber the pixels that area lands on, to the tiles that reach a pixel.
void DrawLayers(const CRoom& room, const RoomDrawRect& rect, bool foreground)
{
    TilePixels pixels;
    GR_ViewTilePixels(&pixels);
    for (const RoomBackground& layer : room.m_Backgrounds) {
        if (layer.visible == 0 || (layer.foreground != 0) != foreground || !Background_Exists(layer.index))
            continue;
        CBackground* background = Background_Data(layer.index);
        if (background == nullptr) continue;
        background->DrawTiled(layer.x, layer.y, layer.xscale, layer.yscale, layer.htiled != 0,
                              layer.vtiled != 0, float(rect.left), float(rect.top),
                              float(rect.right - rect.left), float(rect.bottom - rect.top), layer.blend,
                              layer.alpha, &pixels);
    }
}

void DrawView(CRoom& room, int32_t index)
{
    g_CurrentView = index;
    RoomView& view = room.m_Views[index];
    if (view.visible == 0) return;
    double savedX = g_RoomPortScaleX;
    double savedY = g_RoomPortScaleY;
    bool onSurface = false;
    if (view.surface >= 0 && Surface_Exists(view.surface) && Surface_CurrentTarget() != view.surface) {
        Graphics::Flush();
        onSurface = Surface_SetTarget(view.surface);
        g_RoomPortScaleX = 1.0;
        g_RoomPortScaleY = 1.0;
    }
    GR_SetViewProjection(view.xview, view.yview, view.wview, view.hview, view.angle);
    GR_SetViewport(Numbers_TruncToInt32(view.xport * g_RoomPortScaleX),
                   Numbers_TruncToInt32(view.yport * g_RoomPortScaleY),
                   Numbers_TruncToInt32(view.wport * g_RoomPortScaleX),
                   Numbers_TruncToInt32(view.hport * g_RoomPortScaleY));
    RoomDrawRect rect{view.xview, view.yview, view.xview + view.wview, view.yview + view.hview};
    if (std::fabs(view.angle) >= 0.001f) {
        // A turned view shows more than its rectangle; cull with one that holds every turn.
        rect =
            RoomDrawRect{view.xview - view.hview / 2, view.yview - view.wview / 2,
                         view.xview + view.wview + view.hview / 2, view.yview + view.hview + view.wview / 2};
    }
    Room_DrawRect(rect);
    if (onSurface) Surface_ResetTarget();
    g_RoomPortScaleX = savedX;
    g_RoomPortScaleY = savedY;
}

void DrawCursor()
{
    CSprite* sprite = Sprite_Exists(g_CursorSprite) ? Sprite_Get(g_CursorSprite) : nullptr;
    if (sprite == nullptr) return;
    int32_t x = 0;
    int32_t y = 0;
    GR_Window_WindowToRoomUnmapped(GR_Window_MouseGetX(), GR_Window_MouseGetY(), &x, &y);
    sprite->Draw(g_CursorFrame, float(x), float(y), 1.0f, 1.0f, 0.0f, 0xFFFFFFu, 1.0f);
    // The cursor animates by one frame each time it is drawn.
    ++g_CursorFrame;
}

bool TileOverlaps(const RoomTile& tile, const RoomDrawRect& rect)
{
    float x1 = tile.x;
    float x2 = tile.x + float(tile.width) * tile.xscale;
    float y1 = tile.y;
    float y2 = tile.y + float(tile.height) * tile.yscale;
    return std::max(x1, x2) >= float(rect.left) && std::min(x1, x2) <= float(rect.right) &&
           std::max(y1, y2) >= float(rect.top) && std::min(y1, y2) <= float(rect.bottom);
}

// A run of draw events through one handler: neighbours in the depth walk that are instances of one
// object run straight from the handler's prepared run, one after another, as long as no tile or
// particle depth falls between them (the walk then goes on the general way).
struct DrawnRun {
    CRoom* room;
    int32_t tile;      // the walk's next tile
    double particles;  // the walk's next particle depth
    int32_t objectIndex;
    uint32_t generation;
    CInstance* last;   // the instance drawn last
};

// The next drawable instance in the walk when it is drawn in the run: the walk's own choice for it
// (DrawContents) would be the instance, and its handler is still the run's.
CInstance* NextInDrawnRun(void* context)
{
    DrawnRun& run = *static_cast<DrawnRun*>(context);
    CInstance* next = run.last->m_pPrev;
    while (next != nullptr && !Drawable(next))
        next = next->m_pPrev;
    if (next == nullptr || next->i_objindex != run.objectIndex || run.generation != g_EventsGeneration ||
        g_RunRequest != RUN_REQUEST_NONE || (run.particles > PARTICLE_DEPTH_END && run.particles > next->i_depth))
        return nullptr;
    int32_t tile = run.tile;
    while (tile < run.room->m_TileCount && run.room->m_pTiles[tile].visible == 0)
        ++tile;
    if (tile < run.room->m_TileCount && run.room->m_pTiles[tile].depth > next->i_depth) return nullptr;
    run.last = next;
    GR_3D_SetDepth(ItemDepth(next->i_depth));
    Action_Relative = 0;
    g_CodeErrorFlag = false;
    return next;
}

// Draws `instance` and, when its draw event runs straight, the neighbours NextInDrawnRun hands; the
// instance the walk goes on from.
CInstance* DrawInstances(CRoom* room, CInstance* instance, int32_t tile, double particles)
{
    int32_t foundIn = instance->i_objindex;
    CEvent* handler = g_Drawer == &g_DefaultDrawer
                          ? Event_FindHandler(instance->i_objindex, EVENT_DRAW, DRAW_NORMAL, &foundIn)
                          : nullptr;
    DrawnRun run{room, tile, particles, instance->i_objindex, g_EventsGeneration, instance};
    if (handler == nullptr ||
        !Event_PerformStraightRuns(handler, foundIn, EVENT_DRAW, DRAW_NORMAL, instance, NextInDrawnRun, &run))
        g_Drawer->DrawInstance(instance);
    return run.last->m_pPrev;
}

} // namespace

double RoomContentDrawer::ParticleMaxDepth()
{
    return ParticleSystem_MaxDepth();
}

double RoomContentDrawer::ParticleNextDepthBelow(double depth)
{
    return ParticleSystem_NextDepthBelow(depth);
}

void RoomContentDrawer::DrawParticles(double depth)
{
    ParticleSystem_DrawAtDepth(depth);
}

void RoomContentDrawer::DrawInstance(CInstance* instance)
{
    int32_t foundIn = instance->i_objindex;
    if (CEvent* handler = Event_FindHandler(instance->i_objindex, EVENT_DRAW, DRAW_NORMAL, &foundIn)) {
        PerformFoundEvent(instance, instance, instance->i_objindex, EVENT_DRAW, DRAW_NORMAL, handler, foundIn);
        return;
    }
    CSprite* sprite = Sprite_Exists(instance->i_spriteindex) ? Sprite_Get(instance->i_spriteindex) : nullptr;
    if (sprite == nullptr) return;
    // An index past what a frame number holds draws as the lowest number, never an undefined cast.
    int32_t frame = Numbers_TruncToInt32(std::floor(static_cast<double>(instance->i_imageindex)));
    if (instance->i_imagescalex == 1.0f && instance->i_imagescaley == 1.0f &&
        instance->i_imageangle == 0.0f && instance->i_imageblend == 0xFFFFFFu &&
        instance->i_imagealpha == 1.0f) {
        sprite->DrawSimple(frame, instance->i_x, instance->i_y);
        return;
    }
    sprite->Draw(frame, instance->i_x, instance->i_y, instance->i_imagescalex, instance->i_imagescaley,
                 instance->i_imageangle, instance->i_imageblend, instance->i_imagealpha);
}

void RoomContentDrawer::DrawTile(const RoomTile& tile)
{
    if (!Background_Exists(tile.background) || !TileOverlaps(tile, g_RoomDrawRect)) return;
    CBackground* background = Background_Data(tile.background);
    if (background == nullptr) return;
    background->DrawPart(float(tile.left), float(tile.top), float(tile.width), float(tile.height), tile.x,
                         tile.y, tile.xscale, tile.yscale, tile.blend, tile.alpha);
}

void Room_SetContentDrawer(RoomContentDrawer* drawer)
{
    g_Drawer = drawer != nullptr ? drawer : &g_DefaultDrawer;
}

void Room_UpdateViews()
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    if (room->m_EnableViews != 0)
        for (RoomView& view : room->m_Views)
            if (view.visible != 0 && view.object != -1) FollowInstance(view, *room);
    Room_RegisterViews();
    // The window now maps what this drawing shows, until the next drawing.
    GR_Window_SetMappingSource(nullptr);
}

void Room_RegisterViews()
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    if (room->m_EnableViews == 0) {
        for (int32_t i = 0; i < ROOM_VIEWS; ++i)
            GR_Window_ClearViewMapping(i);
        // The whole room fills the window, which may be cut to the screen.
        GR_Window_SetShownSize(room->m_Width, room->m_Height);
        return;
    }
    GR_Window_SetShownSize(0, 0);
    int32_t left = 999999;
    int32_t right = -999999;
    int32_t top = 999999;
    int32_t bottom = -999999;
    for (int32_t i = 0; i < ROOM_VIEWS; ++i) {
        GR_Window_ClearViewMapping(i);
        const RoomView& v = room->m_Views[i];
        if (v.visible == 0) continue;
        GR_Window_SetViewMapping(i, float(v.xport), float(v.yport), float(v.wport), float(v.hport),
                                 float(v.xview), float(v.yview), float(v.wview), float(v.hview), v.angle);
        left = std::min(left, v.xport);
        right = std::max(right, v.xport + v.wport);
        top = std::min(top, v.yport);
        bottom = std::max(bottom, v.yport + v.hport);
    }
    // Without a visible port, or with ports of no extent, there is nothing to scale by.
    g_RoomPortScaleX = right > left ? double(GR_Window_GetWidth()) / double(right - left) : 1.0;
    g_RoomPortScaleY = bottom > top ? double(GR_Window_GetHeight()) / double(bottom - top) : 1.0;
    GR_Window_SetDisplayScale(g_RoomPortScaleX, g_RoomPortScaleY);
}

void Room_Draw()
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    Room_UpdateViews();
    room->SortTiles();
    if (room->m_EnableViews != 0) {
        GR_Draw_ClearAlpha(GR_Window_GetColour(), 1.0);
        for (int32_t i = 0; i < ROOM_VIEWS; ++i)
            DrawView(*room, i);
        Graphics::Flush();
        WholeWindow(GR_Window_GetWidth(), GR_Window_GetHeight());
    } else {
        g_CurrentView = 0;
        Graphics::Flush();
        WholeWindow(room->m_Width, room->m_Height);
        Room_DrawRect(RoomDrawRect{0, 0, room->m_Width, room->m_Height});
    }
    bool was3D = g_3DMode;
    GR_3D_Start(false);
    int32_t guiWidth = g_GUIWidth >= 0 ? g_GUIWidth : GR_Window_GetWidth();
    int32_t guiHeight = g_GUIHeight >= 0 ? g_GUIHeight : GR_Window_GetHeight();
    WholeWindow(guiWidth, guiHeight);
    Room_DrawGUI(RoomDrawRect{0, 0, guiWidth, guiHeight});
    GR_3D_Start(was3D);
    DrawCursor();
    g_CurrentView = 0;
}

void Room_DrawRect(const RoomDrawRect& rect)
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    g_RoomDrawRect = rect;
    GR_3D_ClearDepth();
    if (room->m_ShowColour != 0) GR_Draw_ClearAlpha(room->m_Colour, 1.0);
    GR_3D_SetDepth(ROOM_DEPTH_BACK_LAYERS);
    DrawLayers(*room, rect, false);
    Room_DrawContents(rect);
    GR_3D_SetDepth(ROOM_DEPTH_FRONT_LAYERS);
    DrawLayers(*room, rect, true);
    GR_3D_SetDepth(ROOM_DEPTH_AFTER_FRONT);
}

// Three sequences, each from its greatest depth down: the visible tiles in array order, the
// drawable instances from the tail of the active list (its greatest depth), and the particle depths.
// Draw events may add tiles or instances, so the walk re-reads the array and the links each time.
void Room_DrawContents(const RoomDrawRect& rect)
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    g_RoomDrawRect = rect;
    int32_t tile = 0;
    CInstance* instance = LastDrawable(room->m_Active);
    double particles = g_Drawer->ParticleMaxDepth();
    for (;;) {
        while (tile < room->m_TileCount && room->m_pTiles[tile].visible == 0)
            ++tile;
        while (instance != nullptr && !Drawable(instance))
            instance = instance->m_pPrev;
        bool hasTile = tile < room->m_TileCount;
        bool hasParticles = particles > PARTICLE_DEPTH_END;
        if (!hasTile && instance == nullptr && !hasParticles) break;
        double tileDepth = hasTile ? room->m_pTiles[tile].depth : 0.0;
        if (hasParticles && (instance == nullptr || particles > instance->i_depth) &&
            (!hasTile || particles >= tileDepth)) {
            GR_3D_SetDepth(ItemDepth(particles));
            g_Drawer->DrawParticles(particles);
            double next = g_Drawer->ParticleNextDepthBelow(particles);
            // A depth that does not go down would draw the same systems for ever.
            particles = next < particles ? next : PARTICLE_DEPTH_NONE;
        } else if (instance != nullptr && !(hasTile && tileDepth > instance->i_depth)) {
            GR_3D_SetDepth(ItemDepth(instance->i_depth));
            instance = DrawInstances(room, instance, tile, particles);
        } else if (hasTile) {
            RoomTile copy = room->m_pTiles[tile++];
            GR_3D_SetDepth(ItemDepth(copy.depth));
            g_Drawer->DrawTile(copy);
        } else {
            break;
        }
    }
}

void Room_DrawGUI(const RoomDrawRect& rect)
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    g_RoomDrawRect = rect;
    // Neighbours are mostly of one object: its handler (or that it has none) is looked up again only
    // at another object, or after code changed events.
    int32_t object = -1, foundIn = 0;
    uint32_t generation = g_EventsGeneration;
    CEvent* handler = nullptr;
    for (CInstance* instance = LastDrawable(room->m_Active); instance != nullptr; instance = instance->m_pPrev) {
        if (!Drawable(instance)) continue;
        if (instance->i_objindex != object || generation != g_EventsGeneration) {
            object = instance->i_objindex;
            generation = g_EventsGeneration;
            foundIn = object;
            handler = Event_FindHandler(object, EVENT_DRAW, DRAW_GUI, &foundIn);
        }
        if (handler != nullptr) PerformFoundEvent(instance, instance, object, EVENT_DRAW, DRAW_GUI, handler, foundIn);
    }
}

// The device reads the size of the current room and of the view being drawn.
void Room_CurrentViewForDevice(DeviceRoomView* view)
{
    *view = DeviceRoomView{};
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    view->hasRoom = true;
    view->width = room->m_Width;
    view->height = room->m_Height;
    if (room->m_EnableViews == 0 || g_CurrentView < 0 || g_CurrentView >= ROOM_VIEWS) return;
    const RoomView& current = room->m_Views[g_CurrentView];
    view->viewVisible = current.visible != 0;
    view->viewWidth = current.wview;
    view->viewHeight = current.hview;
    view->portWidth = current.wport;
    view->portHeight = current.hport;
}
