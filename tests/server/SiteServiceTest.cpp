// The site service over real HTTP: the bytes of its answers, attachment names and access, read
// receipts given directly or deposited, the directory's answers, refused and broken requests,
// concurrent clients, and the relay to SMTP. Plain sending and fetching are the client's tests.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "World.h"
#include "mail/MailServers.h"

namespace sorami::sitetest {
namespace {

// Tests on one world without SMTP relay; each starts with empty mailboxes and no receipts.
class SiteService : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Account* a : {&kHanako, &kTaro, &kJiro, &kSohyo}) {
      world->Drain(*a);
      world->GetFeedback(*a);
    }
  }
  World* const world = [] {
    static World shared({"--public-host", "127.0.0.1:0"});
    return &shared;
  }();
};

TEST_F(SiteService, AnswerLinesHoldTheTwentyThreeFieldsWithTabAndCrLfEscaped) {
  world->Admin({"notice", "保守のお知らせ\t夜間"});
  const std::string date = "2030/02/03 04:05:06";
  // The same member named twice (To and Bcc) gets one copy; blanks around pieces are ignored.
  Reply r = world->Send(kTaro, {"はなこ%広場/2", "じろう%別館/9", " ソ表%秘密 , はなこ%広場",
                                "件\t名", "1行目\r\n2行目\tx\ry\nz\r\t\n\r\r\n", date});
  ASSERT_TRUE(r.ok) << Utf(r.status);
  EXPECT_EQ(Utf(r.message), "送信完了");
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_NE(Utf(r.lines[0]).find("送信受付完了"), std::string::npos);

  Reply got = world->Message(world->FetchFields(kHanako, "GET"));
  world->Admin({"notice", ""});
  EXPECT_EQ(Utf(got.message), "新着 1 件");
  ASSERT_EQ(got.lines.size(), 2u);
  EXPECT_EQ(got.lines[0], "SYS\t" + Sj("保守のお知らせ\f\b夜間"));
  const Line f = Split(got.lines[1]);
  ASSERT_EQ(f.size(), 23u);
  // Number, To, title, body (TAB as 0C 08, CR LF as 0C 0B, a CR before anything but LF kept),
  // send date, server number (#), sender, receive time (#), -, send date, sender's site, host,
  // folder and system user, -, the recipient's system user, relation, kind, dynamic key,
  // attachments, Cc, -, -.
  Line want = Split(Sj("1\tはなこ%広場/2\t件\f\b名\t1行目\f\v2行目\f\bx\ry\nz\r\f\b\n\r\f\v\t" +
                       date + "\t#\tたろう\t#\t\t" + date + "\t広場\t" + world->address() +
                       "\t受信箱\thiroba\t\thiroba\t知人\t一般連絡\t\t\tじろう%別館/9\t\t"));
  want[5] = f[5];
  want[7] = f[7];
  EXPECT_EQ(f, want);
  EXPECT_FALSE(f[5].empty());
  EXPECT_TRUE(IsDateTime(f[7])) << f[7];
  EXPECT_EQ(world->Drain(kHanako).size(), 1u);
  EXPECT_EQ(world->Drain(kSohyo).size(), 1u);
  // Each recipient has its own server number and its own system user in field 16.
  auto jiro = world->Drain(kJiro);
  ASSERT_EQ(jiro.size(), 1u);
  EXPECT_NE(jiro[0][5], f[5]);
  EXPECT_EQ(jiro[0][15], "bekkan");
}

