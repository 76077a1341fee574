#include "Throttle.h"

#include <algorithm>
#include <memory>

namespace sorami::site {
namespace {

constexpr std::int64_t kHour = 60 * 60;
// Beyond this many keys, those quiet for an hour are dropped at the next failure.
constexpr std::size_t kPruneAbove = 10000;

struct Guards {
  explicit Guards(const GuardSettings& s)
      : members(s.memberFailures, s.failureDelay),
        addresses(s.addressFailures, s.failureDelay),
        claims(s.claimsPerHour) {}
  FailureThrottle members, addresses;
  HourlyLimit claims;
};

std::unique_ptr<Guards>& TheGuards() {
  static std::unique_ptr<Guards> guards = std::make_unique<Guards>(GuardSettings{});
  return guards;
}

}  // namespace

std::int64_t FailureThrottle::DelayAfter(int failures) const {
  if (failures < free_) return 0;
  std::int64_t delay = firstDelay_;
  for (int k = free_; k < failures && delay < kHour; ++k) delay *= 2;
  return std::min(delay, kHour);
}

std::int64_t FailureThrottle::Wait(const std::string& key, std::int64_t now) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(key);
  if (it == entries_.end()) return 0;
  return std::max<std::int64_t>(0, it->second.last + DelayAfter(it->second.failures) - now);
}

int FailureThrottle::Fail(const std::string& key, std::int64_t now) {
  std::lock_guard lock(mutex_);
  if (entries_.size() > kPruneAbove) Prune(now);
  Entry& e = entries_[key];
  if (e.failures > 0 && now - e.last >= kHour) e.failures = 0;
  ++e.failures;
  e.last = now;
  return e.failures;
}

void FailureThrottle::Clear(const std::string& key) {
  std::lock_guard lock(mutex_);
  entries_.erase(key);
}

void FailureThrottle::Prune(std::int64_t now) {
  std::erase_if(entries_, [now](const auto& e) { return now - e.second.last >= kHour; });
}

bool HourlyLimit::Take(const std::string& key, std::int64_t now) {
  std::lock_guard lock(mutex_);
  if (times_.size() > kPruneAbove) {
    std::erase_if(times_, [now](const auto& t) {
      return t.second.empty() || now - t.second.back() >= kHour;
    });
  }
  std::vector<std::int64_t>& times = times_[key];
  std::erase_if(times, [now](std::int64_t t) { return now - t >= kHour; });
  if (static_cast<int>(times.size()) >= count_) return false;
  times.push_back(now);
  return true;
}

void ConfigureGuards(const GuardSettings& settings) {
  TheGuards() = std::make_unique<Guards>(settings);
}
FailureThrottle& MemberLogins() { return TheGuards()->members; }
FailureThrottle& AddressLogins() { return TheGuards()->addresses; }
HourlyLimit& AddressClaims() { return TheGuards()->claims; }

}  // namespace sorami::site
