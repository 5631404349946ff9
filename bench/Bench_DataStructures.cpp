// The script data structures at growing sizes. Each line prints the time per element at each size and
// the growth ratio of the total time between sizes: about 10 for a linear cost over a tenfold size,
// a little more for n log n, about 100 for a quadratic one, 1 for a constant cost per call.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Priority.h"
#include "datastructure/DataStructure_Stack.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

using Clock = std::chrono::steady_clock;

uint32_t g_Seed = 2701;
double NextReal()
{
    g_Seed = g_Seed * 1664525u + 1013904223u;
    return static_cast<double>(g_Seed) / 4294967296.0 * 1e6;
}

ScriptValue Real(double v)
{
    return ScriptValue{VALUE_REAL, 0, v};
}

// Runs the work at each size and prints the seconds per element and the ratio to the previous size.
void Measure(const char* name, const std::vector<int32_t>& sizes, const std::function<void(int32_t)>& work)
{
    std::printf("%-34s", name);
    double previous = 0;
    for (int32_t n : sizes) {
        Clock::time_point start = Clock::now();
        work(n);
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("  n=%-8d %8.1f ns/elem", n, seconds / n * 1e9);
        if (previous > 0) std::printf(" (x%.1f)", seconds / previous);
        previous = seconds;
    }
    std::printf("\n");
}

void ListAdd(int32_t n)
{
    CDS_List list;
    for (int32_t i = 0; i < n; ++i) {
        ScriptValue v = Real(i);
        list.Add(&v);
    }
}

void QueueEnqueue(int32_t n)
{
    CDS_Queue queue;
    for (int32_t i = 0; i < n; ++i) {
        ScriptValue v = Real(i);
        queue.Enqueue(&v);
    }
    while (queue.Dequeue() != nullptr) {
    }
}

void MapAddFind(int32_t n)
{
    CDS_Map map;
    for (int32_t i = 0; i < n; ++i) {
        ScriptValue k = Real(i);
        map.Add(&k, &k);
    }
    int32_t found = 0;
    for (int32_t i = 0; i < n; ++i) {
        ScriptValue k = Real(i);
        found += map.Find(&k) != nullptr ? 1 : 0;
    }
    if (found != n) std::printf("lost keys ");
}

void MapWalk(int32_t n)
{
    CDS_Map map;
    for (int32_t i = 1; i <= n; ++i) {
        ScriptValue k = Real(i);
        map.Add(&k, &k);
    }
    int32_t visited = 0;
    for (CDS_MapNode* node = map.FindFirst(); node != nullptr; node = map.FindNext(&node->key)) ++visited;
    if (visited != n) std::printf("walk lost entries ");
}

void SortReals(int32_t n, bool nearEqual)
{
    CDS_List list;
    for (int32_t i = 0; i < n; ++i) {
        // Reals packed closer than the precision of 1e-8 but distinct in single precision: the
        // comparison no longer orders them totally, so only the insertion sort gives its order.
        ScriptValue v = Real(nearEqual ? NextReal() * 1e-12 : NextReal());
        list.Add(&v);
    }
    list.Sort(true);
}

void PriorityDeleteMin(int32_t n)
{
    CDS_Priority queue;
    for (int32_t i = 0; i < n; ++i) {
        ScriptValue v = Real(NextReal());
        queue.Add(&v, &v);
    }
    ScriptValue out = Real(0);
    for (int32_t i = 0; i < n; ++i) queue.DeleteMin(&out);
}

} // namespace

int main()
{
    ScriptHeap_Init();
    std::printf("data structures: time per element, total-time ratio to the previous size in brackets\n");
    const std::vector<int32_t> large = {10000, 100000, 1000000};
    Measure("list add (linear)", large, ListAdd);
    Measure("queue enqueue+dequeue (linear)", large, QueueEnqueue);
    Measure("map add and find (linear)", large, MapAddFind);
    Measure("map walk by find-next (linear)", large, MapWalk);
    Measure("list sort, distinct reals (n log n)", {10000, 100000}, [](int32_t n) { SortReals(n, false); });
    Measure("list sort, near-equal reals (n^2)", {1000, 10000}, [](int32_t n) { SortReals(n, true); });
    Measure("priority delete-min (n^2: linear per call)", {1000, 10000}, PriorityDeleteMin);
    return 0;
}
