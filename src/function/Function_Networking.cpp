// The network_ built-ins: sockets and servers named by their slot in the socket table. Received
// data never comes from a call; it arrives through the network event.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/Base_Console.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "networking/Networking_Manager.h"
#include "networking/Networking_Winsock.h"

namespace {

constexpr int32_t MAX_SERVER_CLIENTS = 1023;

// Checks the count and the kinds ('r' real, 's' string) the routine reads.
bool ArgumentsFit(int32_t argc, const ScriptValue* args, const char* kinds)
{
    if (argc != static_cast<int32_t>(std::strlen(kinds))) {
        Error_Show_Action("Illegal argument count", false);
        return false;
    }
    for (int32_t i = 0; i < argc; ++i) {
        if (kinds[i] == 's' ? Arg_IsString(args[i]) : Arg_IsReal(args[i])) continue;
        Error_Show_Action("Illegal argument type", false);
        return false;
    }
    return true;
}

void StartSockets()
{
    if (!g_WinsockStarted) Winsock_Start();
}

void ReportBluetooth()
{
    MainConsole->Output("Error: Bluetooth not yet implemented\n");
}

// The bytes a send takes from a buffer: its first `size`, clamped to what the buffer holds.
struct Payload {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

bool BufferPayload(const ScriptValue& index, const ScriptValue& size, Payload* out)
{
    IBuffer* buffer = Buffer_Get(Arg_Int(index));
    if (buffer == nullptr) return false;
    out->data = buffer->m_pData;
    out->size = static_cast<uint32_t>(std::clamp(Arg_Int(size), 0, std::max(buffer->m_Size, 0)));
    return true;
}

// A send's target socket and payload; false (default result) when either is missing.
bool SendTarget(const ScriptValue& id, const ScriptValue& buffer, const ScriptValue& size, qzSocket** socket,
                Payload* payload)
{
    *socket = Network_SlotSocket(Arg_Int(id));
    return *socket != nullptr && BufferPayload(buffer, size, payload);
}

// The socket a slot's options and broadcasts go through: its own, or its server's listening one.
qzSocket* SlotEndpoint(int32_t id)
{
    if (qzSocket* socket = Network_SlotSocket(id)) return socket;
    qzServer* server = Network_SlotServer(id);
    return server != nullptr ? server->m_pListener : nullptr;
}

void Builtin_NetworkCreateSocket(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!ArgumentsFit(argc, args, "r")) return;
    StartSockets();
    int32_t kind = Arg_Int(args[0]);
    if (kind == SOCKET_KIND_BLUETOOTH) ReportBluetooth();
    int32_t slot = Network_AllocSlot();
    if (slot < 0) return;
    auto* socket = new qzSocket(kind);
    socket->m_SlotId = slot;
    socket->SetReceiveSize(SOCKET_RECEIVE_SIZE);
    if (kind == SOCKET_KIND_UDP) socket->CreateForKind();
    g_NetworkSlots[slot].socket = socket;
    Result_Real(result, slot);
}

void Builtin_NetworkCreateServer(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!ArgumentsFit(argc, args, "rrr")) return;
    StartSockets();
    int32_t kind = Arg_Int(args[0]);
    int32_t clients = Arg_Int(args[2]);
    if (clients > MAX_SERVER_CLIENTS) {
        MainConsole->Output("Illegal number of clients for server\n");
        return;
    }
    if (kind == SOCKET_KIND_BLUETOOTH) ReportBluetooth();
    int32_t slot = Network_AllocSlot();
    if (slot < 0) return;
    auto* server = new qzServer();
    if (server->Init(kind, Arg_Int(args[1]), clients, 0) != 0) {
        Network_CloseSlot(slot);
        Network_Discard(server);
        return;
    }
    server->m_SlotId = slot;
    server->m_pListener->m_SlotId = slot;
    g_NetworkSlots[slot].server = server;
    Result_Real(result, slot);
}

void Builtin_NetworkConnect(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!ArgumentsFit(argc, args, "rsr")) return;
    if (qzSocket* socket = Network_SlotSocket(Arg_Int(args[0])))
        Result_Real(result, socket->Connect(Arg_Text(args[1]), Arg_Int(args[2])));
}

