// An HTTP client that records the requests and answers from a script, for tests of the
// request logic without a network.
#pragma once

#include <deque>
#include <vector>

#include "platform/HttpClient.h"
#include "support/AppFixture.h"

namespace sorami::test {

class FakeHttp : public HttpClient {
 public:
  HttpResponse Send(const HttpRequest& request) override {
    sent.push_back(request);
    if (answers.empty()) return HttpResponse{false, 0, "", "no answer scripted"};
    HttpResponse r = answers.front();
    answers.pop_front();
    return r;
  }
  void Answer(const std::string& body) { answers.push_back(HttpResponse{true, 200, body, ""}); }
  void Fail() { answers.push_back(HttpResponse{false, 0, "", "connection refused"}); }

  std::vector<HttpRequest> sent;
  std::deque<HttpResponse> answers;
};

// Sends the run's site requests to a new FakeHttp, with the directory server "dir:1".
inline FakeHttp* UseFakeHttp(AppState& st) {
  auto fake = std::make_unique<FakeHttp>();
  FakeHttp* http = fake.get();
  st.site.http = std::move(fake);
  st.site.directory_host = "dir:1";
  return http;
}

// A run's state whose site requests go to a FakeHttp.
class FakeSiteTest : public AppTest {
 protected:
  FakeSiteTest() : http(UseFakeHttp(*st)) {}
  FakeHttp* http;
};

}  // namespace sorami::test
