// The saved form of an instance (saved games and room snapshots): typed numbers in a fixed order,
// then the variable list. A stream from a file is untrusted: it is read whole into a staging record
// and applied only when every value was there.
#include <cstdint>

#include "buffer/Buffer_IBuffer.h"
#include "instance/Instance_Class.h"
#include "variable/Variable_List.h"

namespace {

// The fields that travel, in the order they are written.
struct SavedInstance {
    int32_t id, deactivated, objindex, spriteindex;
    float imageindex, imagespeed, imagescalex, imagescaley, imageangle, imagealpha;
    uint32_t imageblend;
    int32_t maskindex;
    float depth;
    int32_t precise;
    float x, y, xstart, ystart, xprevious, yprevious, direction, speed, friction, gravitydir, gravity, hspeed, vspeed;
    int32_t left, right, top, bottom;
    int32_t visible, solid, persistent;
    int32_t timer[INSTANCE_ALARM_COUNT];
    int32_t marked;
    int32_t pathindex;
    float pathposition, pathpositionprevious, pathspeed, pathscale, pathorientation;
    int32_t pathend;
    float pathxstart, pathystart;
    int32_t timelineindex;
    float timelineposition, timelinespeed;
    int32_t timelinerunning, timelineloop;
};

// One pass over the fields for both directions, so that writing and reading cannot drift apart.
template <typename Visitor>
void VisitFields(SavedInstance& s, Visitor& v)
{
    v.Int(s.id), v.Int(s.deactivated), v.Int(s.objindex), v.Int(s.spriteindex);
    v.Float(s.imageindex), v.Float(s.imagespeed), v.Float(s.imagescalex), v.Float(s.imagescaley);
    v.Float(s.imageangle), v.Float(s.imagealpha), v.UInt(s.imageblend);
    v.Int(s.maskindex), v.Float(s.depth), v.Int(s.precise);
    v.Float(s.x), v.Float(s.y), v.Float(s.xstart), v.Float(s.ystart), v.Float(s.xprevious), v.Float(s.yprevious);
    v.Float(s.direction), v.Float(s.speed), v.Float(s.friction), v.Float(s.gravitydir), v.Float(s.gravity);
    v.Float(s.hspeed), v.Float(s.vspeed);
    v.Int(s.left), v.Int(s.right), v.Int(s.top), v.Int(s.bottom);
    v.Int(s.visible), v.Int(s.solid), v.Int(s.persistent);
    for (int32_t& alarm : s.timer) v.Int(alarm);
    v.Int(s.marked);
    v.Int(s.pathindex), v.Float(s.pathposition), v.Float(s.pathpositionprevious), v.Float(s.pathspeed);
    v.Float(s.pathscale), v.Float(s.pathorientation), v.Int(s.pathend), v.Float(s.pathxstart), v.Float(s.pathystart);
    v.Int(s.timelineindex), v.Float(s.timelineposition), v.Float(s.timelinespeed);
    v.Int(s.timelinerunning), v.Int(s.timelineloop);
}

struct Writer {
    IBuffer* buffer;
    bool ok = true;

    void Put(int32_t type, double number)
    {
        if (ok) ok = buffer->WriteNumber(type, number) == 0;
    }
    void Int(int32_t& value) { Put(eBuffer_S32, value); }
    void UInt(uint32_t& value) { Put(eBuffer_U32, value); }
    void Float(float& value) { Put(eBuffer_F32, value); }
};

// Typed reads that must deliver: each takes 4 bytes, a read past the end fails, and so does a
// number the field's type cannot hold.
struct Reader {
    ValueStreamReader stream;
    bool ok = true;

    explicit Reader(IBuffer* buffer) : stream(buffer) {}

    bool Take(int32_t type, double* out)
    {
        *out = 0.0;
        if (!ok || stream.budget < 4) return ok = false;
        ok = stream.buffer->ReadNumber(type, out);
        stream.budget -= 4;
        return ok;
    }
    void Int(int32_t& value)
    {
        double number;
        value = 0;
        if (!Take(eBuffer_S32, &number)) return;
        if (!(number >= INT32_MIN && number <= INT32_MAX)) {
            ok = false;
            return;
        }
        value = static_cast<int32_t>(number);
    }
    void UInt(uint32_t& value)
    {
        double number;
        value = 0;
        if (!Take(eBuffer_U32, &number)) return;
        if (!(number >= 0.0 && number <= UINT32_MAX)) {
            ok = false;
            return;
        }
        value = static_cast<uint32_t>(number);
    }
    void Float(float& value)
    {
        double number;
        Take(eBuffer_F32, &number);
        value = static_cast<float>(number);
    }
};

uint8_t Flag(int32_t value) { return static_cast<uint8_t>(value); }

} // namespace

