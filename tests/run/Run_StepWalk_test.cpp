// The walks' straight runs of a handler (the step, alarms, the outside events) and the events
// performed straight for one instance (create, destroy, draw) against the general path: each game is
// played with the event trace on (every event through CEvent::Execute), and without it in the
// translated form and in the word loop, from source text and from compiled code; every way leaves
// the same notes.
#include "RunFrameTestSupport.h"

#include <cstdlib>

#include "code/Code_Translate.h"
#include "run/Run_Event.h"

using namespace frametest;

namespace {

struct WalkCase {
    const char* name;
    std::vector<gamebuild::ObjectDesc> objects;
    std::vector<gamebuild::RoomInstanceDesc> placed;
    std::vector<std::vector<std::string>> frames; // the notes of each frame
    const char* error;                            // in the last error report, or null for none
    std::vector<std::string> scripts = {};        // scr_0, scr_1, ... in order
};

gamebuild::ObjectDesc Child(gamebuild::ObjectDesc object, int32_t parent)
{
    object.parent = parent;
    return object;
}

std::vector<WalkCase> WalkCases()
{
    const char* fields = "test_note(event_type, event_number, object_get_name(event_object), "
                         "object_get_name(object_index));";
    return {
        // The kid steps through its parent's handler: event_object names the parent.
        {"EventFieldsAsEachInstanceSeesThem",
         {ObjectWith("obj_base", {{3, 0, fields}}), Child(ObjectWith("obj_kid", {}), 0)},
         {Placed(1), Placed(0), Placed(1)},
         {{"100002 3 0 obj_base obj_base", "100001 3 0 obj_base obj_kid", "100003 3 0 obj_base obj_kid"}},
         nullptr},
        // The first destroys itself and the second; only the third steps after it.
        {"DestroyingItselfAndTheNext",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\"); if (id == 100001) { instance_destroy(); "
                                      "with (100002) instance_destroy(); }"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 step", "100003 step"}, {"100003 step"}},
         nullptr},
        // One made in the step waits for the next frame's walk.
        {"InstancesMadeDuringTheWalkStepNextFrame",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\"); if (instance_number(obj_m) < 3) "
                                      "instance_create(0, 0, obj_m);"}})},
         {Placed(0), Placed(0)},
         {{"100001 step", "100002 step"}, {"100001 step", "100002 step", "100003 step"}},
         nullptr},
        // The inherited handler and a performed event see their own event; the step's is back after.
        {"InheritedAndPerformedEventsNest",
         {ObjectWith("obj_base", {{3, 0, "test_note(\"base\", event_type, event_number);"}}),
          Child(ObjectWith("obj_kid", {{3, 0, "test_note(\"kid\"); event_inherited(); event_perform(ev_other, "
                                              "ev_user0); test_note(\"after\", event_type, event_number);"},
                                       {7, 10, "test_note(\"user\", event_type, event_number);"}}),
                0)},
         {Placed(1)},
         {{"100001 kid", "100001 base 3 0", "100001 user 7 10", "100001 after 3 0"}},
         nullptr},
        // The first clears the object's step handler: the instances after it no longer step.
        {"HandlerClearedDuringTheWalk",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\"); object_event_clear(obj_m, ev_step, ev_step_normal);"}})},
         {Placed(0), Placed(0)},
         {{"100001 step"}, {}},
         nullptr},
        // The second becomes an obj_b during the first's step: it steps as an obj_b, once.
        {"InstanceChangingObjectDuringTheWalk",
         {ObjectWith("obj_a", {{3, 0, "test_note(\"a\"); if (id == 100001) with (100002) instance_change(obj_b, false);"}}),
          ObjectWith("obj_b", {{3, 0, "test_note(\"b\");"}})},
         {Placed(0), Placed(0)},
         {{"100001 a", "100002 b"}, {"100001 a", "100002 b"}},
         nullptr},
        // The same by an instance after the first: the ones after it no longer step.
        {"HandlerClearedByALaterInstance",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\"); if (id == 100002) object_event_clear(obj_m, ev_step, "
                                      "ev_step_normal);"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 step", "100002 step"}, {}},
         nullptr},
        // Ending the game stops the walk at once.
        {"GameEndStopsTheWalk",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\"); game_end();"}})},
         {Placed(0), Placed(0)},
         {{"100001 step"}},
         nullptr},
        {"GameEndByALaterInstance",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\"); if (id == 100002) game_end();"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 step", "100002 step"}},
         nullptr},
        // Each nested perform counts: the 33rd is refused with a fatal error, which stops the walk.
        {"NestingStopsAtTheDepthLimit",
         {ObjectWith("obj_m", {{0, 0, "n = 0;"}, {3, 0, "n += 1; if (n == 1 || n == 32) test_note(n); "
                                                        "event_perform(ev_step, ev_step_normal);"}})},
         {Placed(0), Placed(0)},
         {{"100001 1", "100001 32"}},
         "PerformEvent recursion depth failure"},
        // An error that lets the game go on is reported for the step of the instance's object.
        {"ReportedErrorNamesTheStepAndObject",
         {ObjectWith("obj_m", {{3, 0, "instance_change(9, false); test_note(\"on\");"}})},
         {Placed(0)},
         {{"100001 on"}},
         "Step Event0\nfor object obj_m:\n\n\nAsking to change into non-existing object: 9\n at Object.obj_m.Step.0"},
        // Each instance's step starts with the relative flag cleared, whatever the one before set;
        // the walk after sees it as the walk before left it.
        {"RelativeFlagClearedForEachInstance",
         {ObjectWith("obj_m", {{3, 0, "test_note(\"step\", argument_relative); action_set_relative(1);"},
                               {3, 2, "test_note(\"end\", argument_relative);"}})},
         {Placed(0), Placed(0)},
         {{"100001 step 0", "100002 step 0", "100001 end 0", "100002 end 0"}},
         nullptr},
        // The first goes deeper than any run before it within the kept region: the instances after
        // it start counting their depth from there.
        {"DeeperRunBeforeTheNextInstances",
         {ObjectWith("obj_m", {{3, 0, "n = 3; if (id == 100001) n = 300; test_note(scr_0(n));"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 300", "100002 3", "100003 3"}, {"100001 300", "100002 3", "100003 3"}},
         nullptr,
         {"if (argument0 <= 0) return 0; return scr_0(argument0 - 1) + 1;"}},
        // A step of numbers alone, branches and all, runs in registers from its start to its end for
        // instance after instance: each reads and writes its own variables, frame after frame.
        {"NumbersAloneFromStartToEnd",
         {ObjectWith("obj_m", {{0, 0, "v = id - 100000; hits = 0;"},
                               {3, 0, "if (x < 0 || x > 40) v = -v; x += v; if (x > 30 || x < -9) hits += 1;"},
                               {3, 2, "test_note(x, v, hits);"}})},
         {Placed(0, 1), Placed(0, 3), Placed(0, 38)},
         {{"100001 2 1 0", "100002 5 2 0", "100003 41 3 1"},
          {"100001 3 1 0", "100002 7 2 0", "100003 38 -3 2"},
          {"100001 4 1 0", "100002 9 2 0", "100003 35 -3 3"}},
         nullptr},
        // A switch whose cases break to its end runs in registers from its start to its end, each
        // instance by its own case, the default among them.
        {"ASwitchFromStartToEnd",
         {ObjectWith("obj_m", {{0, 0, "s = id - 100001; v = 0;"},
                               {3, 0, "switch (s) { case 0: v += 1; break; case 1: v -= 2; break; case 2: v = 7; break; "
                                      "default: v = 0; break; } s = (s + 1) mod 4;"},
                               {3, 2, "test_note(s, v);"}})},
         {Placed(0), Placed(0), Placed(0), Placed(0)},
         {{"100001 1 1", "100002 2 -2", "100003 3 7", "100004 0 0"},
          {"100001 2 -1", "100002 3 7", "100003 0 0", "100004 1 1"}},
         nullptr},
        // A switch's cases tested as one step, halves among them, each instance taking its own.
        {"SwitchCasesTestedAsOne",
         {ObjectWith("obj_m", {{0, 0, "s = (id - 100001) / 2; v = 0;"},
                               {3, 0, "switch (s) { case 0: v = 1; break; case 0.5: v = 2; break; case 1: v = 3; break; "
                                      "case 1.5: v = 4; break; default: v = 9; break; } s = (s + 0.5) mod 2.5;"},
                               {3, 2, "test_note(s * 2, v);"}})},
         {Placed(0), Placed(0), Placed(0), Placed(0), Placed(0)},
         {{"100001 1 1", "100002 2 2", "100003 3 3", "100004 4 4", "100005 0 9"},
          {"100001 2 2", "100002 3 3", "100003 4 4", "100004 0 9", "100005 1 1"}},
         nullptr},
        // An alarm re-armed in its own event through alarm[0], in registers with the sums before it;
        // an index past the alarms stores the first, as the words store it.
        {"AnAlarmReArmedInRegisters",
         {ObjectWith("obj_m", {{0, 0, "state = id mod 3; fired = 0; alarm[0] = 1 + (id mod 2);"},
                               {2, 0, "fired += 1; state = (state + 1) mod 4; alarm[0] = 2 + state;"},
                               {2, 1, "alarm[40] = fired + 2;"},
                               {3, 0, "test_note(fired, state, alarm[0]); if (fired == 1 && state == 3) alarm[1] = 1;"}})},
         {Placed(0), Placed(0)},
         {{"100001 0 2 1", "100002 1 1 3"},
          {"100001 1 3 5", "100002 1 1 2"},
          {"100001 1 3 3", "100002 1 1 1"},
          {"100001 1 3 3", "100002 2 2 4"}},
         nullptr},
        // The numbers leave the registers where the words must go on: at a variable that holds a text
        // for one instance, and at a built-in whose answer is a text.
        {"NumbersLeaveForTheWords",
         {ObjectWith("obj_m", {{0, 0, "if (id == 100002) a = \"t\"; else a = 1;"},
                               {3, 0, "if (x < 0 || x > 9) y = 0; x += 1; b = a; s = string(x * 2 + 1); "
                                      "test_note(b, x, s);"}})},
         {Placed(0, 1), Placed(0, 2)},
         {{"100001 1 2 5", "100002 t 3 7"}, {"100001 1 3 7", "100002 t 4 9"}},
         nullptr},
        // A statement joining texts whole for each instance (the variables where the last instance had
        // them), one instance's first store left to the words that make its variable; the measure of
        // the text after it.
        {"TextsJoinedWholeForEachInstance",
         {ObjectWith("obj_m", {{0, 0, "n = id mod 100; len = 0; a = \"<\" + string(id mod 7) + \">\"; "
                                      "if (id != 100002) s = \"\";"},
                               {3, 0, "s = string(x) + \":\" + string(n) + a; n += 1; len += string_length(s);"},
                               {3, 2, "test_note(s, len);"}})},
         {Placed(0, 1), Placed(0, 12), Placed(0, 123)},
         {{"100001 1:1<6> 6", "100002 12:2<0> 7", "100003 123:3<1> 8"},
          {"100001 1:2<6> 12", "100002 12:3<0> 14", "100003 123:4<1> 16"}},
         nullptr},
        // Instances whose step runs in registers alone follow each other from the state the last one
        // left; one among them leaves the registers for the words (its variable holds a text), and the
        // ones after it run as before, frame after frame.
        {"RegistersAloneAroundOneThatLeavesThem",
         {ObjectWith("obj_m", {{0, 0, "d = id - 100000; if (id == 100002) a = \"t\"; else a = d;"},
                               {3, 0, "if (x < 0 || x > 90) y = 0; x += d; b = a;"},
                               {3, 2, "test_note(x, b);"}})},
         {Placed(0, 1), Placed(0, 1), Placed(0, 1), Placed(0, 1), Placed(0, 1)},
         {{"100001 2 1", "100002 3 t", "100003 4 3", "100004 5 4", "100005 6 5"},
          {"100001 3 1", "100002 5 t", "100003 7 3", "100004 9 4", "100005 11 5"}},
         nullptr},
        // Locals in registers: each instance's run sets them afresh, a real goes over the text the
        // words stored, and a mod by a whole takes a dividend past int32.
        {"LocalsInRegistersForEachInstance",
         {ObjectWith("obj_m", {{0, 0, "v = id - 100000;"},
                               {3, 0, "var d, t; t = \"s\"; d = x * 3000000001; t = d mod 1000 + v; x += 1; "
                                      "test_note(t, x);"}})},
         {Placed(0, 1), Placed(0, 3)},
         {{"100001 2 2", "100002 5 4"}, {"100001 3 3", "100002 6 5"}},
         nullptr},
        // Each seeks the next through its locals, in registers from its start to its end whichever arm
        // its test takes: the sum after the if/else is a sequence that both arms' steps go on into.
        {"SeekingThroughLocalsToTheEnd",
         {ObjectWith("obj_m", {{0, 0, "target = id + 1; if (id == 100003) target = 100001; near = 0; dsum = 0;"},
                               {3, 0, "var tx, ty, d, a; tx = target.x; ty = target.y; d = point_distance(x, y, tx, ty); "
                                      "a = point_direction(x, y, tx, ty); if (d > 8) { x += round(lengthdir_x(2, a)); "
                                      "y += round(lengthdir_y(2, a)); } else near += 1; dsum += d;"},
                               {3, 2, "test_note(x, y, near, dsum);"}})},
         {Placed(0, 0), Placed(0, 20), Placed(0, 24)},
         {{"100001 2 0 0 20", "100002 20 0 1 4", "100003 22 0 0 22"},
          {"100001 4 0 0 38", "100002 20 0 2 6", "100003 20 0 0 40"}},
         nullptr},
        // A built-in called from the registers (one without a leaf form) leaves the run as its start:
        // the instances after it go on from it.
        {"RegistersAloneCallingABuiltIn",
         {ObjectWith("obj_m", {{0, 0, "d = id - 100000; h = 0;"},
                               {3, 0, "if (x < 0 || x > 90) y = 0; x += d; h = power(x, x);"},
                               {3, 2, "test_note(x, h);"}})},
         {Placed(0, 1), Placed(0, 1), Placed(0, 1)},
         {{"100001 2 4", "100002 3 27", "100003 4 256"}, {"100001 3 27", "100002 5 3125", "100003 7 823543"}},
         nullptr},
        // Each instance's own array and list, read and written in registers through the leaf forms:
        // the second set a variable first, so its array lies elsewhere in its list than the others'
        // (the third finds it where the second had it no more, the fourth where the third had it).
        {"ElementsAndListsOfEachInstance",
         {ObjectWith("obj_m", {{0, 0, "d = id - 100000; if (id == 100002) w = 0; lst = ds_list_create(); "
                                      "ds_list_add(lst, d); ds_list_add(lst, 0); arr[1] = 0; arr[0] = d * 10; n = 0;"},
                               {3, 0, "var i, j; i = n mod 2; j = (n + 1) mod 2; "
                                      "ds_list_replace(lst, i, ds_list_find_value(lst, j) + arr[i]); "
                                      "arr[j] = arr[j] + ds_list_find_value(lst, i); n += 1;"},
                               {3, 2, "test_note(arr[0], arr[1], ds_list_find_value(lst, 0), ds_list_find_value(lst, 1));"}})},
         {Placed(0), Placed(0), Placed(0), Placed(0)},
         {{"100001 10 10 10 0", "100002 20 20 20 0", "100003 30 30 30 0", "100004 40 40 40 0"},
          {"100001 30 10 10 20", "100002 60 20 20 40", "100003 90 30 30 60", "100004 120 40 40 80"},
          {"100001 30 60 50 20", "100002 60 120 100 40", "100003 90 180 150 60", "100004 120 240 200 80"}},
         nullptr},
        // Between two instances whose step runs in registers alone to its end, another object's step
        // with local variables runs: the second instance became one during the first's step.
        {"NumbersAloneAroundAnotherRun",
         {ObjectWith("obj_a", {{3, 0, "if (x < 0 || x > 90) y = 0; x += 1; if (id == 100001 && x == 3) "
                                      "with (100002) instance_change(obj_b, false);"},
                               {3, 2, "test_note(x);"}}),
          ObjectWith("obj_b", {{3, 0, "var t, u; t = 5; u = t * 2; test_note(\"b\", u);"}})},
         {Placed(0, 1), Placed(0, 1), Placed(0, 1)},
         {{"100001 2", "100002 2", "100003 2"}, {"100002 b 10", "100001 3", "100003 3"}, {"100002 b 10", "100001 4", "100003 4"}},
         nullptr},
        // Another object's step, run between the walk's own, nests from the depth the walk started at:
        // its 32nd nested perform still runs.
        {"AnotherObjectsStepNestsFromTheWalksDepth",
         {ObjectWith("obj_a", {{0, 0, "n = 0;"},
                               {3, 0, "if (x < 0 || x > 90) y = 0; x += 1; if (id == 100001) with (100002) "
                                      "instance_change(obj_b, false);"}}),
          ObjectWith("obj_b", {{3, 0, "n += 1; if (n == 1 || n == 32) test_note(n); event_perform(ev_step, ev_step_normal);"}})},
         {Placed(0, 1), Placed(0, 1)},
         {{"100002 1", "100002 32"}},
         "PerformEvent recursion depth failure"},
        // Deep recursion grows the stack region past what is kept, and it is given back after each
        // run: the next instance runs on a region made again.
        {"RegionGrownAndFreedBetweenInstances",
         {ObjectWith("obj_m", {{3, 0, "test_note(scr_0(6000));"}})},
         {Placed(0), Placed(0)},
         {{"100001 6000", "100002 6000"}, {"100001 6000", "100002 6000"}},
         nullptr,
         {"if (argument0 <= 0) return 0; return scr_0(argument0 - 1) + 1;"}},
        // A with block's body computed in registers goes from instance to instance in them, reading
        // and writing each one's variables and its caller's (other); the one whose variable holds a
        // text leaves them for the words mid-block. Destroyed and deactivated instances are passed by.
        {"WithBodyInRegistersOverTheInstances",
         {ObjectWith("obj_t", {{0, 0, "v = id - 100000; if (id == 100002) w = \"t\"; else w = v;"}}),
          ObjectWith("obj_ctl", {{0, 0, "k = 0; total = 0; seen = 0;"},
                                 {3, 0, "k += 1; if (k == 2) { with (100001) instance_destroy(); "
                                        "instance_deactivate_object(100003); }\n"
                                        "with (obj_t) { v = (v + other.k) mod 10; other.total += v; other.seen = w; }\n"
                                        "test_note(k, total, seen);"}})},
         {Placed(0), Placed(0), Placed(0), Placed(0), Placed(1)},
         {{"100005 1 14 1"}, {"100005 2 26 4"}, {"100005 3 34 4"}},
         nullptr},
        // The same nested: the inner body, in registers, reads the outer's instance as other.
        {"NestedWithBodiesInRegisters",
         {ObjectWith("obj_t", {{0, 0, "v = id - 100000; n = 0;"}}),
          ObjectWith("obj_ctl", {{3, 0, "with (obj_t) { with (obj_t) n = (n + other.v * 10) mod 1000; }\n"
                                        "with (obj_t) test_note(n);"}})},
         {Placed(0), Placed(0), Placed(0), Placed(1)},
         {{"100003 60", "100002 60", "100001 60"}, {"100003 120", "100002 120", "100001 120"}},
         nullptr},
        // A with body's turns find each instance's variable where the last one held it inside its
        // list, or apart: v lies first, second, in the shared pool behind four others, and first again.
        {"WithBodyOverInstancesHoldingTheirVariablesApart",
         {ObjectWith("obj_t", {{0, 0, "if (id == 100002) a = 0; if (id == 100003) { a = 0; b = 0; c = 0; d = 0; } "
                                      "v = id - 100000;"}}),
          ObjectWith("obj_ctl", {{0, 0, "k = 0; total = 0;"},
                                 {3, 0, "k += 1;\nwith (obj_t) { v = (v + other.k) mod 100; other.total += v; }\n"
                                        "test_note(k, total);"}})},
         {Placed(0), Placed(0), Placed(0), Placed(0), Placed(1)},
         {{"100005 1 14"}, {"100005 2 36"}, {"100005 3 70"}},
         nullptr},
        // The instance running the with is one of its instances: at its own turn self and other are
        // one, and each other's variable stays other's.
        {"WithBodyWhoseOtherIsOneOfItsInstances",
         {ObjectWith("obj_t", {{0, 0, "v = (id - 100000) * 10; if (id == 100003) v = 70; n = 0;"},
                               {3, 0, "if (id == 100002) { with (obj_t) { w = v + other.v; other.n += w; } "
                                      "test_note(n, w); }"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100002 160 40"}, {"100002 320 40"}},
         nullptr},
        // Each of a row's instances runs the with with itself as other: each adds into its own.
        {"WithBodiesOfARowEachWithItsOwnOther",
         {ObjectWith("obj_t", {{0, 0, "v = id - 100000;"}}),
          ObjectWith("obj_a", {{0, 0, "acc = id - 100000;"}, {3, 0, "with (obj_t) other.acc += v;\ntest_note(acc);"}})},
         {Placed(0), Placed(0), Placed(1), Placed(1), Placed(1)},
         {{"100003 6", "100004 7", "100005 8"}, {"100003 9", "100004 10", "100005 11"}},
         nullptr},
        // Calls inside the body make and destroy instances between its reads and writes of other's
        // variables: each is replaced by a new one, which the with does not reach until the next frame.
        {"WithBodyMakingAndDestroyingInstances",
         {ObjectWith("obj_t", {{0, 0, "v = id - 100000;"}}),
          ObjectWith("obj_ctl", {{0, 0, "made = 0; total = 0;"},
                                 {3, 0, "with (obj_t) { other.total += v; instance_create(0, 0, obj_t); instance_destroy(); "
                                        "other.made += 1; }\ntest_note(total, made, instance_number(obj_t));"}})},
         {Placed(0), Placed(0), Placed(0), Placed(1)},
         {{"100004 6 3 3"}, {"100004 24 6 3"}, {"100004 51 9 3"}},
         nullptr},
        // ---- the other walks and the events performed for one instance ----
        // Each alarm counts down as the walk reaches it and fires at 0, for its instance and object.
        {"AlarmsFireAsTheWalkCountsThemDown",
         {ObjectWith("obj_a", {{0, 0, "alarm[0] = id - 100000;"},
                               {2, 0, "test_note(\"alarm\", event_type, event_number, alarm[0]); alarm[0] = 2;"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 alarm 2 0 0"}, {"100002 alarm 2 0 0"}, {"100001 alarm 2 0 0", "100003 alarm 2 0 0"}},
         nullptr},
        // The first's alarm sets the ones after it before the walk reaches them: an alarm of 1 counts
        // down to 0 and fires in the same stage, one of 0 counts down past it and never fires.
        {"AlarmsSetAheadOfTheWalk",
         {ObjectWith("obj_a", {{0, 0, "alarm[0] = -1; if (id == 100001) alarm[0] = 1;"},
                               {2, 0, "test_note(\"alarm\", alarm[0]); if (id == 100001) { with (100002) alarm[0] = 1; "
                                      "with (100003) alarm[0] = 0; }"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 alarm 0", "100002 alarm 0"}, {}},
         nullptr},
        // The first's alarm destroys the second before the walk reaches it and makes a new one, which
        // waits for the next stage; the destroy event sees its own event.
        {"AlarmDestroysTheNextAndMakesOne",
         {ObjectWith("obj_a", {{0, 0, "made = false; alarm[0] = 1;"},
                               {1, 0, "test_note(\"destroy\", event_type, event_number);"},
                               {2, 0, "test_note(\"alarm\", event_type); alarm[0] = 1; if (id == 100001 && !made) "
                                      "{ made = true; with (100002) instance_destroy(); instance_create(0, 0, obj_a); }"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 alarm 2", "100002 destroy 1 0", "100003 alarm 2"}, {"100001 alarm 2", "100003 alarm 2", "100004 alarm 2"}},
         nullptr},
        // The second becomes an obj_b during the first's alarm: its alarm, counted down as the walk
        // reaches it, fires as an obj_b's.
        {"AlarmChangesTheNextInstancesObject",
         {ObjectWith("obj_a", {{0, 0, "alarm[0] = 1;"},
                               {2, 0, "test_note(\"a\"); alarm[0] = 1; if (id == 100001) with (100002) "
                                      "instance_change(obj_b, false);"}}),
          ObjectWith("obj_b", {{2, 0, "test_note(\"b\", object_get_name(event_object)); alarm[0] = 1;"}})},
         {Placed(0), Placed(0)},
         {{"100001 a", "100002 b obj_b"}, {"100001 a", "100002 b obj_b"}},
         nullptr},
        // The first's alarm deactivates the others: their alarms neither fire nor count down.
        {"AlarmDeactivatesTheOthers",
         {ObjectWith("obj_a", {{0, 0, "alarm[0] = 1;"},
                               {2, 0, "test_note(\"alarm\"); alarm[0] = 1; if (id == 100001) instance_deactivate_all(true);"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100001 alarm"}, {"100001 alarm"}},
         nullptr},
        // A room restart asked for by the first's alarm stops the walk.
        {"AlarmRestartingTheRoomStopsTheWalk",
         {ObjectWith("obj_a", {{0, 0, "alarm[0] = 1;"},
                               {2, 0, "test_note(\"alarm\"); alarm[0] = 1; if (id == 100001) room_restart();"}})},
         {Placed(0), Placed(0)},
         {{"100001 alarm"}, {"100001 alarm"}},
         nullptr},
        // Draw events from the end of the room's list, through a parent's handler; in its second draw
        // (the first is at the room's start) the first drawn destroys the next one and turns the one
        // after into an obj_c, drawn by obj_c's handler and, relinked, first from then on.
        {"DrawEventsWhileTheDrawnChange",
         {ObjectWith("obj_base", {{0, 0, "d = 0;"},
                                  {8, 0, "test_note(\"draw\", event_type, event_number, object_get_name(event_object)); "
                                         "d += 1; if (id == 100003 && d == 2) { with (100002) instance_destroy(); "
                                         "with (100001) instance_change(obj_c, false); }"}}),
          Child(ObjectWith("obj_kid", {}), 0),
          ObjectWith("obj_c", {{8, 0, "test_note(\"c\", event_type, event_number);"}})},
         {Placed(1), Placed(0), Placed(1)},
         {{"100003 draw 8 0 obj_base", "100001 c 8 0"}, {"100001 c 8 0", "100003 draw 8 0 obj_base"}},
         nullptr},
        // Neighbours drawn by one handler in a row: each sees the draw event again after a nested
        // one and starts with the relative flag cleared, a local of its own.
        {"DrawRunsNestAndClearTheRelativeFlag",
         {ObjectWith("obj_d", {{8, 0, "var t; t = id - 100000; test_note(\"draw\", t, event_type, event_number, "
                                      "argument_relative); event_perform(ev_other, ev_user0); "
                                      "test_note(\"back\", event_type, event_number); action_set_relative(1);"},
                               {7, 10, "test_note(\"user\", event_type, event_number);"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100003 draw 3 8 0 0", "100003 user 7 10", "100003 back 8 0", "100002 draw 2 8 0 0", "100002 user 7 10",
           "100002 back 8 0", "100001 draw 1 8 0 0", "100001 user 7 10", "100001 back 8 0"}},
         nullptr},
        // The run stops at the instance that became another object's in its second draw (the first
        // is at the room's start): it is drawn by that handler, and the run goes on after it.
        {"DrawRunStopsWhereTheObjectChanges",
         {ObjectWith("obj_a", {{0, 0, "d = 0;"},
                               {8, 0, "d += 1; test_note(\"a\"); if (id == 100003 && d == 2) with (100002) "
                                      "instance_change(obj_b, false);"}}),
          ObjectWith("obj_b", {{8, 0, "test_note(\"b\");"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100003 a", "100002 b", "100001 a"}, {"100002 b", "100003 a", "100001 a"}},
         nullptr},
        // The GUI handler is looked up once for neighbours of one object, and again once code cleared
        // it: in its second draw (the first is at the room's start) the first drawn clears it.
        {"DrawGuiHandlerClearedDuringTheWalk",
         {ObjectWith("obj_a", {{0, 0, "d = 0;"},
                               {8, 64, "d += 1; test_note(\"gui\"); if (id == 100003 && d == 2) "
                                       "object_event_clear(obj_a, ev_draw, ev_gui);"}}),
          ObjectWith("obj_b", {{8, 64, "test_note(\"gui b\");"}})},
         {Placed(1), Placed(0), Placed(0), Placed(1)},
         {{"100004 gui b", "100003 gui", "100001 gui b"}, {"100004 gui b", "100001 gui b"}},
         nullptr},
        // Ending the game in a draw event draws no more instances.
        {"DrawRunStopsAtGameEnd",
         {ObjectWith("obj_m", {{0, 0, "d = 0;"}, {8, 0, "d += 1; test_note(\"draw\"); if (id == 100002 && d == 2) game_end();"}})},
         {Placed(0), Placed(0), Placed(0)},
         {{"100003 draw", "100002 draw"}},
         nullptr},
        // Instances made in code run their create event at once, and destroyed ones their destroy
        // event, each seeing its own event, the code's after it as before; a create event that
        // destroys its instance runs the destroy event inside it.
        {"CreateAndDestroyEventsInCode",
         {ObjectWith("obj_ctl", {{3, 0, "if (!variable_local_exists(\"a\")) { a = instance_create(0, 0, obj_c); "
                                        "b = instance_create(0, 0, obj_c); with (a) instance_destroy(); "
                                        "test_note(\"back\", event_type, event_number, object_get_name(event_object)); }"}}),
          ObjectWith("obj_c", {{0, 0, "n = id - 100000; test_note(\"create\", event_type, event_number, "
                                      "object_get_name(event_object)); if (n == 3) instance_destroy();"},
                               {1, 0, "test_note(\"destroy\", event_type, event_number, n);"}})},
         {Placed(0)},
         {{"100002 create 0 0 obj_c", "100003 create 0 0 obj_c", "100003 destroy 1 0 3", "100002 destroy 1 0 2",
           "100001 back 3 0 obj_ctl"},
          {}},
         nullptr},
        // A step counting down in registers makes its replacement and destroys itself at 0, the row of
        // kept runs going on after those events' runs; a create event's first stores add its
        // variables, one of them deep in a script the first time (the stack's high water moves under
        // the kept row).
        {"InstancesRemadeFromTheirStep",
         {ObjectWith("obj_ctl", {{0, 0, "global.made = 0; global.gone = 0;"},
                                 {3, 2, "test_note(global.made, global.gone, instance_number(obj_t));"}}),
          ObjectWith("obj_t", {{0, 0, "life = 1 + (global.made mod 3); global.made += 1; "
                                      "if (global.made == 5) deep = scr_0(60);"},
                               {3, 0, "life -= 1;\nif (life <= 0) { instance_create(x, y, obj_t); instance_destroy(); }"},
                               {1, 0, "global.gone += 1;"},
                               {3, 2, "test_note(life);"}})},
         {Placed(0), Placed(1), Placed(1), Placed(1)},
         {{"100001 1 1 3", "100002 2", "100003 1", "100005 1"},
          {"100001 3 3 3", "100002 1", "100006 2", "100007 3"},
          {"100001 4 4 3", "100006 1", "100007 2", "100008 1"},
          {"100001 6 6 3", "100007 1", "100009 2", "100010 3"},
          {"100001 7 7 3", "100009 1", "100010 2", "100011 1"}},
         nullptr,
         {"if (argument0 <= 0) return 0; return scr_0(argument0 - 1) + 1;"}},
        // Instances remade from their step every frame take the records and variable lists of those
        // destroyed the frame before: the first two hold a variable before `life`, the later ones
        // `life` alone, and none of a former's variables is found in a later instance.
        {"RemadeInstancesInFormerRecords",
         {ObjectWith("obj_t", {{0, 0, "if (!variable_global_exists(\"made\")) global.made = 0; "
                                      "if (global.made < 2) kept = 7; life = 1; global.made += 1;"},
                               {3, 0, "life -= 1;\nif (life <= 0) { instance_create(x, y, obj_t); instance_destroy(); }"},
                               {3, 2, "test_note(life, global.made, variable_local_exists(\"kept\"));"}})},
         {Placed(0), Placed(0)},
         {{"100003 1 4 0", "100004 1 4 0"}, {"100005 1 6 0", "100006 1 6 0"}, {"100007 1 8 0", "100008 1 8 0"}},
         nullptr},
        // Create events that set their variables in two orders: a store adds its variable where the
        // last new instance had it only where the list would add it anyway, and finds it where an
        // earlier store of the same event put it elsewhere.
        {"RemadeInstancesSettingVariablesInTwoOrders",
         {ObjectWith("obj_ctl", {{0, 0, "global.made = 0;"}}),
          ObjectWith("obj_t", {{0, 0, "if (global.made mod 2 == 0) a = 7; else life = 0; "
                                      "life = 1 + (global.made mod 2); global.made += 1;"},
                               {3, 0, "life -= 1;\nif (life <= 0) { instance_create(x, y, obj_t); instance_destroy(); }"},
                               {3, 2, "test_note(life, variable_local_get(\"life\"), variable_local_exists(\"a\"));"}})},
         {Placed(0), Placed(1), Placed(1), Placed(1)},
         {{"100003 1 1 0", "100005 1 1 1", "100006 2 2 0"},
          {"100006 1 1 0", "100007 1 1 1", "100008 2 2 0"},
          {"100008 1 1 0", "100009 1 1 1", "100010 2 2 0"}},
         nullptr},
        // One handler run by the alarm walk and, from the step's code, nested in another run: its kept
        // run follows the depth each time, with a local variable and without.
        {"AlarmHandlerRunAtTwoDepths",
         {ObjectWith("obj_a", {{0, 0, "n = 0; alarm[0] = 1;"},
                               {2, 0, "var t; t = n + 1; n = t; alarm[0] = 1; test_note(\"alarm\", n, event_type);"},
                               {3, 0, "event_perform(ev_alarm, 0); test_note(\"step\", n, event_type);"}})},
         {Placed(0), Placed(0)},
         {{"100001 alarm 1 2", "100002 alarm 1 2", "100001 alarm 2 2", "100001 step 2 3", "100002 alarm 2 2",
           "100002 step 2 3"},
          {"100001 alarm 3 2", "100002 alarm 3 2", "100001 alarm 4 2", "100001 step 4 3", "100002 alarm 4 2",
           "100002 step 4 3"}},
         nullptr},
        // Create events making one another nest: the 32nd event in a row is refused with a fatal error.
        {"CreateEventsNestToTheDepthLimit",
         {ObjectWith("obj_r", {{0, 0, "global.k += 1; if (global.k == 1 || global.k == 31) test_note(global.k); "
                                      "instance_create(0, 0, obj_r);"}}),
          ObjectWith("obj_ctl", {{3, 0, "if (!variable_global_exists(\"k\")) { global.k = 0; instance_create(0, 0, obj_r); }"}})},
         {Placed(1)},
         {{"100002 1", "100032 31"}},
         "PerformEvent recursion depth failure"},
        // An error in a create event performed straight names the create event and the object.
        {"ReportedErrorNamesTheCreateEvent",
         {ObjectWith("obj_c", {{0, 0, "instance_change(9, false); test_note(\"on\");"}}),
          ObjectWith("obj_ctl", {{3, 0, "if (!variable_local_exists(\"a\")) a = instance_create(0, 0, obj_c);"}})},
         {Placed(1)},
         {{"100002 on"}},
         "for object obj_c:\n\n\nAsking to change into non-existing object: 9"},
        // The outside-room event goes to the instances outside when the walk reaches them: the first's
        // event brings the second inside first.
        {"OutsideEventAskedAsTheWalkReachesEach",
         {ObjectWith("obj_o", {{7, 0, "test_note(\"outside\", event_type, event_number); if (id == 100001) "
                                      "with (100002) x = 10;"}})},
         {Placed(0, -100), Placed(0, -50), Placed(0, -70)},
         {{"100001 outside 7 0", "100003 outside 7 0"}, {"100001 outside 7 0", "100003 outside 7 0"}},
         nullptr},
    };
}

enum class Way { Traced, Translated, WordLoop };

struct WalkRun {
    WalkCase game;
    bool compiled;
    Way way;
};

std::vector<WalkRun> WalkRuns()
{
    std::vector<WalkRun> runs;
    for (const WalkCase& c : WalkCases())
        for (bool compiled : {false, true})
            for (Way way : {Way::Traced, Way::Translated, Way::WordLoop}) runs.push_back({c, compiled, way});
    return runs;
}

void PrintTo(const WalkRun& run, std::ostream* out) { *out << run.game.name; }

std::string RunName(const testing::TestParamInfo<WalkRun>& info)
{
    const char* ways[] = {"Traced", "Translated", "WordLoop"};
    return PlayedWayName(info.param.game.name, info.param.compiled, ways[static_cast<int>(info.param.way)]);
}

class StepWalkTest : public FrameTest, public testing::WithParamInterface<WalkRun> {
  protected:
    void TearDown() override
    {
        g_VMTranslate = m_Translated;
        FrameTest::TearDown();
    }
    bool m_Translated = g_VMTranslate;
};

} // namespace

TEST_P(StepWalkTest, EveryWayLeavesTheSameNotes)
{
    const WalkRun& run = GetParam();
    if (run.way != Way::Traced) {
        // No trace: the walk may run handlers straight.
        unsetenv("KELVARO_TRACE");
        TestSwitches_Reload();
        EventTrace_Close();
    }
    g_VMTranslate = run.way != Way::WordLoop;
    gamebuild::GameDesc game = OneRoomGame(run.game.objects, run.game.placed);
    for (size_t i = 0; i < run.game.scripts.size(); ++i) {
        gamebuild::ScriptDesc script;
        script.name = "scr_" + std::to_string(i);
        script.code.source = run.game.scripts[i];
        game.scripts.push_back(script);
    }
    // The game's own compiler knows the built-ins once a game loaded them.
    if (run.compiled) {
        ASSERT_TRUE(Load(OneRoomGame({}, {}))) << m_Log.Text();
    }
    game.compiledCode = run.compiled;
    g_ErrorLast.clear();
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    TakeNotes();
    for (size_t frame = 0; frame < run.game.frames.size(); ++frame) {
        Tick();
        EXPECT_EQ(run.game.frames[frame], TakeNotes()) << "frame " << frame + 1;
    }
    if (run.game.error != nullptr)
        EXPECT_NE(g_ErrorLast.find(run.game.error), std::string::npos) << g_ErrorLast;
    else
        EXPECT_EQ(g_ErrorLast, "");
    EXPECT_EQ(Trace().empty(), run.way != Way::Traced);
    EXPECT_EQ(g_EventDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Games, StepWalkTest, testing::ValuesIn(WalkRuns()), RunName);
