// Winsock for the test HTTP server (win64 build, runs under Wine).
#include <winsock2.h>
#include <ws2tcpip.h>

#include "common/testing/time_page_server.h"

namespace test_socket {

bool Init() {
  static const bool ok = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ok;
}

intptr_t ListenLoopback(int* port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  int len = sizeof addr;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    closesocket(s);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return static_cast<intptr_t>(s);
}

intptr_t AcceptWithin(intptr_t listener, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(static_cast<SOCKET>(listener), &set);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  if (select(0, &set, nullptr, nullptr, &tv) <= 0) return -1;
  SOCKET c = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  if (c == INVALID_SOCKET) return -1;
  DWORD timeoutMs = 2000;
  setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
             sizeof timeoutMs);
  return static_cast<intptr_t>(c);
}

int Receive(intptr_t s, char* buf, int size) { return recv(static_cast<SOCKET>(s), buf, size, 0); }

int Send(intptr_t s, const char* data, int size) {
  return send(static_cast<SOCKET>(s), data, size, 0);
}

void Close(intptr_t s) {
  if (s >= 0) closesocket(static_cast<SOCKET>(s));
}

}  // namespace test_socket