void Builtin_NetworkConnectRaw(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!ArgumentsFit(argc, args, "rsr")) return;
    if (qzSocket* socket = Network_SlotSocket(Arg_Int(args[0])))
        Result_Real(result, socket->ConnectRaw(Arg_Text(args[1]), Arg_Int(args[2])));
}

void Builtin_NetworkSendPacket(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    qzSocket* socket = nullptr;
    Payload payload;
    if (!ArgumentsFit(argc, args, "rrr") || !SendTarget(args[0], args[1], args[2], &socket, &payload)) return;
    Result_Real(result, static_cast<double>(socket->SendPacket(payload.data, payload.size)));
}

void Builtin_NetworkSendRaw(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    qzSocket* socket = nullptr;
    Payload payload;
    if (!ArgumentsFit(argc, args, "rrr") || !SendTarget(args[0], args[1], args[2], &socket, &payload)) return;
    Result_Real(result, static_cast<double>(socket->Send(payload.data, payload.size)));
}

void Builtin_NetworkSendUdp(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    qzSocket* socket = nullptr;
    Payload payload;
    if (!ArgumentsFit(argc, args, "rsrrr") || !SendTarget(args[0], args[3], args[4], &socket, &payload)) return;
    Result_Real(result, socket->SendPacketTo(Arg_Text(args[1]), Arg_Int(args[2]), payload.data, payload.size));
}

void Builtin_NetworkSendBroadcast(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!ArgumentsFit(argc, args, "rrrr")) return;
    Payload payload;
    if (!BufferPayload(args[2], args[3], &payload)) {
        Error_Show_Action("Illegal Buffer ID", false);
        return;
    }
    if (qzSocket* socket = SlotEndpoint(Arg_Int(args[0])))
        Result_Real(result, socket->SendBroadcast(Arg_Int(args[1]), payload.data, payload.size));
}

void Builtin_NetworkResolve(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Text(result, "");
    if (!ArgumentsFit(argc, args, "s")) return;
    StartSockets();
    Result_Text(result, Winsock_ResolveToText(Arg_Text(args[0])).c_str());
}

void Builtin_NetworkReceivePacket(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!ArgumentsFit(argc, args, "rrr")) return;
    if (Buffer_Get(Arg_Int(args[1])) == nullptr) Error_Show_Action("Illegal Buffer ID", false);
}

void Builtin_NetworkDestroy(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (!ArgumentsFit(argc, args, "r")) return;
    Network_CloseSlot(Arg_Int(args[0]));
}

void Builtin_NetworkSetTimeout(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (!ArgumentsFit(argc, args, "rrr")) return;
    if (qzSocket* socket = SlotEndpoint(Arg_Int(args[0])))
        Result_Real(result, socket->SetTimeouts(Arg_Int(args[1]), Arg_Int(args[2])));
}

const FunctionRow NETWORK_FUNCTIONS[] = {
    {"network_create_socket", Builtin_NetworkCreateSocket, 1},
    {"network_create_server", Builtin_NetworkCreateServer, 3},
    {"network_connect", Builtin_NetworkConnect, 3},
    {"network_connect_raw", Builtin_NetworkConnectRaw, 3},
    {"network_send_packet", Builtin_NetworkSendPacket, 3},
    {"network_send_raw", Builtin_NetworkSendRaw, 3},
    {"network_send_udp", Builtin_NetworkSendUdp, 5},
    {"network_send_broadcast", Builtin_NetworkSendBroadcast, 4},
    {"network_resolve", Builtin_NetworkResolve, 1},
    {"network_receive_packet", Builtin_NetworkReceivePacket, 3},
    {"network_destroy", Builtin_NetworkDestroy, 1},
    {"network_set_timeout", Builtin_NetworkSetTimeout, 3},
};

} // namespace

void Network_RegisterFunctions()
{
    Network_ResetSlots();
    Function_AddRows(NETWORK_FUNCTIONS);
}
