#include "networking/Networking_Server.h"

#include <algorithm>

#include "base/Base_Console.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Standard.h"
#include "code/Code_Breakpoints.h"
#include "debug/Debug_Remote.h"
#include "networking/Networking_Manager.h"
#include "networking/Networking_Winsock.h"

namespace {

IBuffer* NewSendBuffer()
{
    return new Buffer_Standard(SOCKET_SEND_BUFFER_SIZE, eBuffer_Grow, 1);
}

} // namespace

qzServer::qzServer()
{
    if (!g_WinsockStarted) Winsock_Start();
}

qzServer::~qzServer()
{
    Shutdown();
}

int32_t qzServer::Init(int32_t kind, int32_t port, int32_t clientLimit, int32_t debugger)
{
    m_Kind = kind;
    if (kind != SOCKET_KIND_TCP && kind != SOCKET_KIND_UDP) return -1;
    m_ClientLimit = clientLimit;
    isDebugger = debugger != 0;
    m_pListener = new qzSocket(kind);
    m_pListener->m_IsDebugger = isDebugger;
    m_pListener->CreateOsSocket();
    if (m_pListener->m_Handle == NET_INVALID_HANDLE) {
        MainConsole->Output("Error: Can't open main server socket\n");
        Shutdown();
        return -1;
    }
    // Anyone who reaches the debugger's port can run code in the game, so it answers this machine only.
    int32_t result = m_pListener->Bind(static_cast<uint16_t>(port), isDebugger != 0);
    if (result < 0) {
        MainConsole->Output("%s\n", "cannot bind port ");
        Shutdown();
        return result;
    }
    if (kind == SOCKET_KIND_TCP) {
        result = m_pListener->Listen(SERVER_BACKLOG);
        if (result < 0) {
            MainConsole->Output("%s\n", "cannot listen on selected port");
            Shutdown();
            return result;
        }
    } else {
        m_pListener->m_pSendBuffer = NewSendBuffer();
    }
    m_pListener->m_SlotId = m_SlotId;
    m_Members.assign(1, m_pListener);
    return 0;
}

void qzServer::Shutdown()
{
    for (size_t i = 1; i < m_Members.size(); ++i) {
        qzSocket* client = m_Members[i];
        client->m_pServer = nullptr;
        // The debugger's connections have no slot to outlive their server in.
        if (client->m_IsDebugger) {
            client->Close();
            client->m_State = SOCKET_CLOSED;
            Network_Discard(client);
        }
    }
    m_Members.clear();
    m_ClientCount = 0;
    if (m_pListener != nullptr) {
        m_pListener->m_State = SOCKET_CLOSED;
        Network_Discard(m_pListener);
        m_pListener = nullptr;
    }
}

void qzServer::AddClient(qzSocket* client)
{
    m_Members.push_back(client);
    client->m_pServer = this;
}

void qzServer::RemoveClient(qzSocket* client)
{
    auto found = std::find(m_Members.begin() + (m_Members.empty() ? 0 : 1), m_Members.end(), client);
    if (found == m_Members.end()) return;
    m_Members.erase(found);
    client->m_pServer = nullptr;
    --m_ClientCount;
}

bool qzServer::IsMember(const qzSocket* client) const
{
    return std::find(m_Members.begin(), m_Members.end(), client) != m_Members.end();
}

void qzServer::Process()
{
    if (m_pListener == nullptr || m_Processing) return;
    NetworkBusy busy;
    m_Processing = true;
    // The walk goes over a copy: events may close connections or the server itself.
    std::vector<qzSocket*> walked = m_Members;
    std::vector<int32_t> handles;
    for (qzSocket* member : walked) {
        if (member != m_pListener) member->FlushOutgoing();
        handles.push_back(member->m_Handle);
    }
    std::vector<uint8_t> ready(handles.size());
    if (Net_PollReadable(handles.data(), handles.size(), SERVER_POLL_MICROSECONDS, ready.data()) > 0) {
        for (size_t i = 0; i < walked.size() && m_pListener != nullptr; ++i) {
            qzSocket* member = walked[i];
            if (ready[i] == 0 || !IsMember(member) || member->IsClosed()) continue;
            if (member != m_pListener) ServeClient(member);
            else if (m_Kind == SOCKET_KIND_UDP) m_pListener->ReadDatagrams();
            else AcceptClient();
        }
    }
    m_Processing = false;
}

