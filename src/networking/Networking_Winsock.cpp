#include "networking/Networking_Winsock.h"

#include <cstring>

#include "base/Base_Console.h"

bool g_WinsockStarted = false;
int32_t g_WinsockLastResult = 0;
int32_t g_WinsockResolverCalls = 0;

namespace {

struct ErrorLine {
    int32_t code;
    const char* line;
};

const ErrorLine ERROR_LINES[] = {
    {10004, "Error (WSAEINTR): interrupted system call"},
    {10009, "Error (WSAEBADF): bad file number"},
    {10013, "Error (WSAEACCES): permission denied"},
    {10014, "Error (WSAEFAULT): bad address"},
    {10022, "Error (WSAEINVAL): invalid argument"},
    {10024, "Error (WSAEMFILE): too many open files"},
    {10035, "Error (WSAEWOULDBLOCK): operation would block"},
    {10036, "Error (WSAEINPROGRESS): operation now in progress"},
    {10037, "Error (WSAEALREADY): operation already in progress"},
    {10038, "Error (WSAENOTSOCK): socket operation on non-socket"},
    {10039, "Error (WSAEDESTADDRREQ): destination address required"},
    {10040, "Error (WSAEDESTADDRREQ): message too long"},
    {10041, "Error (WSAEPROTOTYPE): protocol wrong type for socket"},
    {10042, "Error (WSAEPROTOTYPE): bad protocol option / protocol not available"},
    {10043, "Error (WSAEPROTONOSUPPORT): protocol not suppported"},
    {10045, "Error (WSAEOPNOTSUPP): operation not supported on socket"},
    {10060, "Error (WSAETIMEDOUT): Connection timed out."},
    {10061, "Error (WSAECONNREFUSED): Connection refused."},
    {10108, "Error (WSASERVICE_NOT_FOUND): (Winsock2)"},
};

} // namespace

void Winsock_Start()
{
    // POSIX sockets need no start; the flag keeps the once-per-program order of the callers.
    g_WinsockStarted = true;
}

void Winsock_ReportErrorCode(int32_t code)
{
    for (const ErrorLine& row : ERROR_LINES)
        if (row.code == code) MainConsole->Output("%s\r\n", row.line);
}

void Winsock_ReportError()
{
    Winsock_ReportErrorCode(Net_LastError());
}

bool Winsock_ResolveAddress(const char* host, NetAddress* out)
{
    if (host == nullptr) host = "";
    if (std::strcmp(host, "localhost") == 0) host = "127.0.0.1";
    *out = NetAddress{};
    if (Net_ParseDotted(host, out)) return true;
    ++g_WinsockResolverCalls;
    g_WinsockLastResult = Net_Lookup(host, out);
    return g_WinsockLastResult == 0;
}

std::string Winsock_ResolveToText(const char* host)
{
    NetAddress address;
    if (!Winsock_ResolveAddress(host, &address)) return "";
    char text[16];
    Net_AddressText(address, text);
    return text;
}
