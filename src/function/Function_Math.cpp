// The Math family: kind tests, array sizes, random numbers, rounding, elementary functions,
// aggregates, and point and vector helpers in degrees with y pointing down. Its text members live
// in Function_MathText.cpp; the registrar here adds both tables.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Base_Random.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_MathText.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

namespace {

// Games were written against single-precision trigonometry: pi, the snapping thresholds and the
// intermediate results are 32-bit floats.
constexpr float PI_F = 3.14159265358979323846f;
constexpr float TRIG_SNAP = 1e-5f;
constexpr float LENGTHDIR_SNAP = 1e-4f;

float Snap(float value)
{
    return std::fabs(value) < TRIG_SNAP ? 0.0f : value;
}

float Single(double value)
{
    return Numbers_ToFloat(value);
}

// ---- kinds and arrays ----------------------------------------------------------------------------

void Builtin_IsReal(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Arg_Kind(args[0]) == VALUE_REAL);
}

void Builtin_IsString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Arg_Kind(args[0]) == VALUE_STRING);
}

void Builtin_IsArray(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Arg_Kind(args[0]) == VALUE_ARRAY);
}

// The row's length; 0 when the value is no array or has no such row.
int32_t RowLength(const ScriptValue& value, int32_t row)
{
    const ValueArray* array = Value_GetArray(&value);
    if (array == nullptr || row < 0 || row >= array->rowCount) return 0;
    return array->rows[row].length;
}

void Builtin_ArrayLength1d(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, RowLength(args[0], 0));
}

void Builtin_ArrayLength2d(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Arg_IsReal(args[1])) Result_Real(result, RowLength(args[0], Arg_Int(args[1])));
}

void Builtin_ArrayHeight2d(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const ValueArray* array = Value_GetArray(&args[0]);
    Result_Real(result, array != nullptr ? array->rowCount : 0);
}

// ---- random numbers ------------------------------------------------------------------------------

// A 63-bit draw modulo |n|, with the sign of n. The magnitude is taken unsigned, so INT64_MIN (what
// NaN and huge values convert to) has one too.
int64_t DrawInteger(int64_t n)
{
    uint64_t first = Random_Next();
    uint64_t second = Random_Next();
    uint64_t r = ((second << 32) | first) & 0x7FFFFFFFFFFFFFFFull;
    uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    if (magnitude == 0) return 0;
    int64_t drawn = static_cast<int64_t>(r % magnitude);
    return n < 0 ? -drawn : drawn;
}

void Builtin_Random(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Random_Real(1.0) * Arg_Real(args[0]));
}

void Builtin_RandomRange(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double lo = std::min(Arg_Real(args[0]), Arg_Real(args[1]));
    double hi = std::max(Arg_Real(args[0]), Arg_Real(args[1]));
    Result_Real(result, lo + Random_Real(1.0) * (hi - lo));
}

void Builtin_Irandom(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double x = Arg_Real(args[0]);
    Result_Real(result, static_cast<double>(DrawInteger(Numbers_TruncToInt64(x < 0 ? x - 1 : x + 1))));
}

// The sum is taken in reals: a draw and a low end near the 64-bit limits would overflow.
void Builtin_IrandomRange(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double lo = std::min(Arg_Real(args[0]), Arg_Real(args[1]));
    double span = std::fabs(Arg_Real(args[0]) - Arg_Real(args[1]));
    int64_t drawn = DrawInteger(Numbers_TruncToInt64(span + 1));
    Result_Real(result, static_cast<double>(drawn) + static_cast<double>(Numbers_TruncToInt64(lo)));
}

void Builtin_RandomSetSeed(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Random_Seed(static_cast<uint32_t>(Numbers_TruncToInt64(Arg_Real(args[0]))));
}

void Builtin_RandomGetSeed(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Random_GetSeed());
}

void Builtin_Randomize(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    uint64_t t = static_cast<uint64_t>(Timing_Time());
    uint32_t high = static_cast<uint32_t>(t >> 32);
    uint32_t low = static_cast<uint32_t>(t);
    uint32_t seed = (high + low) ^ ((low >> 16) & 0xFFFFu) ^ (low << 16);
    Random_Seed(seed);
    Result_Real(result, static_cast<int32_t>(seed));
}

