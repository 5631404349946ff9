// The socket layer's module state and its shared steps: starting, the log line of the last error,
// and host names to IPv4 addresses.
#pragma once

#include <cstdint>
#include <string>

#include "networking/posix/Networking_Os.h"

extern bool g_WinsockStarted;
// The result of the last connect or address look-up (0 = success).
extern int32_t g_WinsockLastResult;
// Look-ups that went to the resolver (tests read it).
extern int32_t g_WinsockResolverCalls;

// Runs once per program: the first socket, server or server construction starts the layer.
void Winsock_Start();
// Logs the line of the last error's code; codes without a line log nothing.
void Winsock_ReportError();
void Winsock_ReportErrorCode(int32_t code);

// "localhost" is 127.0.0.1; a dotted text is taken as it stands; anything else asks the resolver
// (its result becomes the last result). False when the host cannot be resolved.
bool Winsock_ResolveAddress(const char* host, NetAddress* out);
// The dotted text of the resolved address, or "" when it cannot be resolved.
std::string Winsock_ResolveToText(const char* host);
