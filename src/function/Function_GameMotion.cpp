// The Game family's motion, place, distance, path and collision routines. All act on self and do
// nothing without one, leaving their preset result. Coordinates, directions and speeds are passed
// on as single reals; object arguments of the collision routines are rounded and never stand for
// self or other.
#include <cmath>
#include <cstdint>

#include "base/Base_Random.h"
#include "function/Function_Args.h"
#include "function/Function_Game.h"
#include "function/Function_Target.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "run/Run_Commands.h"
#include "run/Run_Place.h"
#include "run/Run_Game.h"

namespace {

constexpr int32_t RANDOM_PLACE_TRIES = 100;
constexpr double SNAP_TOLERANCE = 0.001;
constexpr float FAR_AWAY = 1000000.0f;
constexpr float WHOLE_WAY = -1.0f; // a move's maximum of 0 or less: 1000 steps

// ---- places and moves --------------------------------------------------------------------------

bool OffGrid(float value, double snap)
{
    if (!(snap > 0.0)) return false;
    double nearest = std::nearbyint(static_cast<double>(value) / snap) * snap;
    return std::fabs(static_cast<double>(value) - nearest) >= SNAP_TOLERANCE;
}

// A whole number from low towards high (exclusive), as far as the random draw reaches; the span
// is taken in 64 bits so that no range overflows, and an empty span gives low.
int64_t RandomIn(int32_t low, int32_t high)
{
    int64_t span = static_cast<int64_t>(high) - low;
    if (span > INT32_MAX || span < -INT32_MAX) span = span > 0 ? INT32_MAX : -INT32_MAX;
    return low + static_cast<int64_t>(Random_Int(static_cast<int32_t>(span)));
}

double SnapDown(int64_t value, int32_t snap)
{
    double v = static_cast<double>(value);
    return snap > 0 ? std::floor(v / snap) * snap : v;
}

// The ranges that keep self's whole box inside the room, or the room itself without a shape.
struct RandomRange {
    int32_t xmin, xmax, ymin, ymax;
};

RandomRange RangeInRoom(CInstance* self, const CRoom& room)
{
    if (!Game_HasSpriteOrMask(self)) return {0, room.m_Width, 0, room.m_Height};
    const InstanceBox& box = self->GetBoundingBox();
    double x = self->i_x, y = self->i_y;
    return {Numbers_RoundToInt32(x - box.left), Numbers_RoundToInt32(room.m_Width + x - box.right),
            Numbers_RoundToInt32(y - box.top), Numbers_RoundToInt32(room.m_Height + y - box.bottom)};
}

// One axis of move_wrap: past the near margin to the far side, then past the far margin back.
float WrapAxis(float value, float size, float margin)
{
    if (value < -margin) value = value + size + 2.0f * margin;
    if (value > size + margin) value = value - size - 2.0f * margin;
    return value;
}

// ---- distances ---------------------------------------------------------------------------------

// The gap between two box edges along one axis, 0 where they overlap.
int64_t Gap(int32_t lowA, int32_t highA, int32_t lowB, int32_t highB)
{
    if (lowA > highB) return static_cast<int64_t>(lowA) - highB;
    if (highA < lowB) return static_cast<int64_t>(highA) - lowB;
    return 0;
}

// The distance between the boxes of `to` and self; far away for a missing, own or hidden one. The
// squares are summed in 64 bits: whole-number gaps of tens of thousands overflow 32.
float BoxDistance(CInstance* self, CInstance* to)
{
    if (to == self || !Game_IsLive(to)) return FAR_AWAY;
    const InstanceBox& a = to->GetBoundingBox();
    const InstanceBox& b = self->GetBoundingBox();
    int64_t dx = Gap(a.left, a.right, b.left, b.right);
    int64_t dy = Gap(a.top, a.bottom, b.top, b.bottom);
    return static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

float NearestBox(CInstance* self, CInstance* other, int32_t target)
{
    float best = FAR_AWAY;
    auto keep = [&](CInstance* candidate) { best = std::fmin(best, BoxDistance(self, candidate)); };
    if (target == FUNCTION_TARGET_OTHER) {
        keep(other);
    } else if (target == FUNCTION_TARGET_ALL) {
        CInstanceList* list = Room_CurrentActiveList();
        for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr; i = i->m_pNext)
            keep(i);
    } else if (target >= INSTANCE_FIRST_ID) {
        keep(Instance_FindById(target));
    } else if (CObject* object = target >= 0 ? Object_Data(target) : nullptr) {
        for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next)
            keep(node->instance);
    }
    return best;
}

// ---- collisions --------------------------------------------------------------------------------

