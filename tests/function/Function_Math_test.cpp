// The Math family: its registration, single-precision results and their snapping, rounding to
// 32-bit integers, aggregates, points and vectors, the random members over the shared generator,
// and the members that report errors.
#include "Function_TestCases.h"

#include <climits>
#include <cmath>
#include <set>

#include "base/Base_Random.h"
#include "code/Code_Interpreter.h"

namespace {

using functiontest::BuiltinTest;
using functiontest::ExpectCases;
using testsupport::CallReal;

const double PI_F = 3.1415927410125732; // pi as a 32-bit float

TEST(MathFamily, RegistersItsMembersInOrder)
{
    functiontest::ExpectRegisteredRun(
        "is_real 1,is_string 1,is_array 1,array_length_1d 1,array_length_2d 2,array_height_2d 1,random 1,"
        "random_range 2,irandom 1,irandom_range 2,random_set_seed 1,random_get_seed 0,randomize 0,abs 1,round 1,"
        "floor 1,ceil 1,sign 1,frac 1,sqrt 1,sqr 1,exp 1,ln 1,log2 1,log10 1,sin 1,cos 1,tan 1,arcsin 1,arccos 1,"
        "arctan 1,arctan2 2,degtorad 1,radtodeg 1,power 2,logn 2,min -1,max -1,min3 3,max3 3,mean -1,median -1,"
        "choose -1,clamp 3,lerp 3,point_distance 4,point_distance_3d 6,point_direction 4,lengthdir_x 2,"
        "lengthdir_y 2,dot_product 4,dot_product_3d 6,dot_product_normalised 4,dot_product_3d_normalised 6,"
        "math_set_epsilon 1,real 1,string 1,string_format 3,chr 1,ansi_char 1,ord 1,string_length 1,"
        "string_pos 2,string_copy 3,string_char_at 2,string_byte_length 1,string_byte_at 2,string_set_byte_at 3,"
        "string_delete 3,string_insert 3,string_lower 1,string_upper 1,string_repeat 2,string_letters 1,"
        "string_digits 1,string_lettersdigits 1,string_replace 3,string_replace_all 3,string_count 2");
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

TEST_F(BuiltinTest, ArraySizesReadTheRows)
{
    testsupport::RegisterBuiltins();
    ScriptValue array = {VALUE_REAL, 0, 0.0};
    ScriptValue element = {VALUE_REAL, 0, 1.0};
    Value_SetArrayElement(&array, &element, 4);                      // row 0: 5 elements
    Value_SetArrayElement(&array, &element, 2 * ARRAY_ROW_SPAN + 1); // row 2: 2 elements
    auto call = [&](const char* name, std::vector<ScriptValue> args) {
        int32_t id = -1;
        EXPECT_TRUE(Code_Function_Find(name, &id));
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        Function_Get(id)->routine(&result, nullptr, nullptr, static_cast<int32_t>(args.size()), args.data());
        return result.real;
    };
    EXPECT_EQ(call("array_length_1d", {array}), 5);
    EXPECT_EQ(call("array_height_2d", {array}), 3);
    EXPECT_EQ(call("array_length_2d", {array, {VALUE_REAL, 0, 2.0}}), 2);
    EXPECT_EQ(call("array_length_2d", {array, {VALUE_REAL, 0, 1.0}}), 0);
    EXPECT_EQ(call("array_length_2d", {array, {VALUE_REAL, 0, 3.0}}), 0);
    EXPECT_EQ(call("array_length_2d", {array, {VALUE_REAL, 0, -1.0}}), 0);
    EXPECT_EQ(call("is_array", {array}), 1);
    Value_Free(&array);
}

TEST_F(BuiltinTest, RandomMembersFollowTheSeededGenerator)
{
    // The integer draw: two words, the second high, the top bit cleared, modulo |n| with n's sign.
    auto draw = [](int64_t n) {
        uint64_t first = Random_Next();
        uint64_t r = ((static_cast<uint64_t>(Random_Next()) << 32) | first) & INT64_MAX;
        int64_t magnitude = n < 0 ? -n : n;
        return static_cast<double>(n < 0 ? -static_cast<int64_t>(r % magnitude) : static_cast<int64_t>(r % magnitude));
    };
    Random_Seed(42);
    double expected[5] = {draw(101), draw(-8), draw(6) + 1, draw(3) + 1};
    expected[4] = Random_Real(1.0) * 10;
    CallReal("random_set_seed", {42});
    EXPECT_EQ(CallReal("random_get_seed", {}), 42);
    EXPECT_EQ(CallReal("irandom", {100}), expected[0]);
    EXPECT_EQ(CallReal("irandom", {-7}), expected[1]);
    EXPECT_EQ(CallReal("irandom_range", {6, 1}), expected[2]);
    EXPECT_EQ(CallReal("irandom_range", {1.5, 3.7}), expected[3]);
    EXPECT_EQ(CallReal("random", {10}), expected[4]);

    Random_Seed(7);
    uint32_t pick = Random_Int(3);
    CallReal("random_set_seed", {7});
    EXPECT_EQ(testsupport::CallText("choose", {"a", "b", "c"}), std::string(1, static_cast<char>('a' + pick)));

    std::set<double> seen;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(CallReal("irandom", {0.9}), 0);
        EXPECT_EQ(CallReal("irandom_range", {2, 2}), 2);
        double value = CallReal("irandom", {-5});
        EXPECT_TRUE(value >= -5 && value <= 0) << value;
        seen.insert(value);
        double ranged = CallReal("random_range", {4, 2});
        EXPECT_TRUE(ranged >= 2 && ranged < 4) << ranged;
    }
    EXPECT_EQ(seen.size(), 6u) << "irandom(-5) reaches every value from -5 to 0";
}

// NaN and values beyond 64 bits convert through the numbers module, never undefined behaviour.
TEST_F(BuiltinTest, RandomSeedsAndRangesFromAnyReal)
{
    struct Seed {
        double given;
        double seed;
    };
    for (Seed s : {Seed{4294967296.0 + 7, 7}, Seed{-1, 4294967295.0}, Seed{NAN, 0}, Seed{1e30, 0}}) {
        CallReal("random_set_seed", {s.given});
        EXPECT_EQ(CallReal("random_get_seed", {}), s.seed) << s.given;
    }
    for (double x : {static_cast<double>(NAN), static_cast<double>(INFINITY), -1e300}) {
        EXPECT_FALSE(std::isnan(CallReal("irandom", {x}))) << x;
        EXPECT_FALSE(std::isnan(CallReal("irandom_range", {x, 1}))) << x;
    }
    double seed = CallReal("randomize", {});
    EXPECT_EQ(static_cast<uint32_t>(static_cast<int32_t>(seed)), static_cast<uint32_t>(CallReal("random_get_seed", {})));
}

TEST_F(BuiltinTest, ErrorsOfTheInverseFunctionsAggregatesAndEpsilon)
{
    struct Report {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* message;
        bool fatal;
    };
    const Report reports[] = {
        {"arcsin", {1.5}, "Error in function arcsin().", false},
        {"arccos", {-2}, "Error in function arccos().", false},
        {"arcsin", {NAN}, "Error in function arcsin().", false},
        {"min", {3, "a"}, "Error min(): illegal argument; strings not permitted", false},
        {"max", {"b", 1}, "Error max(): illegal argument; strings not permitted", false},
        {"max3", {1, 2, "c"}, "Error max(): illegal argument; strings not permitted", false},
        {"math_set_epsilon", {1}, "math_set_epsilon :: value should be between 0 and 1", true},
        {"math_set_epsilon", {-0.1}, "math_set_epsilon :: value should be between 0 and 1", true},
    };
    double epsilon = Code_CompareEpsilon;
    for (const Report& r : reports) {
        EXPECT_EQ(CallReal(r.name, r.args), 0) << r.message;
        bool fatal = !r.fatal;
        std::string error = TakeError(&fatal);
        EXPECT_NE(error.find(r.message), std::string::npos) << error;
        EXPECT_EQ(fatal, r.fatal) << r.message;
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
