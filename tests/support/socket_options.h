#pragma once

namespace kb::testing {

// Sets a socket's send or receive buffer size: a slow link in a test.
void SetSocketBuffer(int fd, bool send, int bytes);

// Shrinks a listener's queue to nothing: once it holds a connect or two, Linux
// drops further ones unanswered, as a firewall that drops does.
void StopAnswering(int fd);

// A TCP connection to 127.0.0.1:port from the local address `from`
// (127.0.0.2 is another machine to a server); the socket or -1.
int ConnectFrom(const char* from, int port);

}  // namespace kb::testing
