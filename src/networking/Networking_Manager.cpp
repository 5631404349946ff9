#include "networking/Networking_Manager.h"

#include <vector>

#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "run/Run_Frame.h"
#include "run/Run_FrameParts.h"

NetworkSlot g_NetworkSlots[NETWORK_SLOTS];
int32_t g_NetworkEventMap = -1;
void (*g_NetworkEventHook)(int32_t map) = nullptr;

namespace {

int32_t g_BusyDepth = 0;
std::vector<qzSocket*> g_DiscardedSockets;
std::vector<qzServer*> g_DiscardedServers;

void FreeDiscarded()
{
    // Freeing a server may discard its listening socket, so servers go first.
    while (!g_DiscardedServers.empty() || !g_DiscardedSockets.empty()) {
        std::vector<qzServer*> servers;
        servers.swap(g_DiscardedServers);
        for (qzServer* server : servers) delete server;
        std::vector<qzSocket*> sockets;
        sockets.swap(g_DiscardedSockets);
        for (qzSocket* socket : sockets) delete socket;
    }
}

// Clears the event map, or makes it when there is none (a script may have destroyed it).
void PrepareEventMap()
{
    if (CDS_Map* map = g_DSMaps.Get(g_NetworkEventMap)) map->Clear();
    else g_NetworkEventMap = DS_NewMap();
}

void PerformNetworkEvent()
{
    async_load = g_NetworkEventMap;
    if (g_NetworkEventHook != nullptr) g_NetworkEventHook(g_NetworkEventMap);
    frame::Raise(EVENT_OTHER, NETWORK_EVENT_SUBTYPE);
    async_load = -1;
}

const char* SlotAddressText(int32_t slot)
{
    if (qzSocket* socket = Network_SlotSocket(slot)) return socket->m_PeerText;
    qzServer* server = Network_SlotServer(slot);
    if (server != nullptr && server->m_pListener != nullptr) return server->m_pListener->m_PeerText;
    return "";
}

// The slot pass: only sockets no server owns; a server reads its own connections.
void PollSocket(qzSocket* socket)
{
    if (socket->m_pServer != nullptr || socket->IsClosed() || socket->m_Handle == NET_INVALID_HANDLE) return;
    if (socket->m_Kind == SOCKET_KIND_UDP) {
        socket->ReadDatagrams();
        return;
    }
    socket->FlushOutgoing();
    // Bytes kept from a connect's wait are delivered even when nothing new came.
    socket->ReadAvailable();
    if (socket->KeptSize() > 0) socket->DeliverPackets();
}

} // namespace

NetworkBusy::NetworkBusy()
{
    ++g_BusyDepth;
}

NetworkBusy::~NetworkBusy()
{
    if (--g_BusyDepth == 0) FreeDiscarded();
}

void Network_Discard(qzSocket* socket)
{
    if (socket == nullptr) return;
    socket->CloseAll();
    socket->m_State = SOCKET_CLOSED;
    if (g_BusyDepth > 0) g_DiscardedSockets.push_back(socket);
    else delete socket;
}

void Network_Discard(qzServer* server)
{
    if (server == nullptr) return;
    server->Shutdown();
    if (g_BusyDepth > 0) g_DiscardedServers.push_back(server);
    else delete server;
}

void Network_ResetSlots()
{
    for (int32_t i = 0; i < NETWORK_SLOTS; ++i) Network_CloseSlot(i);
}

void Network_CloseAll()
{
    Network_ResetSlots();
    // No event can follow, so the map they shared goes too.
    CDS_Map_Destroy(g_NetworkEventMap);
    g_NetworkEventMap = -1;
}

int32_t Network_AllocSlot()
{
    for (int32_t i = 0; i < NETWORK_SLOTS; ++i) {
        if (g_NetworkSlots[i].inUse) continue;
        g_NetworkSlots[i] = NetworkSlot{1, nullptr, nullptr};
        return i;
    }
    return -1;
}

void Network_CloseSlot(int32_t index)
{
    if (index < 0 || index >= NETWORK_SLOTS || !g_NetworkSlots[index].inUse) return;
    NetworkSlot slot = g_NetworkSlots[index];
    g_NetworkSlots[index] = NetworkSlot{};
    // A server's connection leaves its server before it goes.
    if (slot.socket != nullptr && slot.socket->m_pServer != nullptr) slot.socket->m_pServer->RemoveClient(slot.socket);
    Network_Discard(slot.server);
    Network_Discard(slot.socket);
}

int32_t Network_FreeSocketSlot(qzSocket* socket)
{
    for (int32_t i = 0; i < NETWORK_SLOTS; ++i) {
        if (!g_NetworkSlots[i].inUse || g_NetworkSlots[i].socket != socket) continue;
        Network_CloseSlot(i);
        return i;
    }
    return -1;
}

qzSocket* Network_SlotSocket(int32_t id)
{
    if (id < 0 || id >= NETWORK_SLOTS || !g_NetworkSlots[id].inUse) return nullptr;
    return g_NetworkSlots[id].socket;
}

qzServer* Network_SlotServer(int32_t id)
{
    if (id < 0 || id >= NETWORK_SLOTS || !g_NetworkSlots[id].inUse) return nullptr;
    return g_NetworkSlots[id].server;
}

void Network_PollServers()
{
    for (int32_t i = 0; i < NETWORK_SLOTS; ++i)
        if (qzServer* server = Network_SlotServer(i)) server->Process();
}

void Network_ProcessSockets()
{
    NetworkBusy busy;
    for (int32_t i = 0; i < NETWORK_SLOTS; ++i) {
        if (qzServer* server = Network_SlotServer(i)) server->Process();
        else if (qzSocket* socket = Network_SlotSocket(i)) PollSocket(socket);
    }
}

void Network_RaiseConnectEvent(int32_t serverSlot, int32_t clientSlot, bool connected)
{
    NetworkBusy busy;
    PrepareEventMap();
    DS_MapAddEntry(g_NetworkEventMap, "type", connected ? NETWORK_EVENT_CONNECT : NETWORK_EVENT_DISCONNECT);
    DS_MapAddEntry(g_NetworkEventMap, "id", serverSlot);
    DS_MapAddEntry(g_NetworkEventMap, "socket", clientSlot);
    // The disconnected client's slot is already free, so its address is "".
    qzSocket* client = Network_SlotSocket(clientSlot);
    DS_MapReplaceEntry(g_NetworkEventMap, "ip", connected && client != nullptr ? client->m_PeerText : "");
    PerformNetworkEvent();
}

void Network_RaiseDataEvent(int32_t slot, int32_t buffer, int32_t size)
{
    NetworkBusy busy;
    PrepareEventMap();
    DS_MapAddEntry(g_NetworkEventMap, "type", NETWORK_EVENT_DATA);
    DS_MapAddEntry(g_NetworkEventMap, "id", slot);
    DS_MapAddEntry(g_NetworkEventMap, "buffer", buffer);
    DS_MapAddEntry(g_NetworkEventMap, "size", size);
    DS_MapReplaceEntry(g_NetworkEventMap, "ip", SlotAddressText(slot));
    PerformNetworkEvent();
}
