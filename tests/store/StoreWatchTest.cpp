// The store tells the views watching it of each change once, and a whole read of the master
// file as one reset.
#include <gtest/gtest.h>

#include "store/MasterFile.h"
#include "store/StoreFixture.h"

namespace sorami {
namespace {

// Writes down what it hears, with the store's state at that moment.
class Recorder : public StoreObserver {
 public:
  explicit Recorder(const TArMastd& store) : store_(store) {}
  void Appended(int32_t row) override {
    heard.push_back("appended " + std::to_string(row) + " of " + std::to_string(store_.CtMaster()));
  }
  void Changed(int32_t row, MastCol col, std::string_view before) override {
    heard.push_back("changed " + std::to_string(row) + ":" + std::to_string(ColIndex(col)) + " " +
                    std::string(before) + ">" + std::string(store_.Get(row, col)));
  }
  void Reset() override { heard.push_back("reset to " + std::to_string(store_.CtMaster())); }

  std::vector<std::string> heard;

 private:
  const TArMastd& store_;
};

using StoreWatch = test::StoreTest;

TEST_F(StoreWatch, WatchersHearEachAppendAndChangeAndAReadOnce) {
  Recorder r(st->store);
  st->store.Watch(&r);
  st->store.Watch(&r);  // a second registration changes nothing
  Add("to", "a", "in", "", "2026/01/01 00:00:00");
  Add("to", "b", "in");
  st->store.Set(1, MastCol::kFolder, "out");
  st->store.Set(st->store.CtMaster(), MastCol::kTitle, "beyond");  // not a record: not told
  ASSERT_TRUE(SaveMaster(st->master, st->store, msg));
  ASSERT_TRUE(ReadMaster(st->master, st->store, msg));
  st->store.Set(0, MastCol::kDate, "2026/01/02 00:00:00");
  st->store.Clear();
  EXPECT_EQ(r.heard, (std::vector<std::string>{
                         "appended 0 of 1", "appended 1 of 2", "changed 1:13 in>out", "reset to 2",
                         "changed 0:5 2026/01/01 00:00:00>2026/01/02 00:00:00", "reset to 0"}));

  // A copy has no watchers; putting it in place is a reset of the watched store.
  r.heard.clear();
  TArMastd copy = st->store;
  copy.Append({});
  st->store = copy;
  st->store.Unwatch(&r);
  st->store.Append({});
  st->store.Reset();
  EXPECT_EQ(r.heard, std::vector<std::string>{"reset to 1"});
}

}  // namespace
}  // namespace sorami
