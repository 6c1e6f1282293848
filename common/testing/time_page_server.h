// A tiny HTTP server on 127.0.0.1 for the internet-time tests.
//
// It listens on a free port chosen by the system, answers every request on a thread of its
// own with the next page of a list (the last page is repeated) and notes the request line
// and the User-Agent header of each request. Only what our page fetcher needs: HTTP/1.0
// answers with Content-Length, one request per connection. Test code only.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TimePageServer {
 public:
  TimePageServer() = default;
  ~TimePageServer() { Stop(); }
  TimePageServer(const TimePageServer&) = delete;
  TimePageServer& operator=(const TimePageServer&) = delete;

  // Serves pages in turn (the last one for every later request). False when no socket
  // could be set up.
  bool Start(std::vector<std::string> pages);
  void Stop();
  int Port() const { return port_; }
  std::string Url(const char* path = "/time") const;

  int Requests() const;
  std::string LastUserAgent() const;
  std::string LastRequestLine() const;

 private:
  void Serve();
  void Answer(intptr_t client);

  std::vector<std::string> pages_;
  intptr_t listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  int requests_ = 0;
  std::string lastAgent_;
  std::string lastRequestLine_;
};

// The few socket calls the server needs; time_page_socket_posix.cpp or
// time_page_socket_win32.cpp (picked by CMake). Sockets are intptr_t, -1 when invalid.
namespace test_socket {
bool Init();
intptr_t ListenLoopback(int* port);  // bound to 127.0.0.1 on a free port
// Waits up to ms for a connection; -1 when none arrived.
intptr_t AcceptWithin(intptr_t listener, int ms);
int Receive(intptr_t s, char* buf, int size);  // recv, with a receive timeout of 2 s
int Send(intptr_t s, const char* data, int size);
void Close(intptr_t s);
}  // namespace test_socket