// Uploads and downloads byte for byte are the client's tests; here: cleaned names and access.
TEST_F(SiteService, AttachmentsAreStoredUnderCleanedNamesAndOpenOnlyForTheirRecipient) {
  const std::vector<FilePart> files = {{"D:\\tmp\\..\\..\\evil,name.bin", "data"},
                                       {"/etc/passwd", "pw"},
                                       {"C:\\b\\evil_name.bin", "second"}};
  ASSERT_TRUE(world->Upload(world->SendFields(kTaro, {}), files).ok);
  auto lines = world->Drain(kHanako);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0][19], "evil_name.bin,passwd,evil_name_2.bin");
  const std::string no = lines[0][5], other = no.substr(1) + no[0];
  // Only the recipient's system user, the message number and the file name open a file.
  struct Get {
    std::string file, user, no, body;  // no body: 404
  };
  for (const Get& g : std::vector<Get>{{"evil_name.bin", "hiroba", no, "data"},
                                       {"evil_name_2.bin", "hiroba", no, "second"},
                                       {"passwd", "hiroba", no, "pw"},
                                       {"evil_name.bin", "bekkan", no, ""},
                                       {"evil_name.bin", "hiroba", other, ""},
                                       {"passwd.bin", "hiroba", no, ""},
                                       {"evil_name.bin", "hiroba", "1 OR 1=1", ""}}) {
    Reply r = Request(world->address(), "WbTenpu.exe",
                      "FILE=" + g.file + "&TOUSER=" + g.user + "&TONO=" + g.no, "");
    EXPECT_EQ(r.httpStatus, g.body.empty() ? 404 : 200) << g.file << " " << g.user << " " << g.no;
    EXPECT_TRUE(g.body.empty() ? r.body != "data" : r.body == g.body) << r.body;
  }
}

TEST_F(SiteService, DirectAndDepositedReceiptsReachTheSenderOnceAndForgedOnesAreRefused) {
  auto delivered = [&](const Account& from) {  // the line hanako fetches
    EXPECT_TRUE(world->Send(from).ok);
    auto lines = world->Drain(kHanako);
    return lines.size() == 1 ? lines[0] : Line(23);
  };
  // hanako's receipt for the line, deposited with the directory under the dynamic key.
  auto deposit = [&](const Line& line, const std::string& key) {
    Fields f = world->FeedbackFields(kHanako, line);
    f.insert(f.end(), {{"OPTION", "AZUKARI"}, {"DYNAMIC", key}});
    return f;
  };
  const Line fromTaro = delivered(kTaro), fromJiro = delivered(kJiro);
  ASSERT_EQ(fromJiro[18], "DYN$bekkan");  // the sender's dynamic key travels in field 19
  Line otherDate = fromTaro, unknownSender = fromTaro;
  otherDate[4] = "1999/01/01 00:00:00";
  unknownSender[6] = Sj("だれか");
  Fields notAReceipt = world->SendFields(kHanako, {"たろう%広場"});
  notAReceipt.insert(notAReceipt.end(), {{"OPTION", "AZUKARI"}, {"DYNAMIC", "DYN$bekkan"}});
  for (const Fields& f :
       {world->FeedbackFields(kHanako, otherDate), world->FeedbackFields(kHanako, unknownSender),
        world->FeedbackFields(kJiro, fromTaro),  // not its reader
        deposit(fromTaro, "DYN$bekkan"),         // a key of another site
        deposit(fromJiro, "XYZ$bekkan"),         // the right key name, wrong prefix
        deposit(fromJiro, ""), notAReceipt}) {
    Reply r = world->Message(f);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.status.empty());
  }
  EXPECT_TRUE(world->Drain(kTaro).empty());
  EXPECT_FALSE(world->GetFeedback({"広場", "たろう", "wrong", "hiroba"}).ok);

  for (const Fields& f :
       {world->FeedbackFields(kHanako, fromTaro), deposit(fromJiro, fromJiro[18])}) {
    Reply given = world->Message(f);
    ASSERT_TRUE(given.ok) << Utf(given.status);
    // The reader's client parses the value once more: its first line is a status line.
    ASSERT_FALSE(given.lines.empty());
    EXPECT_TRUE(ReadReply(200, given.lines[0]).ok) << Utf(given.lines[0]);
  }
  for (const auto& [sender, line] : {std::pair{kTaro, fromTaro}, std::pair{kJiro, fromJiro}}) {
    Reply collected = world->GetFeedback(sender);
    ASSERT_TRUE(collected.ok);
    ASSERT_EQ(collected.lines.size(), 1u) << sender.nick;  // none from the refused ones
    const Line f = Split(collected.lines[0]);
    ASSERT_EQ(f.size(), 5u);
    EXPECT_FALSE(f[0].starts_with("SYS"));
    EXPECT_EQ(f[1], line[4]);
    EXPECT_TRUE(IsDateTime(f[2])) << f[2];
    EXPECT_EQ(f[3], "FEEDBACK");
    EXPECT_EQ(f[4], Sj("はなこ%広場"));  // the reader
    EXPECT_TRUE(world->GetFeedback(sender).lines.empty());
  }
  EXPECT_TRUE(world->GetFeedback(kHanako).lines.empty());  // receipts go to the sender only
}

