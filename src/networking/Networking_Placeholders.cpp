#include "networking/Networking_Placeholders.h"

#include "base/Base_Console.h"

// PLACEHOLDER until sockets exist: no socket layer yet, so the server does not listen.
bool qzServer::Init(uint32_t /*address*/, int32_t port, int32_t /*first*/, int32_t /*second*/)
{
    MainConsole->Output("Server not started on port %d: no socket layer\n", port);
    return false;
}

// PLACEHOLDER until sockets exist: registers no functions.
void Network_RegisterFunctions() {}

// PLACEHOLDER until sockets exist: no socket is open.
void Network_CloseAll() {}

// PLACEHOLDER until sockets exist: no socket can be open.
void Network_ProcessSockets() {}
