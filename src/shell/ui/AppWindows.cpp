#include "shell/ui/AppWindows.h"

#include <QAction>
#include <QDBusConnection>
#include <QPushButton>
#include <QTimer>

#include "attach/TenpuList.h"
#include "attach/ui/TFormTenpu.h"
#include "base/ui/QtText.h"
#include "compose/SendList.h"
#include "compose/ui/TFormNewMsg.h"
#include "compose/ui/TFormSendList.h"
#include "compose/ui/TFormShomei.h"
#include "settings/ui/MailPage.h"
#include "settings/ui/TFormSettei.h"
#include "settings/ui/UserFolderPage.h"
#include "shell/ConnectionCheck.h"
#include "shell/Conversation.h"
#include "shell/MailReceive.h"
#include "shell/NewMessageNotice.h"
#include "shell/SiteFetch.h"
#include "shell/SiteList.h"
#include "shell/Soushin.h"
#include "shell/ui/DesktopNotifier.h"
#include "shell/ui/TFormMain.h"
#include "shell/ui/TFormMemo.h"
#include "shell/ui/TFormVersion.h"
#include "site/ui/SiteCommands.h"
#include "site/ui/TFormClaim.h"
#include "site/ui/TFormMessage.h"
#include "store/MasterFile.h"
#include "store/StoreOps.h"
#include "store/UserFolders.h"
#include "views/Search.h"
#include "views/ui/MessageBrowser.h"
#include "views/ui/TFormKensaku.h"

namespace sorami {

namespace {

// The session owns its progress sink; this one forwards to the progress window, which
// AppWindows takes back out of the session before the window goes.
class ProgressWindow : public SiteProgress {
 public:
  explicit ProgressWindow(TFormMessage& window) : window_(window) {}
  void Show(const std::string& caption) override { window_.Show(caption); }
  void Hide() override { window_.Hide(); }

