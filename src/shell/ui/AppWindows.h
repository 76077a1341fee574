// The eleven windows of a run, created once at start in a fixed order: the main window first
// (so nothing it logs while being created is kept, and it touches no other window), then the
// settings, compose, progress, address list, log, attachment, claim, signature, search and
// version windows. Closing the main window ends the run; the others are only shown and hidden.
// Here the windows are wired to each other and to the shell's routines, one routine per window:
// the fetch and the connection check of the main window, the windows the main window asks for,
// the progress window as the site session's progress, the settings window's requests.
#pragma once

#include <functional>
#include <memory>

#include "shell/AppState.h"

namespace sorami {

class TFormMain;
class TFormSettei;
class TFormNewMsg;
class TFormMessage;
class TFormSendList;
class TFormMemo;
class TFormTenpu;
class TFormClaim;
class TFormShomei;
class TFormKensaku;
class TFormVersion;
class DesktopNotifier;

struct AppWindows {
  explicit AppWindows(AppState& st);
  ~AppWindows();
  AppWindows(const AppWindows&) = delete;
  AppWindows& operator=(const AppWindows&) = delete;

  std::unique_ptr<TFormMain> main;
  std::unique_ptr<TFormSettei> settei;
  std::unique_ptr<TFormNewMsg> new_msg;
  std::unique_ptr<TFormMessage> message;
  std::unique_ptr<TFormSendList> send_list;
  std::unique_ptr<TFormMemo> memo;
  std::unique_ptr<TFormTenpu> tenpu;
  std::unique_ptr<TFormClaim> claim;
  std::unique_ptr<TFormShomei> shomei;
  std::unique_ptr<TFormKensaku> kensaku;
  std::unique_ptr<TFormVersion> version;
  // New messages told to the desktop (the session bus's notification service, the tray).
  std::unique_ptr<DesktopNotifier> notifier;

  // Puts another notifier in place (one on another bus), wired as the first was.
  void UseNotifier(std::unique_ptr<DesktopNotifier> n);

 private:
  void Wire(AppState& st);
  void WireMain(AppState& st);
  void WireMessage(AppState& st);
  void WireSettei(AppState& st);
  void WireMailPage(AppState& st);
  void WireUserFolders(AppState& st);
  void WireSendList(AppState& st);
  void WireKensaku(AppState& st);
  void WireMemo();
  void WireVersion();
  void WireCompose(AppState& st);
  void WireRecovery(AppState& st);
  void WireClaim(AppState& st);
  void WireTenpu(AppState& st);
  void WireMailFiles(AppState& st);
  void TimedFetch();
  // Runs an exchange that may bring messages, then tells the desktop of those it added to the
  // inbox (when "新着通知" is on) and of the unread count.
  void AnnounceNew(const std::function<void()>& exchange);
  // Applies the user folders (at most nine) to the folder tree and the "フォルダ変更" menu;
  // nothing is removed until the next start.
  void HanneiUserFolder();

  AppState& st_;
  SiteSession& site_;
};

}  // namespace sorami
