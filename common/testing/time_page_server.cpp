// The portable part of the test HTTP server: the accept loop and the answers.
#include "common/testing/time_page_server.h"

#include <algorithm>
#include <cstdio>

bool TimePageServer::Start(std::vector<std::string> pages) {
  if (!test_socket::Init()) return false;
  pages_ = std::move(pages);
  listener_ = test_socket::ListenLoopback(&port_);
  if (listener_ < 0) return false;
  stop_ = false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void TimePageServer::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  thread_.join();
  test_socket::Close(listener_);
  listener_ = -1;
}

std::string TimePageServer::Url(const char* path) const {
  char url[100];
  snprintf(url, sizeof url, "http://127.0.0.1:%d%s", port_, path);
  return url;
}

int TimePageServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::string TimePageServer::LastUserAgent() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastAgent_;
}

std::string TimePageServer::LastRequestLine() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastRequestLine_;
}

void TimePageServer::Serve() {
  while (!stop_) {
    intptr_t client = test_socket::AcceptWithin(listener_, 50);
    if (client < 0) continue;
    Answer(client);
    test_socket::Close(client);
  }
}

void TimePageServer::Answer(intptr_t client) {
  std::string request;
  char buf[2048];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    int n = test_socket::Receive(client, buf, sizeof buf);
    if (n <= 0) break;
    request.append(buf, static_cast<size_t>(n));
  }
  std::string page;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lastRequestLine_ = request.substr(0, request.find("\r\n"));
    lastAgent_.clear();
    size_t at = request.find("User-Agent: ");
    if (at != std::string::npos) {
      at += 12;
      lastAgent_ = request.substr(at, request.find("\r\n", at) - at);
    }
    if (!pages_.empty()) page = pages_[std::min<size_t>(requests_, pages_.size() - 1)];
    ++requests_;
  }
  char head[200];
  int n = snprintf(head, sizeof head,
                   "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %zu\r\n"
                   "Connection: close\r\n\r\n",
                   page.size());
  std::string answer(head, static_cast<size_t>(n));
  answer += page;
  size_t sent = 0;
  while (sent < answer.size()) {
    int k = test_socket::Send(client, answer.data() + sent, static_cast<int>(answer.size() - sent));
    if (k <= 0) break;
    sent += static_cast<size_t>(k);
  }
}
