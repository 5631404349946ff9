#include "dplay/DPlay_Functions.h"

const DPlaySession g_DPlaySession{};

const char* DPlay_PlayerName(int32_t /*id*/)
{
    return nullptr;
}
