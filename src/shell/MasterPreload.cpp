#include "shell/MasterPreload.h"

namespace sorami {

MasterPreload::~MasterPreload() { Wait(); }

void MasterPreload::Wait() {
  if (worker_.joinable()) worker_.join();
}

void MasterPreload::Start(const MasterFiles& files) {
  if (pending()) return;
  // The read logs to a log of its own; its texts are replayed into the run's log on Take,
  // where the window's read would have logged them.
  log_texts_.clear();
  const size_t prefix = DiagLog::TimePrefix(0).size();
  log_.SetListener({[this, prefix](const std::string& line) {
                      log_texts_.push_back(line.size() > prefix ? line.substr(prefix) : "");
                    },
                    nullptr});
  log_.Attach();
  files_.reset(
      new MasterFiles{files.data_dir, files.crypto, log_, files.encrypt, false, files.read_only});
  worker_ = std::thread([this] { ok_ = ReadMaster(*files_, store_, msg_); });
}

bool MasterPreload::Take(MasterFiles& files, TArMastd& store, std::string& msg) {
  Wait();
  for (const std::string& text : log_texts_) files.log.Log(text);
  log_texts_.clear();
  files.unread_file_on_disk = files_->unread_file_on_disk;
  files_.reset();
  if (ok_) store = std::move(store_);
  store_ = TArMastd();
  msg = std::move(msg_);
  msg_.clear();
  return ok_;
}

bool ReadMasterAtStart(MasterPreload& preload, MasterFiles& files, TArMastd& store,
                       std::string& msg) {
  if (preload.pending()) return preload.Take(files, store, msg);
  return ReadMaster(files, store, msg);
}

}  // namespace sorami
