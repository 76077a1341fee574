// The wiring of the feature windows that open from the main window and from each other: the
// attachment window, the compose window with its address list, signature and send, and the
// claim window.
#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include "attach/TenpuList.h"
#include "attach/ui/TFormTenpu.h"
#include "base/ui/QtText.h"
#include "compose/ComposeRecovery.h"
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
#include "shell/SiteFetch.h"
#include "shell/SiteList.h"
#include "shell/Soushin.h"
#include "shell/TenpuFetch.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"
#include "shell/ui/TFormMemo.h"
#include "shell/ui/TFormVersion.h"
#include "site/ui/SiteCommands.h"
#include "site/ui/TFormClaim.h"
#include "site/ui/TFormMessage.h"
#include "store/UserFolders.h"
#include "views/Search.h"
#include "views/ui/MessageBrowser.h"
#include "views/ui/TFormKensaku.h"

namespace sorami {

// Attachments: a shown site message lists its files in the attachment window, and the message
// pane's "添付ﾌｧｲﾙ" shows them; "サイト一覧(&S)" → "取得(&G)" shows the public sites in the
// message pane.
void AppWindows::WireTenpu(AppState& st) {
  TFormMain* m = main.get();
  TFormTenpu* t = tenpu.get();
  m->browser().hooks.show_tenpu = [this](int32_t row) { return tenpu && tenpu->ShowTenpu(row); };
  t->hooks.refetch = [&st](int32_t row) { return RefetchTenpu(st, row).msg; };
  // ShowMailInfo: a received mail lists the names of its "MailTenpu;..." column.
  m->browser().hooks.show_mail_info = [this, &st](int32_t row) {
    st.log.Log(".ShowMailInfo");
    tenpu->ShowNames(MailTenpuNames(st.store.Get(row, MastCol::kAttachments)), "メール"_cp932);
  };
  if (auto* bt = m->findChild<QPushButton*>(QStringLiteral("BtTenpu"))) {
    QObject::connect(bt, &QPushButton::clicked, t, &TFormTenpu::ShowForMessage);
  }
  if (auto* g1 = m->findChild<QAction*>(QStringLiteral("G1"))) {
    QObject::connect(g1, &QAction::triggered, m, [&st, m] {
      const SiteListReport out = FetchSiteList(st);
      if (out.ok) {
        m->browser().ShowPaneText(Qs(out.text));
      } else if (!out.refused) {
        m->browser().ShowPanel(false);
      }
      m->SetStatus(Qs(out.status));
    });
  }
}

// The compose window: "送信画面(&N)" and the replies open it; its send and draft run the
// shell's send; the address list picks into its edits; the signature and attachment windows
// open from it.
void AppWindows::WireCompose(AppState& st) {
  TFormNewMsg* nm = new_msg.get();
  TFormMain* m = main.get();
  QObject::connect(m, &TFormMain::composeRequested, nm, &TFormNewMsg::ShowWindow);
  auto finish = [m](const SendReport& r, std::vector<std::string>& status) {
    status = r.compose_status;
    if (r.show_sent) m->browser().ShowFolder(Folder::kSent);
    if (r.ok || r.refused || r.unknown) m->SetStatus(Qs(r.msg));
    return r.close_window;
  };
  nm->hooks.send = [&st, finish](ComposeFields& f, std::vector<std::string>& status) {
    return finish(SendButton(st, DirectMailRoute(st), f), status);
  };
  nm->hooks.draft = [&st, finish](ComposeFields& f, std::vector<std::string>& status) {
    return finish(DraftButton(st, f), status);
  };
  nm->hooks.account = [&st](std::string& nickname, std::string& site) {
    nickname = st.cur.nickname;
    site = st.cur.site;
  };
  nm->hooks.attachment_names = [&st] {
    QStringList names;
    for (const auto& p : st.site.send_attachments) {
      names << QFile::decodeName(p.filename().string().c_str());
    }
    return names;
  };
  nm->hooks.clear_attachments = [this] { tenpu->Button1Click(); };
  nm->hooks.show_attachments = [this] { tenpu->ShowForCompose(); };
  nm->hooks.signature = [this] { return shomei->Signature(); };
  nm->hooks.edit_signature = [this] { shomei->show(); };
  nm->hooks.show_help = [m] { m->ShowHelp(false, "メッセージ送信"_cp932); };
  WireRecovery(st);
  MessageBrowser& browser = m->browser();
  browser.hooks.send_feedback = [&st](int32_t row) { return SendReadReceipt(st, row); };
  browser.hooks.reply = [&st, nm, &browser](ReplyKind kind) {
    const auto row = browser.ClickedRecord();
    // A half-written message is saved or thrown away by the user, never overwritten unasked.
    if (!row || !nm->ConfirmReplace()) return;
    ComposeFields f = nm->Fields();
    if (!ReplyCompose(st, *row, kind, f)) return;
    nm->SetFields(f);
    nm->ShowWindow();
  };
  nm->hooks.pick = [this, nm](TFormNewMsg::Target t) {
    TFormSendList* list = send_list.get();
    list->hooks.add_pick = [nm, t](const QString& address, int relation) {
      nm->AddPick(t, address, relation);
    };
    QObject::disconnect(list, &TFormSendList::picked, nullptr, nullptr);
    QObject::connect(list, &TFormSendList::picked, nm, [nm, list, t](bool ok) {
      if (ok) nm->ReplacePick(t, list->PickedAddress(), list->PickedRelation());
    });
    list->ShowForPick();
  };
}

// The compose window's recovery copy, with the send attachment list, in the data directory:
// brought back at start, written while a message is written and when the run ends.
void AppWindows::WireRecovery(AppState& st) {
  TFormNewMsg* nm = new_msg.get();
  const std::filesystem::path data = st.paths.DataDir();
  nm->hooks.save_recovery = [&st, data](const ComposeFields& typed) {
    std::string msg;
    if (!SaveRecovery(data, {typed, st.site.send_attachments}, msg)) st.log.Log(msg);
  };
  nm->hooks.clear_recovery = [data] { ClearRecovery(data); };
  RecoveryCopy copy;
  if (LoadRecovery(data, copy)) {
    st.site.send_attachments = copy.attachments;
    nm->Restore(copy.fields);
  }
  QObject::connect(main.get(), &TFormMain::closed, nm, &TFormNewMsg::EndOfRun);
}

// "ｸﾚｰﾑ報告" on the shown message opens the claim window; its report goes to the site and
// its outcome to the main window's status bar.
void AppWindows::WireClaim(AppState& st) {
  TFormMain* m = main.get();
  MessageBrowser& browser = m->browser();
  TFormClaim* cl = claim.get();
  browser.hooks.claim = [&st, cl, &browser] {
    if (const auto row = browser.ClickedRecord()) cl->ShowFor(st.store, *row);
  };
  cl->hooks.report = [&st, &browser](const ClaimChoice& c) {
    return ReportClaim(st, browser.ClickedRecord().value_or(-1), c).msg;
  };
  cl->hooks.show_help = [m] { m->ShowHelp(false, "クレーム報告"_cp932); };
  QObject::connect(cl, &TFormClaim::closed, m, [m](bool ok, const QString& result) {
    if (ok) m->SetStatus(result);
  });
}

}  // namespace sorami
