// "hiscore.dat" as it comes from the save area. Whatever the table takes from a file, it writes
// back in a form that reads to the same table.
#include <cstdint>
#include <cstdlib>

#include "run/Run_Highscore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Score_Clear();
    Score_Decode(data, static_cast<int32_t>(size));
    std::string once = Score_Encode();
    if (!Score_Decode(reinterpret_cast<const uint8_t*>(once.data()), static_cast<int32_t>(once.size()))) std::abort();
    if (Score_Encode() != once) std::abort();
    for (int32_t place = 1; place <= SCORE_PLACES; ++place) {
        const char* name = Score_GetName(place);
        if (name != nullptr && std::char_traits<char>::length(name) > SCORE_NAME_LIMIT) std::abort();
    }
    return 0;
}
