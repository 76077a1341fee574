// Originals kept in packs: one pack per receive, whole mails or nothing after a crash, the bytes
// of an erased mail gone from the disk, and the one-file originals of earlier versions still read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <set>

#include "store/Originals.h"
#include "store/OriginalsSync.h"
#include "store/StoreFixture.h"

namespace sorami {
namespace {

using namespace test;
namespace fs = std::filesystem;

std::string KeyNo(int n) {
  return Originals::KeyOf("2026/12/01", "f", "t", "s", std::to_string(n));
}
// Every mail different in its bytes and length, so another mail's bytes cannot pass for it.
std::string MailNo(int n) {
  return "Subject: mail " + std::to_string(n) + "\r\n\r\n" + std::string(n % 700, 'a' + n % 26) +
         "\r\nend " + std::to_string(n) + "\r\n";
}

class OriginalsPackTest : public StoreTest {
 protected:
  fs::path Folder() const { return dir / "app" / "Data" / "Originals"; }
  std::vector<fs::path> Packs() const {
    std::vector<fs::path> out;
    for (const auto& f : fs::directory_iterator(Folder())) out.push_back(f.path());
    return out;
  }
  void Receive(int from, int to) {
    const Originals o(st->master);
    for (int n = from; n < to; ++n) ASSERT_TRUE(o.Put(KeyNo(n), MailNo(n), msg)) << msg;
    ASSERT_TRUE(SyncOriginals(o, msg)) << msg;
  }
  std::string Got(const Originals& o, int n) {
    std::string bytes;
    return o.Get(KeyNo(n), bytes) ? bytes : "(none)";
  }
};

TEST_F(OriginalsPackTest, AReceiveFillsOnePackAndAnotherReceiveIsSeenByAnOpenMap) {
  const Originals reader(st->master);
  Receive(0, 40);
  ASSERT_EQ(Packs().size(), 1u);
  EXPECT_EQ(Packs()[0].extension(), ".pack");
  for (int n = 0; n < 40; ++n) EXPECT_EQ(Got(reader, n), MailNo(n)) << n;
  EXPECT_FALSE(reader.Has(KeyNo(40)));
  Receive(40, 45);  // a new pack, after the reader built its map
  EXPECT_EQ(Packs().size(), 2u);
  EXPECT_EQ(Got(reader, 44), MailNo(44));
  EXPECT_EQ(Got(reader, 3), MailNo(3));
}

TEST_F(OriginalsPackTest, ACutShortOrDamagedPackGivesEachMailWholeOrNotAtAll) {
  Receive(0, 12);
  const fs::path pack = Packs()[0];
  const std::string whole = ReadFileBytes(pack);
  for (size_t cut = 0; cut < whole.size(); cut += 41) {
    WriteFileBytes(pack, whole.substr(0, cut));
    const Originals o(st->master);
    size_t end = 0;  // of the mails that lie wholly before the cut
    for (int n = 0; n < 12; ++n) {
      end += 80 + MailNo(n).size();
      const std::string got = Got(o, n);
      if (end <= cut)
        EXPECT_EQ(got, MailNo(n)) << "cut " << cut;
      else
        EXPECT_EQ(got, "(none)") << "cut " << cut;
    }
  }
  // A changed byte in a mail's bytes: that mail is not served, its neighbours are.
  std::string damaged = whole;
  damaged[whole.find("end 5")] = 'E';
  WriteFileBytes(pack, damaged);
  const Originals o(st->master);
  EXPECT_EQ(Got(o, 5), "(none)");
  EXPECT_EQ(Got(o, 4), MailNo(4));
  EXPECT_EQ(Got(o, 6), MailNo(6));
}

TEST_F(OriginalsPackTest, AKeyPutAgainGivesTheLatestBytesAndLeavesNoOlderCopy) {
  const Originals o(st->master);
  ASSERT_TRUE(o.Put(KeyNo(1), "first import\r\n", msg));
  ASSERT_TRUE(o.Put(KeyNo(1), "second import\r\n", msg));
  ASSERT_TRUE(SyncOriginals(o, msg));
  EXPECT_EQ(Got(o, 1), "second import\r\n");
  st->master.encrypt = true;  // sealed now: the plain copies must go
  ASSERT_TRUE(o.Put(KeyNo(1), "third import\r\n", msg));
  ASSERT_TRUE(SyncOriginals(o, msg));
  EXPECT_EQ(Got(Originals(st->master), 1), "third import\r\n");
  EXPECT_EQ(FolderBytes(Folder()).find("import"), std::string::npos);
}

TEST_F(OriginalsPackTest, RemovingRewritesThePackWithoutTheMailAndDeletesAnEmptyOne) {
  Receive(0, 3);
  Receive(3, 4);
  const Originals o(st->master);
  o.Remove(KeyNo(1));
  EXPECT_EQ(FolderBytes(Folder()).find("mail 1\r"), std::string::npos);
  EXPECT_EQ(Got(o, 0), MailNo(0));
  EXPECT_EQ(Got(o, 2), MailNo(2));
  o.Remove(KeyNo(3));
  EXPECT_EQ(Packs().size(), 1u);
  EXPECT_FALSE(o.Has(KeyNo(3)));
}

TEST_F(OriginalsPackTest, OneFileOriginalsOfEarlierVersionsAreReadAndRemoved) {
  fs::create_directories(Folder());
  WriteFileBytes(Folder() / (KeyNo(1) + ".eml"), MailNo(1));
  auto sealed = st->crypto->OpenEncrypted(Folder() / (KeyNo(2) + ".enc"));
  ASSERT_TRUE(sealed && sealed->Write(MailNo(2)) && sealed->Commit());
  const Originals o(st->master);
  EXPECT_EQ(Got(o, 1), MailNo(1));
  EXPECT_EQ(Got(o, 2), MailNo(2));
  o.Remove(KeyNo(1));
  o.Remove(KeyNo(2));
  EXPECT_FALSE(o.Has(KeyNo(1)) || o.Has(KeyNo(2)));
  EXPECT_TRUE(Packs().empty());
}

// A receiving process killed at any moment: every mail it counted as stored (after the sync)
// finds its whole original, every removal it finished took the mail away, and no Get ever gives
// part of a mail or another mail's bytes.
TEST_F(OriginalsPackTest, AProcessKilledAtAnyMomentLeavesWholeMailsOrNone) {
  const fs::path saved = dir / "saved";
  std::mt19937 random(24);
  for (int round = 0; round < 16; ++round) {
    st->master.encrypt = round % 2 == 1;
    const int base = round * 10000;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int batch = 0;; ++batch) {
        const Originals o(st->master);
        std::string why;
        for (int i = 0; i < 7; ++i)
          o.Put(KeyNo(base + batch * 7 + i), MailNo(base + batch * 7 + i), why);
        if (!SyncOriginals(o, why)) _exit(1);
        std::ofstream(saved, std::ios::app) << "s " << base + batch * 7 + 7 << "\n";
        if (batch > 1) {
          o.Remove(KeyNo(base + (batch - 2) * 7));
          std::ofstream(saved, std::ios::app) << "r " << base + (batch - 2) * 7 << "\n";
        }
      }
    }
    usleep(2000 + random() % 120000);  // a moment anywhere in the batches
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own";

    int stored_to = base;
    std::set<int> removed;
    std::ifstream in(saved);
    for (std::string what; in >> what;) {
      int n = 0;
      in >> n;
      if (n < base) continue;
      if (what == "s")
        stored_to = n;
      else
        removed.insert(n);
    }
    // The removal the kill may have cut short: of the first mail two batches before the last.
    const int removing = stored_to - 21;
    const Originals o(st->master);
    for (int n = base; n < stored_to + 7; ++n) {
      const std::string got = Got(o, n);
      if (removed.contains(n)) {
        EXPECT_EQ(got, "(none)") << n;
      } else if (n < stored_to && n != removing) {
        EXPECT_EQ(got, MailNo(n)) << n;
      } else {
        EXPECT_TRUE(got == MailNo(n) || got == "(none)") << n << " gave " << got.substr(0, 20);
      }
    }
  }
}

}  // namespace
}  // namespace sorami