void Builtin_Choose(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc <= 0) return;
    uint32_t k = std::min<uint32_t>(Random_Int(argc), static_cast<uint32_t>(argc - 1));
    Value_Copy(result, &args[k]);
}

// ---- rounding and elementary functions -----------------------------------------------------------

// The rounding, elementary and point functions below that read reals and answer one are written
// as bodies of reals: each row has a leaf form as well.
[[gnu::always_inline]] inline double AbsOf(CInstance*, CInstance*, const double* reals)
{
    return std::fabs(Single(reals[0]));
}

// Half to even, INT_MIN for NaN and outside int32, as Numbers_RoundToInt32 rounds: by the processor's
// conversion, which a fraction (`round(lengthdir_x(2, a))`) would otherwise take out of line.
[[gnu::always_inline]] inline double RoundOf(CInstance*, CInstance*, const double* reals)
{
    return Real_Int(reals[0]);
}

// A whole real (or NaN) as a signed 32-bit integer: outside that range, INT_MIN.
[[gnu::always_inline]] inline double FloorOf(CInstance*, CInstance*, const double* reals)
{
    return Numbers_RoundToInt32(std::floor(reals[0]));
}

[[gnu::always_inline]] inline double CeilOf(CInstance*, CInstance*, const double* reals)
{
    return Numbers_RoundToInt32(std::ceil(reals[0]));
}

[[gnu::always_inline]] inline double SignOf(CInstance*, CInstance*, const double* reals)
{
    return reals[0] > 0 ? 1 : reals[0] == 0 ? 0 : -1;
}

FUNCTION_REAL_ROW(Abs, 1, AbsOf)
FUNCTION_REAL_ROW(Round, 1, RoundOf)
FUNCTION_REAL_ROW(Floor, 1, FloorOf)
FUNCTION_REAL_ROW(Ceil, 1, CeilOf)
FUNCTION_REAL_ROW(Sign, 1, SignOf)

double Fraction(double x)
{
    double whole = 0;
    return std::modf(x, &whole);
}

void Builtin_Frac(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Fraction(Arg_Real(args[0])));
}

[[gnu::always_inline]] inline double SqrtOf(CInstance*, CInstance*, const double* reals)
{
    return std::sqrt(reals[0]);
}

[[gnu::always_inline]] inline double SqrOf(CInstance*, CInstance*, const double* reals)
{
    return reals[0] * reals[0];
}

FUNCTION_REAL_ROW(Sqrt, 1, SqrtOf)
FUNCTION_REAL_ROW(Sqr, 1, SqrOf)

void Builtin_Exp(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, std::exp(Arg_Real(args[0])));
}

void Builtin_Ln(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, std::log(Arg_Real(args[0])));
}

void Builtin_Log2(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, std::log(Arg_Real(args[0])) / std::log(2.0));
}

void Builtin_Log10(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, std::log10(Arg_Real(args[0])));
}

void Builtin_Degtorad(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Real(args[0]) * PI_F / 180);
}

void Builtin_Radtodeg(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Arg_Real(args[0]) * 180 / PI_F);
}

// Single-precision trigonometry: the argument and the result are 32-bit floats, and a result
// within the threshold of 0 is 0.
double Trigonometric(double (*function)(double), const ScriptValue& argument)
{
    return Snap(Single(function(Arg_Float(argument))));
}

// The library's own functions may be overloaded or intrinsic; these have one address each.
double Sin(double x)
{
    return std::sin(x);
}

double Cos(double x)
{
    return std::cos(x);
}

void Builtin_Sin(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Trigonometric(Sin, args[0]));
}

void Builtin_Cos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Trigonometric(Cos, args[0]));
}

void Builtin_Tan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Trigonometric([](double x) { return std::tan(x); }, args[0]));
}

void Builtin_Arctan(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Trigonometric([](double x) { return std::atan(x); }, args[0]));
}

// Outside -1 .. 1 (NaN too) the routine reports its message and answers 0.
void Inverse(ScriptValue* result, double (*function)(double), const ScriptValue& argument,
             const char* message)
{
    float x = Arg_Float(argument);
    if (!(x >= -1.0f && x <= 1.0f)) {
        Error_Show_Action(message, false);
        return;
    }
    Result_Real(result, Trigonometric(function, argument));
}

