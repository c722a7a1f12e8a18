#pragma once
// TCP ports on loopback addresses for the servers and peers that tests start as
// programs of their own, which cannot be handed a listening socket.
#include <cstdint>
#include <string>

// A port nothing listens on at this moment; 0 when none could be found. Another
// process may take it before the program does: callers try again with a new one.
std::uint16_t FreeTcpPort(const std::string& address);
// Something accepts connections at address:port now.
bool AcceptsConnections(const std::string& address, std::uint16_t port);
