// Networking services of start-up and shut-down, standing in until sockets exist.
#pragma once

#include <cstdint>

// A socket server; start-up makes one for the remote debugger.
struct qzServer {
    uint8_t isDebugger = 0; // marks the remote debugger's server
    // Opens the listening socket on the port; false when it cannot.
    bool Init(uint32_t address, int32_t port, int32_t first, int32_t second);
};

void Network_RegisterFunctions();
void Network_CloseAll();
// Reads pending data of every open socket and server and raises the network events (each frame).
void Network_ProcessSockets();