// The shape routines taking (x1, y1, x2, y2, obj, prec, notme).
typedef CInstance* (*ShapeSearch)(CInstance*, float, float, float, float, int32_t, int32_t, bool);

} // namespace

// ---- places ------------------------------------------------------------------------------------

namespace {

// The place tests and the collision searches read reals and answer one, and change nothing a
// script sees (a place test moves self only for the test): each row has a leaf form as well.
[[gnu::always_inline]] inline double PlaceFreeOf(CInstance* self, CInstance*, const double* reals)
{
    return self != nullptr && Run_PlaceFree(self, Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1])) ? 1 : 0;
}

[[gnu::always_inline]] inline double PlaceEmptyOf(CInstance* self, CInstance*, const double* reals)
{
    return self != nullptr && Run_PlaceEmpty(self, Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1])) ? 1 : 0;
}

[[gnu::always_inline]] inline double PlaceMeetingOf(CInstance* self, CInstance* other, const double* reals)
{
    if (self == nullptr) return 0;
    int32_t target = Numbers_RoundToInt32(reals[2]);
    // Only self and other (negative) stand for another target; objects and ids go as they are.
    if (target < 0) target = Function_SubstituteTarget(target, self, other);
    return Run_PlaceMeetingInline(self, target, Real_Float(reals[0]), Real_Float(reals[1])) ? 1 : 0;
}

} // namespace

FUNCTION_REAL_ROW(PlaceFree, 2, PlaceFreeOf)
FUNCTION_REAL_ROW(PlaceEmpty, 2, PlaceEmptyOf)
void Builtin_PlaceMeeting(ScriptValue* result, CInstance* self, CInstance* other, int32_t, ScriptValue* args)
{
    Routine_OfReals<3, PlaceMeetingOf>(result, self, other, args);
}

namespace {

[[gnu::noinline]] bool PlaceMeetingInFull(CInstance* self, CInstance* other, const double* top, double* result)
{
    return Leaf_OfReals<3, PlaceMeetingOf>(self, other, top, result);
}

} // namespace

// The mover's case, self meeting no instance of an object at a whole place (where it stands, or a
// step away), is answered here without a call, so that nothing is saved around it; anything else
// is the body's, called last. The target is rounded half to even, as the body rounds it, by the
// processor's conversion, which answers INT_MIN, no object, for what int32 cannot hold; the
// coordinates, arguments 1 and 0 in that order below it, are narrowed together as Real_Float
// narrows each.
bool Leaf_PlaceMeeting(CInstance* self, CInstance* other, const double* top, double* result)
{
    int32_t target = Real_Int(Leaf_Argument(top, 2));
    __m128d yx = _mm_loadu_pd(top - 2);
    if (self != nullptr && Run_SurelyMeetsNoneAt(*self, target, _mm_cvtpd_ps(_mm_shuffle_pd(yx, yx, 1)))) {
        *result = 0;
        return true;
    }
    return PlaceMeetingInFull(self, other, top, result);
}

void Builtin_PlaceSnapped(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    Result_Bool(result, !OffGrid(self->i_x, Arg_Real(args[0])) && !OffGrid(self->i_y, Arg_Real(args[1])));
}

// ---- moves -------------------------------------------------------------------------------------

void Game_MoveRandom(CInstance* self, int32_t hsnap, int32_t vsnap, int32_t tries)
{
    CRoom* room = Run_CurrentRoom();
    if (self == nullptr || room == nullptr) return;
    RandomRange range = RangeInRoom(self, *room);
    for (int32_t attempt = 0; attempt < tries; ++attempt) {
        auto x = static_cast<float>(SnapDown(RandomIn(range.xmin, range.xmax), hsnap));
        auto y = static_cast<float>(SnapDown(RandomIn(range.ymin, range.ymax), vsnap));
        if (Run_PlaceFree(self, x, y)) {
            self->SetPosition(x, y);
            return;
        }
    }
}

void Builtin_MoveRandom(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Game_MoveRandom(self, Arg_Int(args[0]), Arg_Int(args[1]), RANDOM_PLACE_TRIES);
}

void Builtin_MoveSnap(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveSnap(self, Arg_Float(args[0]), Arg_Float(args[1]));
}

void Builtin_MoveTowardsPoint(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveTowardsPoint(self, Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]));
}

void Builtin_MoveContact(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    if (Run_PlaceFree(self, self->i_x, self->i_y))
        Run_MoveContact(self, Arg_Float(args[0]), WHOLE_WAY, false);
    else
        Run_MoveOutside(self, Arg_Float(args[0]), WHOLE_WAY, false);
}

void Builtin_MoveContactSolid(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveContact(self, Arg_Float(args[0]), Arg_Float(args[1]), false);
}