void qzServer::AcceptClient()
{
    int32_t handle = m_pListener->Accept();
    if (handle == NET_INVALID_HANDLE) return;
    auto* client = new qzSocket(handle, m_Kind);
    int32_t slot = -1;
    if (m_ClientCount >= m_ClientLimit || (!isDebugger && (slot = Network_AllocSlot()) < 0)) {
        delete client;
        return;
    }
    if (isDebugger) client->m_IsDebugger = 1;
    else g_NetworkSlots[slot].socket = client;
    client->m_SlotId = slot;
    ++m_ClientCount;
    AddClient(client);
    Net_PeerText(handle, client->m_PeerText);
    MainConsole->Output("Client(%d) Conected: %s\n", slot, client->m_PeerText);
    client->m_State = SOCKET_GREETED;
    client->m_pSendBuffer = NewSendBuffer();
    if (client->Send(reinterpret_cast<const uint8_t*>(NET_GREETING), NET_GREETING_SIZE) != NET_GREETING_SIZE) {
        MainConsole->Output("send error\n");
        DropClient(client);
    }
}

void qzServer::ServeClient(qzSocket* client)
{
    if (client->ReadAvailable() > 0) HandleConnection(client);
    if (client->m_PeerGone && IsMember(client) && !client->IsClosed()) DisconnectClient(client);
}

void qzServer::HandleConnection(qzSocket* client)
{
    client->RewindSendBuffer();
    while (IsMember(client) && !client->IsClosed()) {
        NetCut cut = client->NextMessage({true, client->m_IsDebugger != 0, client->m_State == SOCKET_GREETED});
        if (cut.kind == NetCutKind::Wait) break;
        const uint8_t* message = client->Kept() + cut.offset;
        client->Consume(cut.consumed);
        switch (cut.kind) {
        case NetCutKind::Handshake: AnswerHandshake(client, cut.consumed); break;
        case NetCutKind::Refused: DropClient(client); break;
        case NetCutKind::Close: DisconnectClient(client); break;
        case NetCutKind::Command: Debugger_HandleCommand(client, message, static_cast<uint32_t>(cut.length)); break;
        case NetCutKind::Frame:
        case NetCutKind::Raw: client->RaisePacket(message, cut.length); break;
        default: break;
        }
    }
    client->Compact();
}

void qzServer::AnswerHandshake(qzSocket* client, size_t consumed)
{
    client->m_PaddingLeft = static_cast<uint32_t>(NET_HANDSHAKE_SIZE - consumed);
    uint8_t reply[NET_REPLY_SIZE];
    Net_WriteU32(reply, NET_REPLY_FIRST);
    Net_WriteU32(reply + 4, NET_REPLY_SECOND);
    Net_WriteU32(reply + 8, NET_REPLY_SIZE);
    client->Send(reply, sizeof reply);
    client->m_State = SOCKET_CONNECTED;
    if (!client->m_IsDebugger) Network_RaiseConnectEvent(m_SlotId, client->m_SlotId, true);
}

void qzServer::DisconnectClient(qzSocket* client)
{
    MainConsole->Output("Client(%d) Disconnected: %s\n", client->m_SlotId, client->m_PeerText);
    if (client->m_IsDebugger) {
        VM_ClearBreakpoints();
        Debugger_SetPaused(false);
    }
    RemoveClient(client);
    client->Close();
    client->m_State = SOCKET_CLOSED;
    if (client->m_IsDebugger) {
        Network_Discard(client);
        return;
    }
    int32_t slot = Network_FreeSocketSlot(client);
    if (slot < 0) Network_Discard(client);
    Network_RaiseConnectEvent(m_SlotId, slot, false);
}

void qzServer::DropClient(qzSocket* client)
{
    RemoveClient(client);
    client->Close();
    client->m_State = SOCKET_CLOSED;
    if (client->m_IsDebugger || Network_FreeSocketSlot(client) < 0) Network_Discard(client);
}