void Builtin_Arcsin(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Inverse(
        result, [](double x) { return std::asin(x); }, args[0], "Error in function arcsin().");
}

void Builtin_Arccos(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Inverse(
        result, [](double x) { return std::acos(x); }, args[0], "Error in function arccos().");
}

void Builtin_Arctan2(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double y = Arg_Float(args[0]);
    double x = Arg_Float(args[1]);
    Result_Real(result, Snap(Single(std::atan2(y, x))));
}

void Builtin_Power(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, std::pow(Arg_Real(args[0]), Arg_Real(args[1])));
}

void Builtin_Logn(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, std::log(Arg_Real(args[0])) / std::log(Arg_Real(args[1])));
}

// ---- aggregates ----------------------------------------------------------------------------------

// Of equal values the first wins; strings are refused with the routine's own message.
template <bool Smaller>
void Extreme(ScriptValue* result, int32_t argc, const ScriptValue* args, const char* message)
{
    if (argc <= 0) return;
    for (int32_t i = 0; i < argc; ++i) {
        if (Arg_IsString(args[i])) {
            Error_Show_Action(message, false);
            return;
        }
    }
    int32_t best = 0;
    for (int32_t i = 1; i < argc; ++i) {
        double candidate = Arg_Real(args[i]);
        double current = Arg_Real(args[best]);
        if (Smaller ? candidate < current : candidate > current) best = i;
    }
    Value_Copy(result, &args[best]);
}

const char* const MIN_MESSAGE = "Error min(): illegal argument; strings not permitted";
const char* const MAX_MESSAGE = "Error max(): illegal argument; strings not permitted";

void Builtin_Min(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Extreme<true>(result, argc, args, MIN_MESSAGE);
}

void Builtin_Max(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Extreme<false>(result, argc, args, MAX_MESSAGE);
}

void Builtin_Mean(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc <= 0) return;
    double sum = 0;
    for (int32_t i = 0; i < argc; ++i)
        sum += Arg_Real(args[i]);
    Result_Real(result, sum / argc);
}

// Sorts a copy: the arguments stay as they are, and values of any size take part.
void Builtin_Median(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (argc <= 0) return;
    std::vector<double> values;
    values.reserve(static_cast<size_t>(argc));
    for (int32_t i = 0; i < argc; ++i)
        values.push_back(Arg_Real(args[i]));
    size_t middle = values.size() / 2;
    // NaN sorts after every number, so the order stays strict.
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end(),
                     [](double a, double b) { return !std::isnan(a) && (std::isnan(b) || a < b); });
    Result_Real(result, values[middle]);
}

void Builtin_Clamp(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double value = Arg_Real(args[0]);
    if (Arg_Real(args[1]) > value) value = Arg_Real(args[1]);
    if (value > Arg_Real(args[2])) value = Arg_Real(args[2]);
    Result_Real(result, value);
}

void Builtin_Lerp(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double a = Arg_Real(args[0]);
    Result_Real(result, a + (Arg_Real(args[1]) - a) * Arg_Real(args[2]));
}

// ---- points and vectors --------------------------------------------------------------------------

// The length of a vector of `count` single-precision differences: the sum of squares and its root
// are each rounded to a 32-bit float.
float SingleLength(const double* parts, int32_t count)
{
    double sum = 0;
    for (int32_t i = 0; i < count; ++i)
        sum += parts[i] * parts[i];
    return Single(std::sqrt(Single(sum)));
}

// (x1, y1, [z1,] x2, y2, [z2]) as floats; the differences second minus first.
template <int32_t DIMENSIONS> [[gnu::always_inline]] inline double PointDistanceOf(CInstance*, CInstance*, const double* reals)
{
    double parts[3] = {};
    for (int32_t i = 0; i < DIMENSIONS; ++i)
        parts[i] = static_cast<double>(Single(reals[DIMENSIONS + i])) - Single(reals[i]);
    return SingleLength(parts, DIMENSIONS);
}

// Counter-clockwise on the screen with y down: 0 right, 90 up, 180 left, 270 down.
[[gnu::always_inline]] inline double PointDirectionOf(CInstance*, CInstance*, const double* reals)
{
    float dx = Single(reals[2]) - Single(reals[0]);
    float dy = Single(reals[3]) - Single(reals[1]);
    if (dx == 0.0f) return dy > 0 ? 270 : dy < 0 ? 90 : 0;
    float angle = Single(std::atan2(static_cast<double>(dy), static_cast<double>(dx)) * 180 / PI_F);
    return angle <= 0 ? 0.0f - angle : 360.0f - angle;
}