 private:
  TFormMessage& window_;
};

// Shows a window the main window asked for, in front of the others.
void ShowInFront(QWidget& w) {
  w.show();
  w.raise();
  w.activateWindow();
}

}  // namespace

AppWindows::AppWindows(AppState& st) : st_(st), site_(st.site) {
  main = std::make_unique<TFormMain>(st);
  settei = std::make_unique<TFormSettei>(st.settei, st.SetteiPlace());
  new_msg = std::make_unique<TFormNewMsg>(st.registry, st.log);
  message = std::make_unique<TFormMessage>();
  send_list = std::make_unique<TFormSendList>(st.registry, st.log, st.send_list);
  memo = std::make_unique<TFormMemo>(st.registry, st.log);
  tenpu = std::make_unique<TFormTenpu>(st.registry, st.log, st.store, st.paths.AttachDir(),
                                       st.site.send_attachments);
  claim = std::make_unique<TFormClaim>(st.registry, st.log);
  shomei = std::make_unique<TFormShomei>(st.registry, st.log, st.paths.DataDir());
  kensaku = std::make_unique<TFormKensaku>(st.registry, st.log);
  version = std::make_unique<TFormVersion>();
  UseNotifier(std::make_unique<DesktopNotifier>(QDBusConnection::sessionBus()));
  Wire(st);
}

void AppWindows::UseNotifier(std::unique_ptr<DesktopNotifier> n) {
  notifier = std::move(n);
  // The notification or the tray icon brings the main window up on the inbox.
  notifier->activated = [this] {
    main->showNormal();
    main->raise();
    main->activateWindow();
    main->browser().ShowFolder(Folder::kInbox);
  };
  notifier->WatchUnread(st_.store);
}

void AppWindows::AnnounceNew(const std::function<void()>& exchange) {
  const int32_t before = st_.store.CtMaster();
  exchange();
  if (const auto notice = NoticeOfNew(st_.store, before, main->NotifyNew())) {
    notifier->Notify(Qs(notice->summary), Qs(notice->body));
  }
}

void AppWindows::Wire(AppState& st) {
  WireMessage(st);
  WireMain(st);
  WireSettei(st);
  WireMailPage(st);
  WireUserFolders(st);
  WireSendList(st);
  WireKensaku(st);
  WireMemo();
  WireVersion();
  WireCompose(st);
  WireClaim(st);
  WireTenpu(st);
  WireMailFiles(st);
}

// The progress window shows while a site request waits.
void AppWindows::WireMessage(AppState& st) {
  st.site.progress = std::make_unique<ProgressWindow>(*message);
}

// "最新取得(&G)", the timer and the connection check of the main window.
void AppWindows::WireMain(AppState& st) {
  SiteCommands& site = main->site();
  main->polling().fetch = [this] { TimedFetch(); };
  site.hooks.fetch = [&st](int row, std::string& status) -> FetchOutcome {
    FetchReport out = FetchNewMessages(st, row);
    status = std::move(out.status);
    return out;
  };
  // The mail step of "最新取得(&G)", when "有効" of the mail page is checked. The settings
  // window's status bar tells how it went; the main one changes when mail came, could not be
  // read whole, or the receive with a mail host failed.
  site.hooks.receive_mail = [this, &st](std::string& status) {
    if (!st.settei.v.pop_enabled) return false;
    const MailReceiveReport out = ReceiveStoredMail(st);
    if (settei) settei->SetStatus(Qs(out.status.empty() ? out.label : out.status));
    const bool failed = !out.ok && !st.settei.v.pop_host.empty();  // no host: nothing tried
    if (out.stored > 0 || out.parse_error || failed) status = out.bar;
    return out.stored > 0;
  };
  // A moved dynamic host may have changed rows of the account list. The settings window goes
  // before the main window: what the main window asks of it after that finds it gone.
  site.hooks.fetched = [this] {
    if (settei) settei->ShowValues();
  };
  site.hooks.check = [this, &st](const std::string& site_name, const std::string& nick,
                                 const std::string& pass_box, std::string& status) {
    const CheckOutcome out = SetsuzokuKakunin(st, site_name, nick, pass_box);
    status = out.msg;
    if (out.refused) return false;
    if (settei) {
      settei->ShowValues();
      settei->SetStatus(Qs(out.msg));
    }
    return true;
  };
}

// "設定(&S)" shows the settings window; its account list fetches and shows the account
// through the main window's site commands.
void AppWindows::WireSettei(AppState& st) {
  TFormMain* m = main.get();
  TFormSettei* s = settei.get();
  SiteCommands* site = &m->site();
  QObject::connect(m, &TFormMain::settingsRequested, s, [s] { ShowInFront(*s); });
  s->hooks.fetch_row = [this, site](int row) {
    std::string status;
    AnnounceNew([&] { site->Fetch(row, status); });
    return Qs(status);
  };
  s->hooks.show_current_account = [&st, site] {
    site->ShowAccount(Qs(st.cur.site), Qs(st.cur.nickname));
  };
  s->hooks.debug_armed = [m] { return m->DebugArmed(); };
  s->hooks.check_account = [&st](std::string& msg) {
    const CheckOutcome out = KakuninAccount(st);
    msg = out.msg;
    return out.ok;
  };
}

// "受信" of the mail page: the receive with what the page's boxes show, its label following.
void AppWindows::WireMailPage(AppState& st) {
  MailPage& page = settei->mail_page();
  page.hooks.busy = [&st] { return st.busy.busy(); };
  page.hooks.cancel = [&st] { CancelMailJushin(st.mail); };
  page.hooks.receive = [this, &st](const MailReceiveJob& job,
                                   const std::function<void(const std::string&)>& label) {
    struct PageLabel : JushinEvents {
      const std::function<void(const std::string&)>& show;
      explicit PageLabel(const std::function<void(const std::string&)>& f) : show(f) {}
      void Label(const std::string& text) override {
        if (show) show(text);
      }
    } events(label);
    const PopConfig c = PopConfigFromJob(job);
    MailReceiveReport out;
    AnnounceNew([&] { out = ReceiveMail(st, c, &events); });
    if (out.stored > 0) main->browser().ShowFolder(Folder::kInbox);
    return out.status.empty() ? out.bar : out.status;
  };
}

// User folders: read when the settings window is created and applied to the tree before the
// store is read; "反映する" saves and applies again.
void AppWindows::WireUserFolders(AppState& st) {
  UserFolderPage& page = settei->folder_page();
  page.hooks.apply = [this] { HanneiUserFolder(); };
  // A renamed folder's messages move with it and are saved at once, beside the saved list.
  page.hooks.rename = [this, &st](const std::string& from, const std::string& to) {
    if (RenameFolderRecords(st.store, st.log, from, to) > 0) {
      std::string msg;
      if (!SaveMaster(st.master, st.store, msg)) main->SetStatus(Qs(msg));
      st.log.Log(msg);
    }
    main->browser().RenameUserFolder(from, to);
  };
  std::string folders_msg;
  ReadUserFolder(st.settei.user_folders, st.paths.DataDir(), st.log, folders_msg);
  st.log.Log(folders_msg);
  page.ShowList();
  HanneiUserFolder();
}

// The address list: read when the main window is first shown, written at its close.
void AppWindows::WireSendList(AppState& st) {
  TFormMain* m = main.get();
  m->hooks.read_address_list = [this, &st] {
    std::string msg;
    ReadSendList(st.send_list, st.paths.DataDir(), st.log, msg);
    st.log.Log(msg);
    send_list->ShowList();
  };
  m->hooks.save_address_list = [&st](std::string& msg) {
    SaveSendList(st.send_list, st.paths.DataDir(), st.log, msg);
  };
  send_list->hooks.show_help = [m] { m->ShowHelp(false, "宛先リスト"_cp932); };
}

// "検索": the search window runs the search; the main window's list shows the result.
void AppWindows::WireKensaku(AppState& st) {
  TFormMain* m = main.get();
  TFormKensaku* k = kensaku.get();
  QObject::connect(m, &TFormMain::searchRequested, k, [k] { ShowInFront(*k); });
  k->hooks.run_search = [&st, m](const QString& text, int condition) {
    const SearchResult r = KensakuJikkou(st.store, st.log, Sj(text),
                                         condition == 1 ? SearchMode::kOr : SearchMode::kAnd);
    if (r.searched) m->browser().ShowSearchResult(r.rows);
    return Qs(r.msg);
  };
}

// "ログ(&L)" of the debug menu.
void AppWindows::WireMemo() {
  QObject::connect(main.get(), &TFormMain::logRequested, memo.get(), &TFormMemo::ShowLog);
}

// "バージョン情報(&V)".
void AppWindows::WireVersion() {
  TFormVersion* v = version.get();
  QObject::connect(main.get(), &TFormMain::versionRequested, v, [v] { ShowInFront(*v); });
}

// A timed fetch that comes while a send or another request waits runs when it is over,
// instead of being refused.
void AppWindows::TimedFetch() {
  if (!st_.busy.busy()) {
    AnnounceNew([this] { main->site().BtGetClick(); });
    return;
  }
  QTimer::singleShot(500, main.get(), [this] { TimedFetch(); });
}

void AppWindows::HanneiUserFolder() {
  st_.log.Log("HanneiUserFolder");
  const auto& folders = st_.settei.user_folders;
  for (size_t k = 0; k < folders.size() && k < kUserFolderSlots; ++k) {
    main->browser().AddUserFolder(k, folders[k].name);
  }
  settei->SetStatus(QStringLiteral("反映完了"));
}

// The main window goes last: the others may still refer to the state it shows.
AppWindows::~AppWindows() {
  if (new_msg) new_msg->EndOfRun();  // a message being written is kept for the next run
  version.reset();
  kensaku.reset();
  shomei.reset();
  claim.reset();
  tenpu.reset();
  memo.reset();
  send_list.reset();
  notifier.reset();
  site_.progress.reset();  // the session no longer reaches the progress window
  message.reset();
  new_msg.reset();
  settei.reset();
  main.reset();
}

}  // namespace sorami