// Host look-up, public sites, dynamic hosts (a host serves only the sites registered at its
// address), and requests the directory does not know.
TEST_F(SiteService, TheDirectoryAnswersGethostSitelistAndGetdyn) {
  const World& w = *world;
  auto gethost = [&](const std::string& site) {
    return w.Message({{"COMMAND", "GETHOST"}, {"TOSITE", Sj(site)}});
  };
  auto update = [&](const std::string& command, const std::string& key) {
    return Request(w.address(), "WbUpdate.exe", UrlEncoded({{"COMMAND", command}, {"HOST", key}}));
  };
  Reply dyn = gethost("別館");
  ASSERT_TRUE(dyn.ok) << Utf(dyn.status);
  EXPECT_EQ(dyn.lines, Line{"TOHOST=" + w.address() + "\tTOUSER=bekkan\tDYNAMIC=DYN$bekkan"});
  EXPECT_EQ(gethost("広場").lines, Line{"TOHOST=" + w.address() + "\tTOUSER=hiroba"});
  Reply unknown = gethost("無いサイト");
  EXPECT_FALSE(unknown.ok);
  EXPECT_TRUE(unknown.lines.empty());
  EXPECT_NE(Utf(unknown.status).find("無いサイト"), std::string::npos);
  Reply sites =
      w.Message({{"COMMAND", "SITELIST"}, {"FROMNAME", Sj("はなこ")}, {"FROMUSER", "hiroba"}});
  ASSERT_TRUE(sites.ok);
  EXPECT_EQ(sites.lines, (Line{Sj("広場"), Sj("別館")}));  // not 秘密
  const std::vector<std::pair<Fields, std::string>> refused = {
      {{{"COMMAND", "DELETEALL"}}, "不明なコマンドです : DELETEALL"},
      {{{"TOSITE", Sj("広場")}}, "コマンドが指定されていません"},
      {{{"COMMAND", "GETHOST"}}, "項目がありません : TOSITE"}};
  for (const auto& [fields, status] : refused) {
    Reply r = w.Message(fields);
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Utf(r.status), status);
  }

  auto fetch = [&] { return w.Message(w.FetchFields(kJiro, "GET")); };
  EXPECT_EQ(update("GETDYN", "bekkan").lines, Line{w.address()});
  w.Admin({"setdyn", "DYN$bekkan", "192.0.2.7:8080"});
  EXPECT_EQ(update("GETDYN", "bekkan").lines, Line{"192.0.2.7:8080"});
  EXPECT_EQ(Split(gethost("別館").lines.at(0))[0], "TOHOST=192.0.2.7:8080");
  Reply moved = fetch();  // the client takes this as its cue to ask GETDYN
  EXPECT_FALSE(moved.ok);
  EXPECT_NE(Utf(moved.status).find("別館"), std::string::npos) << Utf(moved.status);
  w.Admin({"setdyn", "bekkan", w.address()});  // the key without its prefix works too
  EXPECT_EQ(update("GETDYN", "bekkan").lines, Line{w.address()});
  EXPECT_TRUE(fetch().ok);
  for (const char* key : {"nokey", "DYN$bekkan", ""}) EXPECT_FALSE(update("GETDYN", key).ok);
  EXPECT_FALSE(update("GET", "bekkan").ok);
}

