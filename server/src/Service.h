// The HTTP side of the site service: the four server programs under /bn/, each request on its
// own database connection, answers in code page 932, one log line per request.
#pragma once

#include <httplib.h>

#include <string>
#include <string_view>

#include "Commands.h"
#include "Connections.h"

namespace sorami::site {

// The codings of a request's Accept-Encoding the service may answer with: every one naming
// Brotli left out; "identity" when none is left.
std::string WithoutBrotli(std::string_view accept_encoding);

class Service {
 public:
  Service(Config config, const ConnectionLimits& limits);
  // Binds to host:port (port 0: a free port); returns the bound port, or -1 with the reason in
  // `error`. A port another process listens on is refused.
  int Bind(const std::string& host, int port, std::string& error);
  // Serves until Stop(); false when the server could not run.
  bool Run();
  void Stop() { http_.stop(); }
  // The public host may name port 0: it then takes the port that was bound.
  void SetBoundPort(int port);

 private:
  void AddPostProgram(const std::string& program, Answer (*dispatch)(const Request&));
  void AddAttachmentProgram();

  Config config_;
  GuardedServer http_;
};

}  // namespace sorami::site
