// Winsock implementation of net.h.
#include "sender/net.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace net {

namespace {

constexpr int kSendBuffer = 256 * 1024;

SOCKET Handle(const Socket& socket) { return static_cast<SOCKET>(socket.id()); }

void MakeNonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

struct Readiness {
  bool readable = false, writable = false, failed = false;
};

// Waits until the socket is readable or writable (as asked) or reports an error.
// false on time-out or when select itself fails (then *ready.failed is set).
bool WaitFor(SOCKET s, bool read, bool write, int timeoutMs, Readiness* ready) {
  fd_set readSet, writeSet, errorSet;
  FD_ZERO(&readSet);
  FD_ZERO(&writeSet);
  FD_ZERO(&errorSet);
  if (read) FD_SET(s, &readSet);
  if (write) FD_SET(s, &writeSet);
  FD_SET(s, &errorSet);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int n = select(0, &readSet, &writeSet, &errorSet, timeoutMs < 0 ? nullptr : &limit);
  if (n == SOCKET_ERROR) {
    ready->failed = true;
    return false;
  }
  if (n == 0) return false;
  ready->readable = FD_ISSET(s, &readSet);
  ready->writable = FD_ISSET(s, &writeSet);
  ready->failed = FD_ISSET(s, &errorSet);
  return true;
}

ConnectError FromWsaError(int code) {
  switch (code) {
    case WSAECONNREFUSED: return ConnectError::Refused;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN: return ConnectError::Unreachable;
    case WSAETIMEDOUT: return ConnectError::TimedOut;
    default: return ConnectError::Other;
  }
}

}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    id_ = other.id_;
    other.id_ = kNoSocket;
  }
  return *this;
}

void Socket::Close() {
  if (valid()) closesocket(static_cast<SOCKET>(id_));
  id_ = kNoSocket;
}

void Socket::Abort() {
  if (!valid()) return;
  linger hard{1, 0};
  setsockopt(static_cast<SOCKET>(id_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  Close();
}

bool Startup() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

Socket Connect(const std::string& host, uint16_t port, int timeoutMs, ConnectError* error) {
  *error = ConnectError::None;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
    *error = ConnectError::Unresolved;
    return Socket();
  }
  sockaddr_in target = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
  freeaddrinfo(found);
  target.sin_port = htons(port);

  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    *error = ConnectError::Other;
    return Socket();
  }
  Socket owned(static_cast<SocketId>(s));
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  MakeNonBlocking(s);
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  // Few bytes in flight, so that progress follows what the console has taken.
  int sendBuffer = kSendBuffer;
  setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer), sizeof sendBuffer);
  if (connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) return owned;
  int code = WSAGetLastError();
  if (code != WSAEWOULDBLOCK) {
    *error = FromWsaError(code);
    return Socket();
  }
  Readiness ready;
  if (!WaitFor(s, false, true, timeoutMs, &ready)) {
    *error = ready.failed ? ConnectError::Other : ConnectError::TimedOut;
    return Socket();
  }
  // A refused connection shows as an error on the socket, not as writable.
  code = 0;
  int length = sizeof code;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &length) != 0) code = WSAGetLastError();
  if (code == 0 && !ready.writable) code = WSAECONNREFUSED;
  if (code != 0) {
    *error = FromWsaError(code);
    return Socket();
  }
  return owned;
}

Socket ListenLoopback(uint16_t port, int receiveBuffer, uint16_t* boundPort) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return Socket();
  Socket listener(static_cast<SocketId>(s));
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  // Set on the listener so that accepted sockets start with it.
  if (receiveBuffer > 0) {
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0) return Socket();
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  *boundPort = ntohs(address.sin_port);
  return listener;
}

Socket Accept(const Socket& listener) {
  SOCKET s = accept(Handle(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return Socket();
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  MakeNonBlocking(s);
  return Socket(static_cast<SocketId>(s));
}

Io SendSome(const Socket& socket, const char* data, size_t size, int timeoutMs, bool watchIncoming,
            size_t* sent) {
  *sent = 0;
  Readiness ready;
  if (!WaitFor(Handle(socket), watchIncoming, true, timeoutMs, &ready)) {
    return ready.failed ? Io::Failed : Io::Timeout;
  }
  if (watchIncoming && ready.readable) return Io::Incoming;
  if (ready.failed) return Io::Failed;
  int chunk = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
  int n = send(Handle(socket), data, chunk, 0);
  if (n > 0) {
    *sent = static_cast<size_t>(n);
    return Io::Done;
  }
  // A readiness report that was gone again by the time of the send.
  if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return Io::Done;
  return Io::Failed;
}

Io ReceiveSome(const Socket& socket, char* data, size_t size, int timeoutMs, size_t* received) {
  *received = 0;
  Readiness ready;
  if (!WaitFor(Handle(socket), true, false, timeoutMs, &ready)) return ready.failed ? Io::Failed : Io::Timeout;
  int chunk = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
  int n = recv(Handle(socket), data, chunk, 0);
  if (n > 0) {
    *received = static_cast<size_t>(n);
    return Io::Done;
  }
  if (n == 0) return Io::Closed;
  if (WSAGetLastError() == WSAEWOULDBLOCK) return Io::Timeout;
  return Io::Failed;
}

}  // namespace net