TEST_F(SiteService, OversizedMalformedAndForgedRequestsAreRefusedAndStoreNothing) {
  const std::string form = "application/x-www-form-urlencoded";
  Fields send = world->SendFields(kTaro, {.title = "keep"});
  ASSERT_TRUE(world->Message(send).ok);
  send[14].second = "refused";  // TITLE
  auto with = [&](std::size_t field, const std::string& value) {
    Fields f = send;
    f[field].second = value;
    return UrlEncoded(f);
  };
  auto fetch = [&](const Account& a) { return UrlEncoded(world->FetchFields(a, "GET")); };
  const std::string big(32u * 1024 * 1024 + 1, 'A');
  // Body, content type, HTTP status, status text (empty: any).
  const std::vector<std::tuple<std::string, std::string, int, std::string>> cases = {
      {"COMMAND=GETHOST&TOSITE=" + big, form, 413, "要求が大きすぎます (上限 32 MiB)"},
      {Multipart(send, {{"C:\\big.bin", big}}), kMultipart, 413, ""},
      {"COMMAND=GET%ZZ&", form, 400, ""},
      {"=x&", form, 400, ""},
      {"COMMAND&&&", form, 400, ""},
      {"%", form, 400, ""},
      // USERPASS wrong, FROMDATE or TONAME empty, a recipient unknown.
      {with(18, "wrong"), form, 200, ""},
      {with(13, ""), form, 200, ""},
      {with(10, ""), form, 200, ""},
      {with(7, Sj("じろう%別館,だれか%広場")), form, 200, ""},
      // hanako's mailbox with a wrong password, an unknown site, an unknown nickname.
      {fetch({"広場", "はなこ", "wrong", "hiroba"}), form, 200, ""},
      {fetch({"無い", "はなこ", "hana", "hiroba"}), form, 200, ""},
      {fetch({"広場", "だれか", "hana", "hiroba"}), form, 200, ""}};
  for (const auto& [body, type, httpStatus, status] : cases) {
    Reply r = Request(world->address(), "WbMessage.exe", body, type);
    EXPECT_EQ(r.httpStatus, httpStatus) << body.substr(0, 40);
    EXPECT_FALSE(r.ok) << Utf(r.status);
    EXPECT_FALSE(r.status.empty());
    EXPECT_TRUE(r.lines.empty()) << r.lines[0];
    EXPECT_TRUE(status.empty() || Utf(r.status) == status) << Utf(r.status);
  }
  EXPECT_TRUE(world->Drain(kJiro).empty());
  auto lines = world->Drain(kHanako);
  ASSERT_EQ(lines.size(), 1u);  // the message sent first, and only it
  EXPECT_EQ(lines[0][2], "keep");
  Reply fits = world->Upload(send, {{"C:\\fits.bin", std::string(31u << 20, 'B')}});
  EXPECT_TRUE(fits.ok) << Utf(fits.status);  // just under the limit
  EXPECT_EQ(world->Drain(kHanako).size(), 1u);
}

