// The master file read on a worker thread while the windows are being built, so a start waits
// for the slower of the two instead of both. The read is the one the main window would make
// when first shown (ReadMaster, with its renames and its encryption of a plain file); only
// where it runs changes. It writes to a store and a log of its own, which nothing else
// touches; Take, on the main thread, waits for it and hands the result over.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/DiagLog.h"
#include "store/MastStore.h"
#include "store/MasterFile.h"

namespace sorami {

class MasterPreload {
 public:
  MasterPreload() = default;
  // A read still running is waited for: it may be renaming or encrypting files.
  ~MasterPreload();
  MasterPreload(const MasterPreload&) = delete;
  MasterPreload& operator=(const MasterPreload&) = delete;

  // Starts reading the master file of files (its folder, key and encryption switch). The
  // caller holds the data folder's lock and keeps files.crypto until Take; a second Start
  // while one read is pending does nothing.
  void Start(const MasterFiles& files);
  // A read was started and not yet taken.
  bool pending() const { return files_ != nullptr; }
  // Waits for the read and hands its outcome to files and store as ReadMaster would have
  // left them: the store replaced on success (its views hear it), the unread file
  // remembered, the read's log lines added to files.log, its result and message returned.
  bool Take(MasterFiles& files, TArMastd& store, std::string& msg);

 private:
  void Wait();

  DiagLog log_;
  std::vector<std::string> log_texts_;
  std::unique_ptr<MasterFiles> files_;
  TArMastd store_;
  std::string msg_;
  bool ok_ = false;
  std::thread worker_;
};

// The store read at the start of a run: the preloaded read when one was started, else
// ReadMaster now.
bool ReadMasterAtStart(MasterPreload& preload, MasterFiles& files, TArMastd& store,
                       std::string& msg);

}  // namespace sorami
