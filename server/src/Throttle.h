// Limits on what one member or one address may try: growing waits after repeated password
// failures, and a number of claim reports per hour. Kept in the memory of the serving process,
// shared by its threads; times are seconds since 1970, given by the caller.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sorami::site {

// After `freeFailures` failures of a key, each further attempt must wait: `firstDelay` seconds
// after the last of them, twice that after one more failure, and so on up to an hour.
// A key is forgotten an hour after its last failure, or when Clear() is called.
class FailureThrottle {
 public:
  FailureThrottle(int freeFailures, std::int64_t firstDelay)
      : free_(freeFailures), firstDelay_(firstDelay) {}
  // Seconds the key must still wait before it may try again (0: it may try now).
  std::int64_t Wait(const std::string& key, std::int64_t now);
  // Counts a failure; returns the failures of the key so far.
  int Fail(const std::string& key, std::int64_t now);
  void Clear(const std::string& key);

 private:
  struct Entry {
    int failures = 0;
    std::int64_t last = 0;
  };
  std::int64_t DelayAfter(int failures) const;
  void Prune(std::int64_t now);

  int free_;
  std::int64_t firstDelay_;
  std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

// At most `count` events per key within any hour.
class HourlyLimit {
 public:
  explicit HourlyLimit(int count) : count_(count) {}
  // Counts an event when the key still has room; false (and nothing counted) when it has none.
  bool Take(const std::string& key, std::int64_t now);

 private:
  int count_;
  std::mutex mutex_;
  std::map<std::string, std::vector<std::int64_t>> times_;
};

// The limits the serving process applies, set once from the command line before it serves.
struct GuardSettings {
  int memberFailures = 5;    // password failures for one member before waits begin
  int addressFailures = 20;  // password failures from one address before waits begin
  std::int64_t failureDelay = 2;
  int claimsPerHour = 10;  // claim reports accepted from one address
};
void ConfigureGuards(const GuardSettings& settings);
FailureThrottle& MemberLogins();
FailureThrottle& AddressLogins();
HourlyLimit& AddressClaims();

}  // namespace sorami::site
