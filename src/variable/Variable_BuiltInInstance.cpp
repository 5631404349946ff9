// The per-instance built-in variables: the fields of the instance the code runs for, and their
// registration (which fixes their identifiers: x is 0). Without an instance they neither read nor
// write.
#include <cstddef>
#include <type_traits>

#include "instance/Instance_Class.h"
#include "sprite/Sprite_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_BuiltInFamilies.h"

using namespace builtin;

namespace {

// ---- the sprite the size variables read ----------------------------------------------------------

bool SpriteTableSize(int32_t sprite, BuiltinSpriteSize* out)
{
    const CSprite* data = Sprite_Get(sprite);
    if (data == nullptr) return false;
    out->width = data->GetWidth();
    out->height = data->GetHeight();
    out->xorigin = data->GetXOrigin();
    out->yorigin = data->GetYOrigin();
    return true;
}

BuiltinSpriteLookup g_SpriteLookup = SpriteTableSize;

// The sprite's measure times the scale; 0 without a sprite.
bool ScaledSpriteMeasure(CInstance* instance, ScriptValue* out, int32_t BuiltinSpriteSize::*measure,
                         float scale)
{
    BuiltinSpriteSize size{};
    if (!g_SpriteLookup(instance->i_spriteindex, &size)) return Real(out, 0.0);
    return Real(out, static_cast<double>(size.*measure) * static_cast<double>(scale));
}

// ---- plain fields --------------------------------------------------------------------------------

// Most per-instance variables read one field and store into it with the field's conversion, which
// reads only the value's real: each is also a typed accessor on doubles (GR_ and SR_), which the
// interpreter calls without a value in between.
#define INSTANCE_GET(Name, expression)                                                                       \
    double GR_##Name(CInstance* instance)                                                                    \
    {                                                                                                        \
        return static_cast<double>(expression);                                                              \
    }                                                                                                        \
    bool GV_##Name(CInstance* instance, int32_t, ScriptValue* out)                                           \
    {                                                                                                        \
        if (instance == nullptr) return false;                                                               \
        return Real(out, GR_##Name(instance));                                                               \
    }
#define INSTANCE_SET(Name, statement)                                                                        \
    void SR_##Name(CInstance* instance, double real)                                                         \
    {                                                                                                        \
        const ScriptValue number = {VALUE_REAL, 0, real};                                                    \
        const ScriptValue* value = &number;                                                                  \
        statement;                                                                                           \
    }                                                                                                        \
    bool SV_##Name(CInstance* instance, int32_t, const ScriptValue* value)                                   \
    {                                                                                                        \
        if (instance == nullptr) return false;                                                               \
        SR_##Name(instance, value->real);                                                                    \
        return true;                                                                                         \
    }

INSTANCE_GET(X, instance->i_x)
INSTANCE_SET(X, instance->SetX(Float(value)))
INSTANCE_GET(Y, instance->i_y)
INSTANCE_SET(Y, instance->SetY(Float(value)))
INSTANCE_GET(XPrevious, instance->i_xprevious)
INSTANCE_SET(XPrevious, instance->SetXPrevious(Float(value)))
INSTANCE_GET(YPrevious, instance->i_yprevious)
INSTANCE_SET(YPrevious, instance->SetYPrevious(Float(value)))
INSTANCE_GET(XStart, instance->i_xstart)
INSTANCE_SET(XStart, instance->SetXStart(Float(value)))
INSTANCE_GET(YStart, instance->i_ystart)
INSTANCE_SET(YStart, instance->SetYStart(Float(value)))
INSTANCE_GET(HSpeed, instance->i_hspeed)
INSTANCE_SET(HSpeed, instance->SetHSpeed(Float(value)))
INSTANCE_GET(VSpeed, instance->i_vspeed)
INSTANCE_SET(VSpeed, instance->SetVSpeed(Float(value)))
INSTANCE_GET(Direction, instance->i_direction)
INSTANCE_SET(Direction, instance->SetDirection(Float(value)))
INSTANCE_GET(Speed, instance->i_speed)
INSTANCE_SET(Speed, instance->SetSpeed(Float(value)))
INSTANCE_GET(Friction, instance->i_friction)
INSTANCE_SET(Friction, instance->SetFriction(Float(value)))
INSTANCE_GET(Gravity, instance->i_gravity)
INSTANCE_SET(Gravity, instance->SetGravity(Float(value)))
INSTANCE_GET(GravityDirection, instance->i_gravitydir)
INSTANCE_SET(GravityDirection, instance->SetGravityDirection(Float(value)))
INSTANCE_GET(ObjectIndex, instance->GetObjectIndex())
INSTANCE_GET(Id, instance->GetId())
INSTANCE_GET(Solid, instance->i_solid)
INSTANCE_SET(Solid, instance->SetSolid(FlagNonZero(value)))
INSTANCE_GET(Visible, instance->i_visible)
INSTANCE_SET(Visible, instance->SetVisible(FlagNonZero(value)))
INSTANCE_GET(Persistent, instance->i_persistent)
INSTANCE_SET(Persistent, instance->SetPersistent(FlagNonZero(value)))
INSTANCE_GET(Depth, instance->i_depth)
INSTANCE_GET(SpriteIndex, instance->i_spriteindex)
INSTANCE_SET(SpriteIndex, instance->SetSpriteIndex(Integer(value)))
INSTANCE_GET(ImageIndex, instance->i_imageindex)
INSTANCE_SET(ImageIndex, instance->SetImageIndex(Float(value)))
INSTANCE_GET(ImageNumber, instance->GetImageNumber())
INSTANCE_GET(ImageXScale, instance->i_imagescalex)
INSTANCE_SET(ImageXScale, instance->SetImageXScale(Float(value)))
INSTANCE_GET(ImageYScale, instance->i_imagescaley)
INSTANCE_SET(ImageYScale, instance->SetImageYScale(Float(value)))
INSTANCE_GET(ImageAngle, instance->i_imageangle)
INSTANCE_SET(ImageAngle, instance->SetImageAngle(Float(value)))
INSTANCE_GET(ImageAlpha, instance->i_imagealpha)
INSTANCE_SET(ImageAlpha, instance->SetImageAlpha(Float(value)))
INSTANCE_GET(ImageBlend, instance->i_imageblend)
INSTANCE_SET(ImageBlend, instance->SetImageBlend(Colour(value)))
INSTANCE_GET(ImageSpeed, instance->i_imagespeed)
INSTANCE_SET(ImageSpeed, instance->SetImageSpeed(Float(value)))
INSTANCE_GET(MaskIndex, instance->i_maskindex)
INSTANCE_SET(MaskIndex, instance->SetMaskIndex(Integer(value)))
INSTANCE_GET(PathIndex, instance->i_pathindex)
INSTANCE_GET(PathPosition, instance->i_pathposition)
INSTANCE_SET(PathPosition, instance->SetPathPosition(Float(value)))
INSTANCE_GET(PathPositionPrevious, instance->i_pathpositionprevious)
INSTANCE_SET(PathPositionPrevious, instance->SetPathPositionPrevious(Float(value)))
INSTANCE_GET(PathSpeed, instance->i_pathspeed)
INSTANCE_SET(PathSpeed, instance->SetPathSpeed(Float(value)))
INSTANCE_GET(PathScale, instance->i_pathscale)
INSTANCE_SET(PathScale, instance->SetPathScale(Float(value)))
INSTANCE_GET(PathOrientation, instance->i_pathorientation)
INSTANCE_SET(PathOrientation, instance->SetPathOrientation(Float(value)))
INSTANCE_GET(PathEndAction, instance->i_pathend)
INSTANCE_SET(PathEndAction, instance->SetPathEnd(Integer(value)))
INSTANCE_GET(TimelineIndex, instance->i_timelineindex)
INSTANCE_SET(TimelineIndex, instance->SetTimelineIndex(Integer(value)))
INSTANCE_GET(TimelinePosition, instance->i_timelineposition)
INSTANCE_SET(TimelinePosition, instance->SetTimelinePosition(Float(value)))
INSTANCE_GET(TimelineSpeed, instance->i_timelinespeed)
INSTANCE_SET(TimelineSpeed, instance->SetTimelineSpeed(Float(value)))
INSTANCE_GET(TimelineRunning, instance->i_timelinerunning)
INSTANCE_SET(TimelineRunning, instance->SetTimelineRunning(FlagAtLeastOne(value)))
INSTANCE_GET(TimelineLoop, instance->i_timelineloop)
INSTANCE_SET(TimelineLoop, instance->SetTimelineLoop(FlagAtLeastOne(value)))

#undef INSTANCE_GET
#undef INSTANCE_SET

// ---- variables with rules of their own -----------------------------------------------------------

bool GV_Alarm(CInstance* instance, int32_t index, ScriptValue* out)
{
    if (instance == nullptr) return false;
    return Real(out, instance->GetAlarm(Element(index, INSTANCE_ALARM_COUNT)));
}

bool SV_Alarm(CInstance* instance, int32_t index, const ScriptValue* value)
{
    if (instance == nullptr) return false;
    instance->SetAlarm(Element(index, INSTANCE_ALARM_COUNT), Integer(value));
    return true;
}

// A changed depth is stored at once; the frame moves the instance in the room's list later.
bool SV_Depth(CInstance* instance, int32_t, const ScriptValue* value)
{
    if (instance == nullptr) return false;
    float depth = Float(value);
    if (!(depth == instance->i_depth)) {
        instance->SetDepth(depth);
        g_InstanceDepthChanges.Add(instance);
    }
    return true;
}

bool GetBox(CInstance* instance, ScriptValue* out, int32_t InstanceBox::*edge)
{
    if (instance == nullptr) return false;
    return Real(out, instance->GetBoundingBox().*edge);
}

bool GV_BBoxLeft(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetBox(instance, out, &InstanceBox::left);
}
bool GV_BBoxRight(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetBox(instance, out, &InstanceBox::right);
}
bool GV_BBoxTop(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetBox(instance, out, &InstanceBox::top);
}
bool GV_BBoxBottom(CInstance* instance, int32_t, ScriptValue* out)
{
    return GetBox(instance, out, &InstanceBox::bottom);
}

// An animating instance reads -1; a still one its frame.
bool GV_ImageSingle(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    return Real(out, instance->i_imagespeed != 0.0f ? -1.0 : static_cast<double>(instance->i_imageindex));
}

bool SV_ImageSingle(CInstance* instance, int32_t, const ScriptValue* value)
{
    if (instance == nullptr) return false;
    if (value->real >= 0.0) {
        instance->SetImageIndex(Float(value));
        instance->SetImageSpeed(0.0f);
    } else {
        instance->SetImageSpeed(1.0f);
    }
    return true;
}

bool GV_SpriteWidth(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    return ScaledSpriteMeasure(instance, out, &BuiltinSpriteSize::width, instance->i_imagescalex);
}

bool GV_SpriteHeight(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    return ScaledSpriteMeasure(instance, out, &BuiltinSpriteSize::height, instance->i_imagescaley);
}

bool GV_SpriteXOffset(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    return ScaledSpriteMeasure(instance, out, &BuiltinSpriteSize::xorigin, instance->i_imagescalex);
}

bool GV_SpriteYOffset(CInstance* instance, int32_t, ScriptValue* out)
{
    if (instance == nullptr) return false;
    return ScaledSpriteMeasure(instance, out, &BuiltinSpriteSize::yorigin, instance->i_imagescaley);
}

bool GV_WebGLEnabled(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, 1.0);
}

// The place of a float member that a row's getter returns as it is. The record is not of standard
// layout, which is all offsetof warns of: it has no virtual parts, so the place is fixed.
template <typename T>
constexpr int32_t FloatAt(size_t at)
{
    static_assert(std::is_same_v<T, float>, "read in place as a float");
    return static_cast<int32_t>(at);
}
#define FLOAT_FIELD(member) FloatAt<decltype(CInstance::member)>(offsetof(CInstance, member))
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

// In registration order: the row is the variable's identifier.
const BuiltinVariableRow INSTANCE_VARIABLES[] = {
    {"x", GV_X, SV_X, GR_X, SR_X, FLOAT_FIELD(i_x)},
    {"y", GV_Y, SV_Y, GR_Y, SR_Y, FLOAT_FIELD(i_y)},
    {"xprevious", GV_XPrevious, SV_XPrevious, GR_XPrevious, SR_XPrevious, FLOAT_FIELD(i_xprevious)},
    {"yprevious", GV_YPrevious, SV_YPrevious, GR_YPrevious, SR_YPrevious, FLOAT_FIELD(i_yprevious)},
    {"xstart", GV_XStart, SV_XStart, GR_XStart, SR_XStart, FLOAT_FIELD(i_xstart)},
    {"ystart", GV_YStart, SV_YStart, GR_YStart, SR_YStart, FLOAT_FIELD(i_ystart)},
    {"hspeed", GV_HSpeed, SV_HSpeed, GR_HSpeed, SR_HSpeed, FLOAT_FIELD(i_hspeed)},
    {"vspeed", GV_VSpeed, SV_VSpeed, GR_VSpeed, SR_VSpeed, FLOAT_FIELD(i_vspeed)},
    {"direction", GV_Direction, SV_Direction, GR_Direction, SR_Direction, FLOAT_FIELD(i_direction)},
    {"speed", GV_Speed, SV_Speed, GR_Speed, SR_Speed, FLOAT_FIELD(i_speed)},
    {"friction", GV_Friction, SV_Friction, GR_Friction, SR_Friction, FLOAT_FIELD(i_friction)},
    {"gravity", GV_Gravity, SV_Gravity, GR_Gravity, SR_Gravity, FLOAT_FIELD(i_gravity)},
    {"gravity_direction", GV_GravityDirection, SV_GravityDirection, GR_GravityDirection, SR_GravityDirection, FLOAT_FIELD(i_gravitydir)},
    {"object_index", GV_ObjectIndex, nullptr, GR_ObjectIndex, nullptr},
    {"id", GV_Id, nullptr, GR_Id, nullptr},
    {"alarm", GV_Alarm, SV_Alarm},
    {"solid", GV_Solid, SV_Solid, GR_Solid, SR_Solid},
    {"visible", GV_Visible, SV_Visible, GR_Visible, SR_Visible},
    {"persistent", GV_Persistent, SV_Persistent, GR_Persistent, SR_Persistent},
    {"depth", GV_Depth, SV_Depth, GR_Depth, nullptr},
    {"bbox_left", GV_BBoxLeft, nullptr},
    {"bbox_right", GV_BBoxRight, nullptr},
    {"bbox_top", GV_BBoxTop, nullptr},
    {"bbox_bottom", GV_BBoxBottom, nullptr},
    {"sprite_index", GV_SpriteIndex, SV_SpriteIndex, GR_SpriteIndex, SR_SpriteIndex},
    {"image_index", GV_ImageIndex, SV_ImageIndex, GR_ImageIndex, SR_ImageIndex, FLOAT_FIELD(i_imageindex)},
    {"image_single", GV_ImageSingle, SV_ImageSingle},
    {"image_number", GV_ImageNumber, nullptr, GR_ImageNumber, nullptr},
    {"sprite_width", GV_SpriteWidth, nullptr},
    {"sprite_height", GV_SpriteHeight, nullptr},
    {"sprite_xoffset", GV_SpriteXOffset, nullptr},
    {"sprite_yoffset", GV_SpriteYOffset, nullptr},
    {"image_xscale", GV_ImageXScale, SV_ImageXScale, GR_ImageXScale, SR_ImageXScale, FLOAT_FIELD(i_imagescalex)},
    {"image_yscale", GV_ImageYScale, SV_ImageYScale, GR_ImageYScale, SR_ImageYScale, FLOAT_FIELD(i_imagescaley)},
    {"image_angle", GV_ImageAngle, SV_ImageAngle, GR_ImageAngle, SR_ImageAngle, FLOAT_FIELD(i_imageangle)},
    {"image_alpha", GV_ImageAlpha, SV_ImageAlpha, GR_ImageAlpha, SR_ImageAlpha, FLOAT_FIELD(i_imagealpha)},
    {"image_blend", GV_ImageBlend, SV_ImageBlend, GR_ImageBlend, SR_ImageBlend},
    {"image_speed", GV_ImageSpeed, SV_ImageSpeed, GR_ImageSpeed, SR_ImageSpeed, FLOAT_FIELD(i_imagespeed)},
    {"mask_index", GV_MaskIndex, SV_MaskIndex, GR_MaskIndex, SR_MaskIndex},
    {"path_index", GV_PathIndex, nullptr, GR_PathIndex, nullptr},
    {"path_position", GV_PathPosition, SV_PathPosition, GR_PathPosition, SR_PathPosition},
    {"path_positionprevious", GV_PathPositionPrevious, SV_PathPositionPrevious, GR_PathPositionPrevious, SR_PathPositionPrevious},
    {"path_speed", GV_PathSpeed, SV_PathSpeed, GR_PathSpeed, SR_PathSpeed},
    {"path_scale", GV_PathScale, SV_PathScale, GR_PathScale, SR_PathScale},
    {"path_orientation", GV_PathOrientation, SV_PathOrientation, GR_PathOrientation, SR_PathOrientation},
    {"path_endaction", GV_PathEndAction, SV_PathEndAction, GR_PathEndAction, SR_PathEndAction},
    {"timeline_index", GV_TimelineIndex, SV_TimelineIndex, GR_TimelineIndex, SR_TimelineIndex},
    {"timeline_position", GV_TimelinePosition, SV_TimelinePosition, GR_TimelinePosition, SR_TimelinePosition},
    {"timeline_speed", GV_TimelineSpeed, SV_TimelineSpeed, GR_TimelineSpeed, SR_TimelineSpeed},
    {"timeline_running", GV_TimelineRunning, SV_TimelineRunning, GR_TimelineRunning, SR_TimelineRunning},
    {"timeline_loop", GV_TimelineLoop, SV_TimelineLoop, GR_TimelineLoop, SR_TimelineLoop},
    {"async_load", GV_AsyncLoad, nullptr},
    {"phy_rotation", GV_PhyRotation, SV_PhyRotation},
    {"phy_position_x", GV_PhyPositionX, SV_PhyPositionX},
    {"phy_position_y", GV_PhyPositionY, SV_PhyPositionY},
    {"phy_angular_velocity", GV_PhyAngularVelocity, SV_PhyAngularVelocity},
    {"phy_linear_velocity_x", GV_PhyLinearVelocityX, SV_PhyLinearVelocityX},
    {"phy_linear_velocity_y", GV_PhyLinearVelocityY, SV_PhyLinearVelocityY},
    {"phy_speed_x", GV_PhySpeedX, SV_PhySpeedX},
    {"phy_speed_y", GV_PhySpeedY, SV_PhySpeedY},
    {"phy_bullet", GV_PhyBullet, SV_PhyBullet},
    {"phy_fixed_rotation", GV_PhyFixedRotation, SV_PhyFixedRotation},
    {"phy_active", GV_PhyActive, SV_PhyActive},
    {"phy_mass", GV_PhyMass, nullptr},
    {"phy_inertia", GV_PhyInertia, nullptr},
    {"phy_com_x", GV_PhyComX, nullptr},
    {"phy_com_y", GV_PhyComY, nullptr},
    {"phy_dynamic", GV_PhyDynamic, nullptr},
    {"phy_kinematic", GV_PhyKinematic, nullptr},
    {"phy_sleeping", GV_PhySleeping, nullptr},
    {"phy_collision_points", GV_PhyCollisionPoints, nullptr},
    {"phy_collision_x", GV_PhyCollisionX, nullptr},
    {"phy_collision_y", GV_PhyCollisionY, nullptr},
    {"phy_col_normal_x", GV_PhyColNormalX, nullptr},
    {"phy_col_normal_y", GV_PhyColNormalY, nullptr},
    {"display_aa", GV_DisplayAA, nullptr},
    {"delta_time", GV_DeltaTime, nullptr},
    {"webgl_enabled", GV_WebGLEnabled, nullptr},
};
#pragma GCC diagnostic pop
#undef FLOAT_FIELD

} // namespace

void Variable_BuiltIn_SetSpriteLookup(BuiltinSpriteLookup lookup)
{
    g_SpriteLookup = lookup != nullptr ? lookup : SpriteTableSize;
}

void Variable_BuiltIn_AddRows(const BuiltinVariableRow* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        Variable_BuiltIn_Add(rows[i].name, rows[i].getter, rows[i].setter, rows[i].setter != nullptr);
        Variable_BuiltIn_SetRealAccess(g_BuiltinVariableCount - 1, rows[i].getReal, rows[i].setReal, rows[i].field);
    }
}

void Variable_BuiltIn_RegisterInstance()
{
    Variable_BuiltIn_AddRows(INSTANCE_VARIABLES, sizeof INSTANCE_VARIABLES / sizeof INSTANCE_VARIABLES[0]);
}