FUNCTION_REAL_ROW(PointDistance, 4, PointDistanceOf<2>)
FUNCTION_REAL_ROW(PointDistance3d, 6, PointDistanceOf<3>)
FUNCTION_REAL_ROW(PointDirection, 4, PointDirectionOf)

// The sine and cosine of the last angle a lengthdir took, made together: `lengthdir_x(l, a)` and
// `lengthdir_y(l, a)` mostly come in pairs on one angle. The C library's sincos answers exactly what
// its sin and cos answer; where there is none, each is made alone. Angle 0 to begin with.
struct AngleParts {
    uint32_t bits = 0; // the angle's, so that -0 and NaN are angles of their own
    double sine = 0.0;
    double cosine = 1.0;
};
thread_local AngleParts t_LastAngle;

const AngleParts& PartsOf(float angle)
{
    uint32_t bits;
    std::memcpy(&bits, &angle, sizeof bits);
    AngleParts& last = t_LastAngle;
    if (bits == last.bits) return last;
#if defined(__GLIBC__)
    ::sincos(angle, &last.sine, &last.cosine);
#else
    last.sine = Sin(angle);
    last.cosine = Cos(angle);
#endif
    last.bits = bits;
    return last;
}

// A result within the threshold of a whole number (toward zero) is that whole number.
[[gnu::always_inline]] inline double LengthDir(double length, double direction, bool sine)
{
    const AngleParts& parts = PartsOf(Single(direction * PI_F / 180));
    float value = Single(length * Single(sine ? parts.sine : parts.cosine));
    float whole = std::trunc(value);
    return std::fabs(value - whole) < LENGTHDIR_SNAP ? whole + 0.0f : value;
}

[[gnu::always_inline]] inline double LengthdirXOf(CInstance*, CInstance*, const double* reals)
{
    return LengthDir(reals[0], reals[1], false);
}

[[gnu::always_inline]] inline double LengthdirYOf(CInstance*, CInstance*, const double* reals)
{
    return LengthDir(-reals[0], reals[1], true);
}

// Double precision: (a1 * b1 + a2 * b2 ...) over the first DIMENSIONS and the next DIMENSIONS.
template <int32_t DIMENSIONS> [[gnu::always_inline]] inline double DotOf(CInstance*, CInstance*, const double* reals)
{
    double sum = 0;
    for (int32_t i = 0; i < DIMENSIONS; ++i)
        sum += reals[i] * reals[DIMENSIONS + i];
    return sum;
}

FUNCTION_REAL_ROW(LengthdirX, 2, LengthdirXOf)
FUNCTION_REAL_ROW(LengthdirY, 2, LengthdirYOf)
FUNCTION_REAL_ROW(DotProduct, 4, DotOf<2>)
FUNCTION_REAL_ROW(DotProduct3d, 6, DotOf<3>)

double DotNormalised(const ScriptValue* args, int32_t dimensions)
{
    double first[3] = {};
    double second[3] = {};
    double sum = 0;
    for (int32_t i = 0; i < dimensions; ++i) {
        first[i] = Arg_Float(args[i]);
        second[i] = Arg_Float(args[dimensions + i]);
        sum += first[i] * second[i];
    }
    return sum / (static_cast<double>(SingleLength(first, dimensions)) * SingleLength(second, dimensions));
}

void Builtin_DotProductNormalised(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, DotNormalised(args, 2));
}

void Builtin_DotProduct3dNormalised(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, DotNormalised(args, 3));
}

void Builtin_MathSetEpsilon(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Arg_IsReal(args[0])) return;
    double epsilon = args[0].real;
    if (epsilon >= 0 && epsilon < 1)
        Code_CompareEpsilon = epsilon;
    else
        Error_Show_Action("math_set_epsilon :: value should be between 0 and 1", true);
}

void Builtin_Min3(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Extreme<true>(result, 3, args, MIN_MESSAGE);
}

void Builtin_Max3(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Extreme<false>(result, 3, args, MAX_MESSAGE);
}

