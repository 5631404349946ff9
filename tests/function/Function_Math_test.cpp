// The Math family: its registration, single-precision results and their snapping, rounding to
// 32-bit integers, aggregates, points and vectors, the random members over the shared generator,
// and the members that report errors.
#include "Function_TestCases.h"

#include <climits>
#include <cmath>
#include <set>

#include "code/Code_Interpreter.h"

namespace {

using functiontest::BuiltinTest;
using functiontest::ExpectCases;
using testsupport::CallReal;

const double PI_F = 3.1415927410125732; // pi as a 32-bit float

TEST(MathFamily, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "is_real:1 is_string:1 is_array:1 array_length_1d:1 array_length_2d:2 array_height_2d:1 random:1 "
        "random_range:2 irandom:1 irandom_range:2 random_set_seed:1 random_get_seed:0 randomize:0 abs:1 round:1 "
        "floor:1 ceil:1 sign:1 frac:1 sqrt:1 sqr:1 exp:1 ln:1 log2:1 log10:1 sin:1 cos:1 tan:1 arcsin:1 arccos:1 "
        "arctan:1 arctan2:2 degtorad:1 radtodeg:1 power:2 logn:2 min:-1 max:-1 min3:3 max3:3 mean:-1 median:-1 "
        "choose:-1 clamp:3 lerp:3 point_distance:4 point_distance_3d:6 point_direction:4 lengthdir_x:2 "
        "lengthdir_y:2 dot_product:4 dot_product_3d:6 dot_product_normalised:4 dot_product_3d_normalised:6 "
        "math_set_epsilon:1 real:1 string:1 string_format:3 chr:1 ansi_char:1 ord:1 string_* length:1 pos:2 "
        "copy:3 char_at:2 byte_length:1 byte_at:2 set_byte_at:3 delete:3 insert:3 lower:1 upper:1 repeat:2 "
        "letters:1 digits:1 lettersdigits:1 replace:3 replace_all:3 count:2");
}

TEST_F(BuiltinTest, SinglePrecisionSnappingAndRounding)
{
    ExpectCases({
        {"sin", {PI_F}, 0}, {"cos", {0}, 1}, {"sin", {0.5}, 0.47942554950714111}, {"tan", {PI_F}, 0},
        {"arctan", {1}, 0.78539818525314331}, {"arctan2", {1, 0}, 1.5707963705062866}, {"arcsin", {1}, 1.5707963705062866},
        {"arccos", {1}, 0}, {"degtorad", {180}, PI_F}, {"radtodeg", {PI_F}, 180},
        {"abs", {16777217}, 16777216}, {"abs", {-2.5}, 2.5},
        {"round", {-2.5}, -2}, {"round", {2.5}, 2}, {"round", {3.5}, 4}, {"floor", {-0.5}, -1}, {"ceil", {1.2}, 2},
        {"ceil", {1e10}, INT_MIN}, {"floor", {NAN}, INT_MIN}, {"round", {INFINITY}, INT_MIN},
        {"sign", {-3}, -1}, {"sign", {NAN}, -1}, {"sign", {0}, 0}, {"sign", {5}, 1}, {"frac", {-1.25}, -0.25},
        {"sqrt", {16}, 4}, {"sqr", {3}, 9}, {"exp", {0}, 1}, {"ln", {1}, 0}, {"log2", {8}, 3}, {"log10", {1000}, 3},
        {"logn", {8, 2}, 3}, {"power", {2, 10}, 1024},
    });
    EXPECT_TRUE(std::isnan(CallReal("sqrt", {-1}))) << "no error for a negative";
    EXPECT_TRUE(std::isinf(CallReal("ln", {0})));
    EXPECT_TRUE(std::isnan(CallReal("sin", {INFINITY})));
}

