// The socket table that scripts name sockets and servers by, the per-frame poll, and the network
// event (asynchronous other event 68) through which scripts learn of connections and packets.
//
// Events run inside the poll, and their scripts may send on or destroy what the poll is walking:
// sockets and servers closed then are closed at once but freed only when the outermost poll ends.
#pragma once

#include <cstdint>

#include "networking/Networking_Server.h"
#include "networking/Networking_Socket.h"

constexpr int32_t NETWORK_SLOTS = 64;
constexpr int32_t NETWORK_EVENT_SUBTYPE = 68;

enum : int32_t {
    NETWORK_EVENT_CONNECT = 1,
    NETWORK_EVENT_DISCONNECT = 2,
    NETWORK_EVENT_DATA = 3,
};

struct NetworkSlot {
    uint8_t inUse = 0;
    qzSocket* socket = nullptr;
    qzServer* server = nullptr;
};

extern NetworkSlot g_NetworkSlots[NETWORK_SLOTS];
// The map reused by every network event; -1 until the first.
extern int32_t g_NetworkEventMap;
// Sees each event's map just before the game does (tests).
extern void (*g_NetworkEventHook)(int32_t map);

// Empties the table (registration); closing all (shut-down) also frees the event map.
void Network_ResetSlots();
void Network_CloseAll();
void Network_ProcessSockets();
// Every server in the table polled once (a connecting client waits this way).
void Network_PollServers();

int32_t Network_AllocSlot();
void Network_CloseSlot(int32_t index);
// Closes the slot holding the socket; its index, or -1 when no slot holds it.
int32_t Network_FreeSocketSlot(qzSocket* socket);
// The slot's socket or server: null for an id outside 0..63, a free slot or the other kind.
qzSocket* Network_SlotSocket(int32_t id);
qzServer* Network_SlotServer(int32_t id);

void Network_RaiseConnectEvent(int32_t serverSlot, int32_t clientSlot, bool connected);
void Network_RaiseDataEvent(int32_t slot, int32_t buffer, int32_t size);

// Frees now, or at the end of the outermost poll when one is running.
void Network_Discard(qzSocket* socket);
void Network_Discard(qzServer* server);

// Marks a poll in progress while it lives.
class NetworkBusy {
  public:
    NetworkBusy();
    ~NetworkBusy();
    NetworkBusy(const NetworkBusy&) = delete;
    NetworkBusy& operator=(const NetworkBusy&) = delete;
};

void Network_RegisterFunctions();
