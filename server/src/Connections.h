// The HTTP server of the site service with its own connection handling, so that slow or
// crowding clients cannot starve the others: every phase of a request has a time limit (the
// request line and headers, the body, the answer), one address may hold only a few connections
// at once, and the pool of workers is large enough to serve normal requests while slow
// connections wait for their time limits.
//
// httplib's own connection loop offers only a time-out per read, which a client sending a byte
// every few seconds never reaches. This server replaces that loop (process_and_close_socket),
// reading and writing through a stream that knows the deadline of the current phase; httplib
// still parses and routes every request. The loop runs on the worker that took the connection,
// which first looks at the peer's address and turns away one over its limit at once.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace sorami::site {

struct ConnectionLimits {
  int workers = 64;
  int perAddress = 16;
  std::int64_t headerSeconds = 10;  // request line and headers
  std::int64_t bodySeconds = 30;    // body or answer, plus a second for every 64 KiB of it
};

class GuardedServer : public httplib::Server {
 public:
  explicit GuardedServer(const ConnectionLimits& limits);

  // Called for every request once its headers are read, before it is routed (httplib keeps one
  // pre-routing handler, which this class uses for the body's time limit).
  std::function<void(const httplib::Request&)> before_routing;

 private:
  bool process_and_close_socket(socket_t sock) override;
  // Counts a connection from the address; false when it already holds its share.
  bool Enter(const std::string& address);
  void Leave(const std::string& address);

  ConnectionLimits limits_;
  std::mutex mutex_;
  std::map<std::string, int> open_;  // connections per address
};

}  // namespace sorami::site