bool CInstance::Serialise(IBuffer* buffer)
{
    GetBoundingBox();
    SavedInstance s = {i_id, i_deactivated, i_objindex, i_spriteindex, i_imageindex, i_imagespeed, i_imagescalex,
                       i_imagescaley, i_imageangle, i_imagealpha, i_imageblend, i_maskindex, i_depth, i_precise,
                       i_x, i_y, i_xstart, i_ystart, i_xprevious, i_yprevious, i_direction, i_speed, i_friction,
                       i_gravitydir, i_gravity, i_hspeed, i_vspeed, i_bbox.left, i_bbox.right, i_bbox.top,
                       i_bbox.bottom, i_visible, i_solid, i_persistent, {}, i_marked, i_pathindex, i_pathposition,
                       i_pathpositionprevious, i_pathspeed, i_pathscale, i_pathorientation, i_pathend,
                       i_pathxstart, i_pathystart, i_timelineindex, i_timelineposition, i_timelinespeed,
                       i_timelinerunning, i_timelineloop};
    for (int32_t i = 0; i < INSTANCE_ALARM_COUNT; ++i) s.timer[i] = i_timer[i];
    Writer writer{buffer};
    VisitFields(s, writer);
    if (!writer.ok) return false;
    if (m_pVariables != nullptr) return m_pVariables->Serialise(buffer);
    // Slot instances keep no list; they write the form of an empty one.
    CVariableList none;
    return none.Serialise(buffer);
}

bool CInstance::Deserialise(IBuffer* buffer, bool registerInObject)
{
    SavedInstance s = {};
    Reader reader(buffer);
    VisitFields(s, reader);
    if (!reader.ok) return false;
    CVariableList* variables = new CVariableList();
    if (!variables->LoadFromStream(buffer)) {
        delete variables;
        return false;
    }

    Instance_ForgetQuiet();
    m_Still = 0;
    i_deactivated = Flag(s.deactivated != 0 ? 1 : 0);
    SetObjectIndex(s.objindex, registerInObject && i_deactivated == 0);
    i_id = s.id;
    i_spriteindex = s.spriteindex;
    i_imageindex = s.imageindex;
    i_imagespeed = s.imagespeed;
    i_imagescalex = s.imagescalex;
    i_imagescaley = s.imagescaley;
    i_imageangle = s.imageangle;
    i_imagealpha = s.imagealpha;
    i_imageblend = s.imageblend;
    i_maskindex = s.maskindex;
    i_depth = s.depth;
    i_precise = Flag(s.precise);
    i_x = s.x;
    i_y = s.y;
    i_xstart = s.xstart;
    i_ystart = s.ystart;
    i_xprevious = s.xprevious;
    i_yprevious = s.yprevious;
    i_direction = s.direction;
    i_speed = s.speed;
    i_friction = s.friction;
    i_gravitydir = s.gravitydir;
    i_gravity = s.gravity;
    i_hspeed = s.hspeed;
    i_vspeed = s.vspeed;
    i_bbox = {s.left, s.top, s.right, s.bottom};
    // A saved box carries nothing of how it was made: the shape is looked up again, and a move
    // recomputes it.
    m_BoxFacts = 0;
    i_visible = Flag(s.visible);
    i_solid = Flag(s.solid);
    i_persistent = Flag(s.persistent);
    for (int32_t i = 0; i < INSTANCE_ALARM_COUNT; ++i) i_timer[i] = s.timer[i];
    i_marked = Flag(s.marked);
    i_pathindex = s.pathindex;
    i_pathposition = s.pathposition;
    i_pathpositionprevious = s.pathpositionprevious;
    i_pathspeed = s.pathspeed;
    i_pathscale = s.pathscale;
    i_pathorientation = s.pathorientation;
    i_pathend = s.pathend;
    i_pathxstart = s.pathxstart;
    i_pathystart = s.pathystart;
    i_timelineindex = s.timelineindex;
    i_timelineposition = s.timelineposition;
    i_timelinespeed = s.timelinespeed;
    i_timelinerunning = Flag(s.timelinerunning);
    i_timelineloop = Flag(s.timelineloop);
    if (m_pVariables != nullptr) {
        delete m_pVariables;
        m_pVariables = variables;
    } else {
        delete variables; // slot instances keep no list
    }
    return true;
}
