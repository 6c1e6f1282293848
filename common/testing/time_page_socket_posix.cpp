// POSIX sockets for the test HTTP server.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "common/testing/time_page_server.h"

namespace test_socket {

bool Init() { return true; }

intptr_t ListenLoopback(int* port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(s);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return s;
}

intptr_t AcceptWithin(intptr_t listener, int ms) {
  pollfd p{static_cast<int>(listener), POLLIN, 0};
  if (poll(&p, 1, ms) <= 0) return -1;
  int c = accept(static_cast<int>(listener), nullptr, nullptr);
  if (c < 0) return -1;
  timeval tv{2, 0};
  setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  return c;
}

int Receive(intptr_t s, char* buf, int size) {
  return static_cast<int>(recv(static_cast<int>(s), buf, static_cast<size_t>(size), 0));
}

int Send(intptr_t s, const char* data, int size) {
  return static_cast<int>(send(static_cast<int>(s), data, static_cast<size_t>(size), MSG_NOSIGNAL));
}

void Close(intptr_t s) {
  if (s >= 0) close(static_cast<int>(s));
}

}  // namespace test_socket
