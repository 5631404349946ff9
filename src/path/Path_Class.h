// A path: control points, each with a speed factor, joined by straight lines or smoothed into
// quadratic curves, and the list of points in between that every edit rebuilds, so that a place at a
// fraction of the length is found without walking the curve again.
#pragma once

#include <cstdint>
#include <vector>

// A control point, as the game file stores it.
struct PathPoint {
    float x = 0.0f;
    float y = 0.0f;
    float speed = 0.0f;
};

// A point of the rebuilt list, with the running length from the first one.
struct PathInterpolated {
    float x = 0.0f;
    float y = 0.0f;
    float speed = 0.0f;
    float l = 0.0f;
};

constexpr int32_t PATH_KIND_STRAIGHT = 0;
constexpr int32_t PATH_KIND_SMOOTH = 1;
// Smoothing deeper than this only multiplies points (up to 2^depth per corner).
constexpr int32_t PATH_MAX_PRECISION = 8;
// The primitive layer keeps this many vertices of a strip; drawing stops there.
constexpr int32_t PATH_DRAW_MAX_VERTICES = 1001;

class CPath {
public:
    CPath() = default;
    virtual ~CPath() = default;
    CPath(const CPath&) = delete;
    CPath& operator=(const CPath&) = delete;

    float GetLength() const { return m_Length; }
    int32_t GetNumber() const { return static_cast<int32_t>(m_Points.size()); }
    // The kind as stored: a game file may hold any number (anything but 1 builds straight lines).
    int32_t GetKind() const { return m_Kind; }
    bool GetClosed() const { return m_Closed != 0; }
    // The precision as stored; smoothing uses it clamped to 0..8.
    int32_t GetPrecision() const { return m_Precision; }
    // Point n, or (0, 0) at speed 1 outside 0 .. count - 1.
    PathPoint GetPoint(int32_t n) const;
    // The place at a fraction of the length (clamped to the ends); (0, 0) at speed 100 when the path
    // has no interpolated points.
    void GetPositionAt(float position, float* x, float* y, float* speed) const;
    float GetXAt(float position) const;
    float GetYAt(float position) const;
    float GetSpeedAt(float position) const;
    const std::vector<PathInterpolated>& Interpolated() const { return m_Interpolated; }

    // 0 or 1; anything else (compared unsigned) gives 0.
    void SetKind(int32_t kind);
    void SetClosed(bool closed);
    // Clamped to 0..8.
    void SetPrecision(int32_t precision);
    // Returns the new point's index.
    int32_t AddPoint(float x, float y, float speed);
    // Only for 0 <= n <= count.
    void InsertPoint(int32_t n, float x, float y, float speed);
    // Only for 0 <= n < count.
    void ChangePoint(int32_t n, float x, float y, float speed);
    void DeletePoint(int32_t n);
    void Clear();
    void Reverse();
    void Shift(float dx, float dy);
    // The other path's points after this one's; a path may be appended to itself.
    void Append(const CPath* other);
    // Mirror, Flip, Rotate and Rescale turn the points about the middle of their bounding box.
    void Mirror();
    void Flip();
    // Degrees; a positive angle turns anticlockwise on screen.
    void Rotate(float angle);
    void Rescale(float xscale, float yscale);
    // Kind, closed flag, precision and points of the other path.
    void AssignFrom(const CPath& other);
    // Fields as the game file gives them (kind and precision as stored), then a rebuild.
    void SetFromFile(int32_t kind, bool closed, int32_t precision, std::vector<PathPoint> points);

    // A line strip through the path in the drawing colour: from where it lies when `absolute`
    // (callers give 0, 0), otherwise moved so that it starts at (x, y).
    void Draw(float x, float y, bool absolute) const;

private:
    void Rebuild();
    void BuildStraight();
    void BuildSmooth();
    void CurveStep(int32_t depth, const PathPoint& p0, const PathPoint& p1, const PathPoint& p2);
    void AppendInterpolated(double x, double y, double speed);
    void ComputeLength();
    void Centre(double* cx, double* cy) const;
    // Shifts by (-cx, -cy), applies `turn` to each point, shifts back; then a rebuild.
    template <typename Turn> void AboutCentre(Turn turn);

    std::vector<PathPoint> m_Points;
    std::vector<PathInterpolated> m_Interpolated;
    int32_t m_Kind = PATH_KIND_STRAIGHT;
    uint8_t m_Closed = 1;
    int32_t m_Precision = 4;
    float m_Length = 0.0f;
};
