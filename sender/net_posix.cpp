// BSD-socket implementation of net.h.
#include "sender/net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace net {

namespace {

constexpr int kSendBuffer = 256 * 1024;

int Fd(const Socket& socket) { return static_cast<int>(socket.id()); }

void MakeNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Waits until the socket is ready for any of events; returns the events that
// happened, 0 on time-out, -1 on failure.
int WaitFor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  for (;;) {
    int n = poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (n > 0) return entry.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

ConnectError FromErrno(int code) {
  switch (code) {
    case ECONNREFUSED: return ConnectError::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN: return ConnectError::Unreachable;
    case ETIMEDOUT: return ConnectError::TimedOut;
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
  if (valid()) ::close(static_cast<int>(id_));
  id_ = kNoSocket;
}

void Socket::Abort() {
  if (!valid()) return;
  linger hard{1, 0};
  setsockopt(static_cast<int>(id_), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  Close();
}

bool Startup() { return true; }

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

  Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.valid()) {
    *error = ConnectError::Other;
    return Socket();
  }
  MakeNonBlocking(Fd(socket));
  int one = 1;
  setsockopt(Fd(socket), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  // Few bytes in flight, so that progress follows what the console has taken.
  int sendBuffer = kSendBuffer;
  setsockopt(Fd(socket), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
  if (::connect(Fd(socket), reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
    if (errno != EINPROGRESS) {
      *error = FromErrno(errno);
      return Socket();
    }
    int ready = WaitFor(Fd(socket), POLLOUT, timeoutMs);
    if (ready == 0) {
      *error = ConnectError::TimedOut;
      return Socket();
    }
    int code = 0;
    socklen_t length = sizeof code;
    if (ready < 0 || getsockopt(Fd(socket), SOL_SOCKET, SO_ERROR, &code, &length) != 0) code = errno;
    if (code != 0) {
      *error = FromErrno(code);
      return Socket();
    }
  }
  return socket;
}

Socket ListenLoopback(uint16_t port, int receiveBuffer, uint16_t* boundPort) {
  Socket listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener.valid()) return listener;
  int one = 1;
  setsockopt(Fd(listener), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  // Set on the listener so that accepted sockets start with it.
  if (receiveBuffer > 0) setsockopt(Fd(listener), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(Fd(listener), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(Fd(listener), 8) != 0) {
    return Socket();
  }
  socklen_t length = sizeof address;
  getsockname(Fd(listener), reinterpret_cast<sockaddr*>(&address), &length);
  *boundPort = ntohs(address.sin_port);
  return listener;
}

Socket Accept(const Socket& listener) {
  for (;;) {
    int fd = ::accept(Fd(listener), nullptr, nullptr);
    if (fd >= 0) {
      fcntl(fd, F_SETFD, FD_CLOEXEC);
      MakeNonBlocking(fd);
      return Socket(fd);
    }
    if (errno != EINTR && errno != ECONNABORTED) return Socket();
  }
}

Io SendSome(const Socket& socket, const char* data, size_t size, int timeoutMs, bool watchIncoming,
            size_t* sent) {
  *sent = 0;
  int ready = WaitFor(Fd(socket), static_cast<short>(POLLOUT | (watchIncoming ? POLLIN : 0)), timeoutMs);
  if (ready == 0) return Io::Timeout;
  if (ready < 0) return Io::Failed;
  if (watchIncoming && (ready & POLLIN)) return Io::Incoming;
  if (ready & (POLLERR | POLLHUP)) return Io::Failed;
  for (;;) {
    ssize_t n = ::send(Fd(socket), data, size, MSG_NOSIGNAL);
    if (n > 0) {
      *sent = static_cast<size_t>(n);
      return Io::Done;
    }
    if (n < 0 && errno == EINTR) continue;
    // A readiness report that was gone again by the time of the send.
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Io::Done;
    return Io::Failed;
  }
}

Io ReceiveSome(const Socket& socket, char* data, size_t size, int timeoutMs, size_t* received) {
  *received = 0;
  int ready = WaitFor(Fd(socket), POLLIN, timeoutMs);
  if (ready == 0) return Io::Timeout;
  if (ready < 0) return Io::Failed;
  for (;;) {
    ssize_t n = ::recv(Fd(socket), data, size, 0);
    if (n > 0) {
      *received = static_cast<size_t>(n);
      return Io::Done;
    }
    if (n == 0) return Io::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Io::Timeout;
    return Io::Failed;
  }
}

}  // namespace net