TEST_F(SiteService, ConcurrentSendersAllGetThroughWithDistinctServerNumbers) {
  constexpr int kThreads = 6, kEach = 5;
  std::vector<std::thread> threads;
  std::atomic<int> ok{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        const std::string date = "2031/02/03 04:" + std::to_string(10 + t) + ":";
        ok += world
                  ->Send(kTaro,
                         {.title = "t" + std::to_string(t), .date = date + std::to_string(10 + i)})
                  .ok;
        ok += world->Message(world->FetchFields(kJiro, "GET")).ok;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(ok, 2 * kThreads * kEach);
  std::set<std::string> numbers;
  for (const auto& line : world->Drain(kHanako)) numbers.insert(line[5]);
  EXPECT_EQ(numbers.size(), static_cast<std::size_t>(kThreads * kEach));
}

// SENDSMTP: the service relays a member's mail to its SMTP relay, here the mail tests' SMTP sink
// on a loopback port, told through a file to refuse recipients or drop connections.
TEST(SmtpRelay, RelaysTheMailWithItsTextUnchangedAndNeverReportsAFailureAsSent) {
  test::ScratchDir dir;
  test::SmtpSink sink(dir.path(), {"--fail-file", (dir / "fail").string()});
  ASSERT_NE(sink.port(), 0);
  const World world({"--smtp-relay", "127.0.0.1:" + std::to_string(sink.port())});
  auto smtp = [&](const std::string& to, const std::string& cc = "", const std::string& bcc = "") {
    Fields f = world.SendFields(kHanako, {to, cc, bcc, "件名テスト", "本文\r\n二行目", ""});
    f[2].second = "SENDSMTP";  // COMMAND
    f[3].second = to;          // TOLIST
    const Fields extra = {{"SMTPHOST", "mail.example.jp"},
                          {"SMTPUSER", "hanako"},
                          {"SMTPFROM", "hanako@example.jp"},
                          {"SMTPNAME", Sj("はなこ")},
                          {"SMTPID", Sj("はなこ")}};
    f.insert(f.end(), extra.begin(), extra.end());
    return f;
  };
  Reply r = world.Message(smtp("a@example.jp, B <b@example.jp>", "c@example.jp", "d@example.jp"));
  // The client splits a SENDSMTP answer at "OK(PGM)" and looks for "送信完了" after it.
  std::size_t ok = r.body.find("OK(PGM)");
  ASSERT_NE(ok, std::string::npos) << Utf(r.body);
  EXPECT_EQ(Utf(r.body.substr(ok + 7)), "送信完了");
  ASSERT_EQ(sink.Messages().size(), 1u);
  const std::string data = test::ReadFileBytes(sink.Messages()[0]);
  EXPECT_NE(sink.Envelopes().find("\"mail_from\": \"hanako@example.jp\", \"rcpt_tos\": "
                                  "[\"a@example.jp\", \"b@example.jp\", \"c@example.jp\", "
                                  "\"d@example.jp\"]"),
            std::string::npos)
      << sink.Envelopes();
  // The header names the To and Cc recipients only; the texts are code page 932 in base64
  // (はなこ, 件名テスト, and 本文 CR LF 二行目).
  const std::string head = "\r\n" + data.substr(0, data.find("\r\n\r\n") + 2);
  for (const char* line :
       {"From: =?Shift_JIS?B?gs2CyIKx?= <hanako@example.jp>", "To: a@example.jp, b@example.jp",
        "Cc: c@example.jp", "Subject: =?Shift_JIS?B?jI+WvINlg1iDZw==?=",
        "Content-Type: text/plain; charset=Shift_JIS", "Content-Transfer-Encoding: base64"}) {
    EXPECT_NE(head.find("\r\n" + std::string(line) + "\r\n"), std::string::npos) << line;
  }
  EXPECT_EQ(data.find("d@example.jp"), std::string::npos);
  EXPECT_TRUE(data.ends_with("\r\n\r\nlnuVtg0Kk/GNc5ba\r\n")) << data;

  Fields stranger = smtp("a@example.jp");
  stranger[18].second = "wrong";  // USERPASS
  for (const Fields& f :
       {smtp("a@example.jp\r\nBcc: x@evil.example"), smtp("not-an-address"), smtp(""), stranger}) {
    EXPECT_FALSE(world.Message(f).ok);
  }
  EXPECT_EQ(sink.Messages().size(), 1u);
  test::WriteFileBytes(dir / "fail", "refuse");
  Reply refused = world.Message(smtp("a@example.jp"));
  EXPECT_EQ(refused.body.find("OK(PGM)"), std::string::npos);
  EXPECT_EQ(Utf(refused.body).find("送信完了"), std::string::npos);
  EXPECT_NE(refused.status.find("550"), std::string::npos) << Utf(refused.status);
  test::WriteFileBytes(dir / "fail", "drop");
  Reply dropped = world.Message(smtp("a@example.jp"));
  EXPECT_FALSE(dropped.ok);
  EXPECT_EQ(Utf(dropped.body).find("送信完了"), std::string::npos);
}

TEST(ServeCommand, VersionAndHelpAnswerOnStdoutAndAnUnknownOptionIsAUsageError) {
  test::ScratchDir dir;
  const CommandResult version = RunServerCommand({"--version"}, dir.path());
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_EQ(version.out.rfind("sorami-site-server (ソラミメッセージ) ", 0), 0u) << version.out;
  const CommandResult help = RunServerCommand({"--help"}, dir.path());
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_NE(help.out.find("sorami-site-server serve --db FILE"), std::string::npos) << help.out;
  EXPECT_EQ(RunServerCommand({"--frobnicate"}, dir.path()).exitCode, 2);
}

}  // namespace
}  // namespace sorami::sitetest
