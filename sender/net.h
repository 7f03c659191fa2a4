// The socket operations the sender and the simulated console need. One
// implementation per system: net_posix.cpp (BSD sockets), net_win32.cpp (Winsock).
// Every socket made here is non-blocking; each operation waits with a time limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace net {

using SocketId = std::intptr_t;  // a descriptor, or a Winsock SOCKET
constexpr SocketId kNoSocket = -1;

// Owns one socket and closes it when it goes.
class Socket {
 public:
  Socket() = default;
  explicit Socket(SocketId id) : id_(id) {}
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept : id_(other.id_) { other.id_ = kNoSocket; }
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool valid() const { return id_ != kNoSocket; }
  SocketId id() const { return id_; }
  void Close();
  // Closes at once with a reset instead of an orderly end, as a broken link would.
  void Abort();

 private:
  SocketId id_ = kNoSocket;
};

// Prepares the socket library once (Winsock needs it); false if it is unusable.
bool Startup();

enum class ConnectError { None, BadAddress, Unresolved, Refused, Unreachable, TimedOut, Other };

// Connects to an IPv4 address or host name within timeoutMs.
Socket Connect(const std::string& host, uint16_t port, int timeoutMs, ConnectError* error);

// Listens on 127.0.0.1:port (0 picks a free port, stored in *boundPort). Accepted
// sockets get receiveBuffer bytes of receive buffer (0: the system's default).
Socket ListenLoopback(uint16_t port, int receiveBuffer, uint16_t* boundPort);
// Waits for the next connection; an invalid socket when the listener fails.
Socket Accept(const Socket& listener);

enum class Io {
  Done,      // at least one byte moved
  Timeout,   // nothing happened within the time limit
  Closed,    // the peer ended the connection
  Incoming,  // the peer had something to say before the socket could take data
  Failed,    // the connection broke
};

// Sends some of data (at least one byte, stored in *sent) once the socket can take it.
// With watchIncoming the peer's data takes precedence and is reported as Incoming.
Io SendSome(const Socket& socket, const char* data, size_t size, int timeoutMs, bool watchIncoming,
            size_t* sent);
// Receives between one and size bytes; timeoutMs < 0 waits without a limit.
Io ReceiveSome(const Socket& socket, char* data, size_t size, int timeoutMs, size_t* received);

}  // namespace net