void Builtin_MoveContactAll(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveContact(self, Arg_Float(args[0]), Arg_Float(args[1]), true);
}

void Builtin_MoveOutsideSolid(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveOutside(self, Arg_Float(args[0]), Arg_Float(args[1]), false);
}

void Builtin_MoveOutsideAll(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveOutside(self, Arg_Float(args[0]), Arg_Float(args[1]), true);
}

void Builtin_MoveBounceSolid(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveBounce(self, Arg_Flag(args[0]), false);
}

void Builtin_MoveBounceAll(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_MoveBounce(self, Arg_Flag(args[0]), true);
}

void Builtin_MoveWrap(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Run_CurrentRoom();
    if (self == nullptr || room == nullptr) return;
    float margin = Arg_Float(args[2]);
    if (Arg_Flag(args[0]))
        self->SetPosition(WrapAxis(self->i_x, static_cast<float>(room->m_Width), margin), self->i_y);
    if (Arg_Flag(args[1]))
        self->SetPosition(self->i_x, WrapAxis(self->i_y, static_cast<float>(room->m_Height), margin));
}

void Builtin_MotionSet(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetDirection(Arg_Float(args[0]));
    self->SetSpeed(Arg_Float(args[1]));
}

void Builtin_MotionAdd(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) self->AddMotion(Arg_Float(args[0]), Arg_Float(args[1]));
}

// ---- distances and paths -----------------------------------------------------------------------

void Builtin_DistanceToPoint(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    const InstanceBox& box = self->GetBoundingBox();
    double x = Arg_Float(args[0]), y = Arg_Float(args[1]);
    double dx = x > box.right ? x - box.right : x < box.left ? x - box.left : 0.0;
    double dy = y > box.bottom ? y - box.bottom : y < box.top ? y - box.top : 0.0;
    Result_Real(result, std::sqrt(dx * dx + dy * dy));
}

void Builtin_DistanceToObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                              ScriptValue* args)
{
    Result_Real(result, FAR_AWAY);
    if (self != nullptr) Result_Real(result, NearestBox(self, other, Arg_Trunc(args[0])));
}

// An absolute path (fourth argument 0.5 or more) moves self to the path's start.
void Builtin_PathStart(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->PathStart(Arg_Int(args[0]), Arg_Float(args[1]), 1.0f, 0.0f, !Arg_Flag(args[3]), Arg_Int(args[2]));
}

void Builtin_PathEnd(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->PathStart(-1, 0.0f, 1.0f, 0.0f, false, 0);
}

// ---- collisions --------------------------------------------------------------------------------

namespace {

[[gnu::always_inline]] inline double CollisionPointOf(CInstance* self, CInstance*, const double* reals)
{
    CInstance* found = Run_CollisionPoint(self, Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1]),
                                          Numbers_RoundToInt32(reals[2]), Real_Flag(reals[3]) ? 1 : 0, Real_Flag(reals[4]));
    return Game_IdOrNoone(found);
}

// The shape searches taking (x1, y1, x2, y2, obj, prec, notme).
template <ShapeSearch Search> [[gnu::always_inline]] inline double ShapeOf(CInstance* self, CInstance*, const double* reals)
{
    CInstance* found = Search(self, Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1]), Numbers_ToFloat(reals[2]),
                              Numbers_ToFloat(reals[3]), Numbers_RoundToInt32(reals[4]), Real_Flag(reals[5]) ? 1 : 0,
                              Real_Flag(reals[6]));
    return Game_IdOrNoone(found);
}

// The circle is the ellipse in its square, the centre and radius taken as single reals.
[[gnu::always_inline]] inline double CollisionCircleOf(CInstance* self, CInstance*, const double* reals)
{
    float xc = Numbers_ToFloat(reals[0]), yc = Numbers_ToFloat(reals[1]), r = Numbers_ToFloat(reals[2]);
    CInstance* found = Run_CollisionEllipse(self, xc - r, yc - r, xc + r, yc + r, Numbers_RoundToInt32(reals[3]),
                                            Real_Flag(reals[4]) ? 1 : 0, Real_Flag(reals[5]));
    return Game_IdOrNoone(found);
}

} // namespace

FUNCTION_REAL_ROW(CollisionPoint, 5, CollisionPointOf)
FUNCTION_REAL_ROW(CollisionRectangle, 7, ShapeOf<Run_CollisionRectangle>)
FUNCTION_REAL_ROW(CollisionEllipse, 7, ShapeOf<Run_CollisionEllipse>)
FUNCTION_REAL_ROW(CollisionLine, 7, ShapeOf<Run_CollisionLine>)
FUNCTION_REAL_ROW(CollisionCircle, 6, CollisionCircleOf)