const FunctionRow MATH_ROWS[] = {
    {"is_real", Builtin_IsReal, 1},
    {"is_string", Builtin_IsString, 1},
    {"is_array", Builtin_IsArray, 1},
    {"array_length_1d", Builtin_ArrayLength1d, 1},
    {"array_length_2d", Builtin_ArrayLength2d, 2},
    {"array_height_2d", Builtin_ArrayHeight2d, 1},
    {"random", Builtin_Random, 1},
    {"random_range", Builtin_RandomRange, 2},
    {"irandom", Builtin_Irandom, 1},
    {"irandom_range", Builtin_IrandomRange, 2},
    {"random_set_seed", Builtin_RandomSetSeed, 1},
    {"random_get_seed", Builtin_RandomGetSeed, 0},
    {"randomize", Builtin_Randomize, 0},
    {"abs", Builtin_Abs, 1, FUNCTION_SAME_COUNT, Leaf_Abs},
    {"round", Builtin_Round, 1, FUNCTION_SAME_COUNT, Leaf_Round},
    {"floor", Builtin_Floor, 1, FUNCTION_SAME_COUNT, Leaf_Floor},
    {"ceil", Builtin_Ceil, 1, FUNCTION_SAME_COUNT, Leaf_Ceil},
    {"sign", Builtin_Sign, 1, FUNCTION_SAME_COUNT, Leaf_Sign},
    {"frac", Builtin_Frac, 1},
    {"sqrt", Builtin_Sqrt, 1, FUNCTION_SAME_COUNT, Leaf_Sqrt},
    {"sqr", Builtin_Sqr, 1, FUNCTION_SAME_COUNT, Leaf_Sqr},
    {"exp", Builtin_Exp, 1},
    {"ln", Builtin_Ln, 1},
    {"log2", Builtin_Log2, 1},
    {"log10", Builtin_Log10, 1},
    {"sin", Builtin_Sin, 1},
    {"cos", Builtin_Cos, 1},
    {"tan", Builtin_Tan, 1},
    {"arcsin", Builtin_Arcsin, 1},
    {"arccos", Builtin_Arccos, 1},
    {"arctan", Builtin_Arctan, 1},
    {"arctan2", Builtin_Arctan2, 2},
    {"degtorad", Builtin_Degtorad, 1},
    {"radtodeg", Builtin_Radtodeg, 1},
    {"power", Builtin_Power, 2},
    {"logn", Builtin_Logn, 2},
    {"min", Builtin_Min, FUNCTION_ARGS_ANY},
    {"max", Builtin_Max, FUNCTION_ARGS_ANY},
    {"min3", Builtin_Min3, 3},
    {"max3", Builtin_Max3, 3},
    {"mean", Builtin_Mean, FUNCTION_ARGS_ANY},
    {"median", Builtin_Median, FUNCTION_ARGS_ANY},
    {"choose", Builtin_Choose, FUNCTION_ARGS_ANY},
    {"clamp", Builtin_Clamp, 3},
    {"lerp", Builtin_Lerp, 3},
    {"point_distance", Builtin_PointDistance, 4, FUNCTION_SAME_COUNT, Leaf_PointDistance},
    {"point_distance_3d", Builtin_PointDistance3d, 6, FUNCTION_SAME_COUNT, Leaf_PointDistance3d},
    {"point_direction", Builtin_PointDirection, 4, FUNCTION_SAME_COUNT, Leaf_PointDirection},
    {"lengthdir_x", Builtin_LengthdirX, 2, FUNCTION_SAME_COUNT, Leaf_LengthdirX},
    {"lengthdir_y", Builtin_LengthdirY, 2, FUNCTION_SAME_COUNT, Leaf_LengthdirY},
    {"dot_product", Builtin_DotProduct, 4, FUNCTION_SAME_COUNT, Leaf_DotProduct},
    {"dot_product_3d", Builtin_DotProduct3d, 6, FUNCTION_SAME_COUNT, Leaf_DotProduct3d},
    {"dot_product_normalised", Builtin_DotProductNormalised, 4},
    {"dot_product_3d_normalised", Builtin_DotProduct3dNormalised, 6},
    {"math_set_epsilon", Builtin_MathSetEpsilon, 1},
};

} // namespace

void Function_Math_Init()
{
    Function_AddRows(MATH_ROWS);
    Function_AddRows(MATH_TEXT_ROWS);
}
