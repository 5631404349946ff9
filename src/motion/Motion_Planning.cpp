// The linear and potential-field planners. Distances and directions are computed in single
// precision, as the instance's own motion is.
#include "motion/Motion_Planning.h"

#include <cmath>

#include "instance/Instance_Class.h"
#include "path/Path_Table.h"
#include "run/Run_Commands.h"

namespace {

constexpr float POINT_SPEED = 100.0f;
constexpr double PI_F = 3.1415927410125732;

MotionSettings g_Settings;

float Distance(float x1, float y1, float x2, float y2)
{
    float dx = x2 - x1;
    float dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

// Into 0 up to 360; fmod gives what repeated steps of 360 give, and ends for huge values too.
float Normalised(float degrees)
{
    float d = std::fmod(degrees, 360.0f);
    return d < 0.0f ? d + 360.0f : d;
}

void MoveTo(CInstance* instance, float direction, float x, float y)
{
    instance->SetDirection(direction);
    instance->SetPosition(x, y);
}

// Where a path form found the instance, to put it back afterwards.
struct Placement {
    float x;
    float y;
    float direction;
};

Placement Remember(CInstance* instance)
{
    return {instance->i_x, instance->i_y, instance->i_direction};
}

void PutBack(CInstance* instance, const Placement& at)
{
    instance->SetPosition(at.x, at.y);
    instance->SetDirection(at.direction);
}

// Cleared, straight, open and starting at the instance's position; null when there is no path.
CPath* StartPath(int32_t index, CInstance* instance)
{
    CPath* path = Path_Data(index);
    if (path == nullptr) return nullptr;
    path->Clear();
    path->SetKind(PATH_KIND_STRAIGHT);
    path->SetClosed(false);
    path->AddPoint(instance->i_x, instance->i_y, POINT_SPEED);
    return path;
}

// A path form plans only with a positive, finite step size and a finite goal: a NaN would move the
// instance to NaN and the planning would never end.
bool PlannableStep(float xgoal, float ygoal, float stepSize)
{
    return std::isfinite(xgoal) && std::isfinite(ygoal) && std::isfinite(stepSize) && stepSize > 0.0f;
}

// Heading t, when it turns no more than the maximum rotation from the current direction and both
// the look-ahead point and the next point are free: the instance moves one step along it.
bool TryDirection(CInstance* instance, float t, float stepSize, int32_t obj, bool checkAll)
{
    float turn = std::fabs(Normalised(t) - Normalised(instance->i_direction));
    if (turn > 180.0f) turn = 360.0f - turn;
    // Written so that a NaN heading fails too.
    if (!(turn <= g_Settings.maxRotation)) return false;
    double radians = double(t) * PI_F / 180.0;
    float c = float(std::cos(radians));
    float s = float(std::sin(radians));
    float ahead = g_Settings.lookAhead * stepSize;
    float x = instance->i_x;
    float y = instance->i_y;
    if (!MP_PlaceFree(instance, x + c * ahead, y - s * ahead, obj, checkAll)) return false;
    if (!MP_PlaceFree(instance, x + c * stepSize, y - s * stepSize, obj, checkAll)) return false;
    MoveTo(instance, t, x + c * stepSize, y - s * stepSize);
    return true;
}

// Without movement a potential step turns at most by the maximum rotation; after this many steps in
// place every heading has been tried, and the path form gives up.
int32_t StepsWithoutMovement()
{
    return int32_t(std::ceil(360.0f / g_Settings.maxRotation)) + 1;
}

} // namespace

float MP_Direction(float x1, float y1, float x2, float y2)
{
    float dx = x2 - x1;
    float dy = y2 - y1;
    if (dx == 0.0f) {
        if (dy > 0.0f) return 270.0f;
        if (dy < 0.0f) return 90.0f;
        if (dy == 0.0f) return 0.0f;
    }
    float d = float(std::atan2(double(dy), double(dx)) * 180.0 / PI_F);
    return d > 0.0f ? 360.0f - d : -d;
}

bool MP_PlaceFree(CInstance* instance, float x, float y, int32_t obj, bool checkAll)
{
    if (obj != TARGET_ALL) return !Run_PlaceMeeting(instance, obj, x, y);
    return checkAll ? Run_PlaceEmpty(instance, x, y) : Run_PlaceFree(instance, x, y);
}

const MotionSettings& MP_Settings()
{
    return g_Settings;
}

void MP_PotentialSettings(float maxRotation, float rotationStep, float lookAhead, bool onTheSpot)
{
    // A NaN counts as below 1: as the maximum rotation it would forbid every heading and turn the
    // instance to NaN.
    auto atLeastOne = [](float value) { return value >= 1.0f ? value : 1.0f; };
    g_Settings = {atLeastOne(maxRotation), atLeastOne(rotationStep), atLeastOne(lookAhead), onTheSpot};
}

bool MP_LinearStep(CInstance* instance, float xgoal, float ygoal, float stepSize, int32_t obj, bool checkAll)
{
    float x = instance->i_x;
    float y = instance->i_y;
    if (x == xgoal && y == ygoal) return true;
    float dist = Distance(x, y, xgoal, ygoal);
    bool reached = stepSize >= dist;
    float nx = reached ? xgoal : x + (xgoal - x) * stepSize / dist;
    float ny = reached ? ygoal : y + (ygoal - y) * stepSize / dist;
    if (MP_PlaceFree(instance, nx, ny, obj, checkAll)) MoveTo(instance, MP_Direction(x, y, nx, ny), nx, ny);
    return reached;
}

bool MP_LinearPath(CInstance* instance, int32_t pathIndex, float xgoal, float ygoal, float stepSize,
                   int32_t obj, bool checkAll)
{
    if (Path_Data(pathIndex) == nullptr || !PlannableStep(xgoal, ygoal, stepSize)) return false;
    Placement start = Remember(instance);
    CPath* path = StartPath(pathIndex, instance);
    float px = start.x;
    float py = start.y;
    while (!MP_LinearStep(instance, xgoal, ygoal, stepSize, obj, checkAll)) {
        if (instance->i_x == px && instance->i_y == py) {
            PutBack(instance, start);
            return false;
        }
        px = instance->i_x;
        py = instance->i_y;
        path->AddPoint(px, py, POINT_SPEED);
    }
    path->AddPoint(xgoal, ygoal, POINT_SPEED);
    PutBack(instance, start);
    return true;
}

bool MP_PotentialStep(CInstance* instance, float xgoal, float ygoal, float stepSize, int32_t obj,
                      bool checkAll)
{
    float x = instance->i_x;
    float y = instance->i_y;
    if (x == xgoal && y == ygoal) return true;
    if (stepSize >= Distance(x, y, xgoal, ygoal)) {
        if (MP_PlaceFree(instance, xgoal, ygoal, obj, checkAll))
            MoveTo(instance, MP_Direction(x, y, xgoal, ygoal), xgoal, ygoal);
        return true;
    }
    float d = MP_Direction(x, y, xgoal, ygoal);
    for (float a = 0.0f; a < 180.0f; a += g_Settings.rotationStep) {
        if (TryDirection(instance, d - a, stepSize, obj, checkAll)) return false;
        if (TryDirection(instance, d + a, stepSize, obj, checkAll)) return false;
    }
    if (g_Settings.onTheSpot) instance->SetDirection(instance->i_direction + g_Settings.maxRotation);
    return false;
}

bool MP_PotentialPath(CInstance* instance, int32_t pathIndex, float xgoal, float ygoal, float stepSize,
                      float factor, int32_t obj, bool checkAll)
{
    if (Path_Data(pathIndex) == nullptr || !PlannableStep(xgoal, ygoal, stepSize)) return false;
    // Written so that a NaN factor fails too; an infinite one would never end a wandering search.
    if (!(factor >= 1.0f) || !std::isfinite(factor)) return false;
    Placement start = Remember(instance);
    float longest = Distance(start.x, start.y, xgoal, ygoal) * factor;
    CPath* path = StartPath(pathIndex, instance);
    int32_t still = 0;
    float px = start.x;
    float py = start.y;
    while (!MP_PotentialStep(instance, xgoal, ygoal, stepSize, obj, checkAll)) {
        still = instance->i_x == px && instance->i_y == py ? still + 1 : 0;
        px = instance->i_x;
        py = instance->i_y;
        path->AddPoint(px, py, POINT_SPEED);
        if (path->GetLength() > longest || still >= StepsWithoutMovement()) {
            PutBack(instance, start);
            return false;
        }
    }
    path->AddPoint(xgoal, ygoal, POINT_SPEED);
    PutBack(instance, start);
    return true;
}