TEST_F(BuiltinTest, AggregatesPointsAndVectors)
{
    ExpectCases({
        {"min", {3, 1, 2}, 1}, {"max", {3, 1, 2}, 3}, {"min", {}, 0}, {"min3", {2, 1, 1}, 1}, {"max3", {1, 5, 5}, 5},
        {"mean", {1, 2, 3, 4}, 2.5}, {"mean", {}, 0}, {"median", {5, 1, 4, 2}, 4}, {"median", {3, 1, 2}, 2},
        {"median", {3e9, 1, 4e9}, 3e9}, {"median", {}, 0}, {"clamp", {5, 10, 0}, 0}, {"clamp", {5, 0, 10}, 5},
        {"lerp", {2, 4, 0.5}, 3}, {"choose", {}, 0}, {"choose", {"only"}, "only"},
        {"point_distance", {0, 0, 3, 4}, 5}, {"point_distance_3d", {0, 0, 0, 1, 2, 2}, 3},
        {"point_direction", {0, 0, 1, -1}, 45}, {"point_direction", {5, 5, 5, 5}, 0},
        {"point_direction", {0, 0, 1, 0}, 0}, {"point_direction", {0, 0, 0, -1}, 90},
        {"point_direction", {0, 0, -1, 0}, 180}, {"point_direction", {0, 0, 0, 1}, 270},
        {"lengthdir_x", {10, 90}, 0}, {"lengthdir_y", {10, 90}, -10}, {"lengthdir_x", {10, 180}, -10},
        {"lengthdir_y", {10, 0}, 0}, {"dot_product", {1, 2, 3, 4}, 11}, {"dot_product_3d", {1, 2, 3, 4, 5, 6}, 32},
        {"dot_product_normalised", {1, 0, 0, 1}, 0}, {"dot_product_normalised", {2, 0, 3, 0}, 1},
        {"dot_product_3d_normalised", {0, 0, 2, 0, 0, -4}, -1},
        {"is_real", {1}, 1}, {"is_real", {"1"}, 0}, {"is_string", {"1"}, 1}, {"is_array", {1}, 0},
        {"array_length_1d", {1}, 0}, {"array_height_2d", {"a"}, 0}, {"array_length_2d", {1, 0}, 0},
    });
    EXPECT_TRUE(std::signbit(CallReal("lengthdir_x", {10, 90})) == false) << "a snapped 0 is +0";
    EXPECT_TRUE(std::isnan(CallReal("dot_product_normalised", {0, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(CallReal("point_distance", {INFINITY, 0, INFINITY, 0})));
}

TEST_F(BuiltinTest, RandomMembersStayInTheirRanges)
{
    CallReal("random_set_seed", {42});
    EXPECT_EQ(CallReal("random_get_seed", {}), 42);
    std::set<double> seen;
    for (int i = 0; i < 200; ++i) {
        double value = CallReal("irandom", {-5}), ranged = CallReal("random_range", {4, 2});
        double whole = CallReal("irandom_range", {1.5, 3.7});
        EXPECT_TRUE(value >= -5 && value <= 0 && ranged >= 2 && ranged < 4 && whole >= 1 && whole <= 3) << value;
        EXPECT_TRUE(CallReal("irandom", {0}) == 0 && CallReal("irandom", {0.9}) == 0 &&
                    CallReal("irandom_range", {2, 2}) == 2);
        seen.insert(value);
    }
    EXPECT_EQ(seen.size(), 6u) << "irandom(-5) reaches every value from -5 to 0";
}

// Seeds keep the low 32 bits of the truncated real; NaN and values beyond 64 bits convert through
// the numbers module (to INT64_MIN), never through undefined behaviour.
TEST_F(BuiltinTest, RandomSeedsAndRangesFromAnyReal)
{
    const double seeds[][2] = {{4294967296.0 + 7, 7}, {-1, 4294967295.0}, {NAN, 0}, {1e30, 0}};
    for (const auto& s : seeds) {
        CallReal("random_set_seed", {s[0]});
        EXPECT_EQ(CallReal("random_get_seed", {}), s[1]) << s[0];
    }
    for (double x : {static_cast<double>(NAN), static_cast<double>(INFINITY), -1e300})
        EXPECT_FALSE(std::isnan(CallReal("irandom", {x})) || std::isnan(CallReal("irandom_range", {x, 1}))) << x;
    int32_t seed = static_cast<int32_t>(CallReal("randomize", {}));
    EXPECT_EQ(static_cast<uint32_t>(seed), CallReal("random_get_seed", {}));
}

TEST_F(BuiltinTest, ErrorsOfTheInverseFunctionsAggregatesAndEpsilon)
{
    const char* const EPSILON = "math_set_epsilon :: value should be between 0 and 1";
    const char* const MAX = "Error max(): illegal argument; strings not permitted";
    const std::vector<std::pair<functiontest::Case, const char*>> reports = {
        {{"arcsin", {1.5}, 0}, "Error in function arcsin()."}, {{"arccos", {-2}, 0}, "Error in function arccos()."},
        {{"arcsin", {NAN}, 0}, "Error in function arcsin()."},
        {{"min", {3, "a"}, 0}, "Error min(): illegal argument; strings not permitted"},
        {{"max", {"b", 1}, 0}, MAX}, {{"max3", {1, 2, "c"}, 0}, MAX},
        {{"math_set_epsilon", {1}, 0}, EPSILON}, {{"math_set_epsilon", {-0.1}, 0}, EPSILON},
    };
    double epsilon = Code_CompareEpsilon;
    for (const auto& [call, message] : reports) {
        ExpectCases({call});
        bool fatal = false;
        EXPECT_NE(TakeError(&fatal).find(message), std::string::npos) << message;
        EXPECT_EQ(fatal, message == EPSILON) << message;
        EXPECT_EQ(Code_CompareEpsilon, epsilon) << "a refused epsilon changes nothing";
    }
    for (double accepted : {0.0, 0.5}) {
        CallReal("math_set_epsilon", {accepted});
        EXPECT_EQ(Code_CompareEpsilon, accepted);
    }
    CallReal("math_set_epsilon", {"0.2"});
    EXPECT_EQ(Code_CompareEpsilon, 0.5) << "a string is ignored";
    EXPECT_EQ(TakeError(), "");
    Code_CompareEpsilon = epsilon;
}

} // namespace
