// Benchmarks of the mail library: a message with a 20 MB base64 attachment (time and peak
// heap), 10,000 small Japanese messages, and the JIS conversions' throughput.
//
//   bench_mail                         run the benchmarks
//   bench_mail --write-corpus DIR      write the 10,000 small messages as DIR/NNNNN.eml, for
//                                      timing the same messages elsewhere
//                                      (bench/mail_python_email.py)
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "mail/mime/Base64.h"
#include "mail/mime/KanjiCode.h"
#include "mail/mime/ReceivedMail.h"
#include "platform/Codepage.h"

// Heap accounting: every allocation of the process goes through these, so the peak of a
// parse is measured, not estimated.
namespace {
std::atomic<size_t> g_heap_now{0};
std::atomic<size_t> g_heap_peak{0};

void* CountedAlloc(size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (!p) throw std::bad_alloc();
  const size_t now = g_heap_now += malloc_usable_size(p);
  size_t peak = g_heap_peak.load();
  while (now > peak && !g_heap_peak.compare_exchange_weak(peak, now)) {
  }
  return p;
}
void CountedFree(void* p) {
  if (!p) return;
  g_heap_now -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace

void* operator new(size_t n) { return CountedAlloc(n); }
void* operator new[](size_t n) { return CountedAlloc(n); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }

namespace sorami {
namespace {

std::string Sj(const char* utf8) { return Utf8ToCp932(utf8); }

std::string Lines76(const std::string& b64) {
  std::string out;
  out.reserve(b64.size() + b64.size() / 38 + 2);
  for (size_t i = 0; i < b64.size(); i += 76) {
    out.append(b64, i, 76);
    out += "\r\n";
  }
  return out;
}

std::string QuotedPrintable(const std::string& bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  size_t col = 0;
  for (unsigned char c : bytes) {
    if (c == '\n') {
      out += "\r\n";
      col = 0;
      continue;
    }
    if (c == '\r') continue;
    std::string piece;
    if ((c >= 33 && c <= 126 && c != '=') || c == ' ') {
      piece = static_cast<char>(c);
    } else {
      piece = {'=', hex[c >> 4], hex[c & 15]};
    }
    if (col + piece.size() > 75) {
      out += "=\r\n";
      col = 0;
    }
    out += piece;
    col += piece.size();
  }
  return out;
}

std::string BWord(const std::string& charset, const std::string& bytes) {
  return "=?" + charset + "?B?" + Base64Encode(bytes) + "?=";
}

// A message with a text part and one base64 attachment of the given size.
std::string BigMessage(size_t attachment_bytes) {
  std::mt19937 gen(1);
  std::string data(attachment_bytes, '\0');
  for (char& c : data) c = static_cast<char>(gen());
  std::string m = "From: " + BWord("ISO-2022-JP", SjisToJis(Sj("送信者")) + "\x1B(B") +
                  " <sender@example.jp>\r\nTo: rcpt@example.jp\r\nSubject: " +
                  BWord("ISO-2022-JP", SjisToJis(Sj("大きな添付")) + "\x1B(B") +
                  "\r\nDate: Tue, 1 Dec 2026 10:00:00 +0900\r\nMIME-Version: 1.0\r\n"
                  "Content-Type: multipart/mixed; boundary=\"bb\"\r\n\r\n--bb\r\n"
                  "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
                  SjisToJis(Sj("添付をお送りします。")) +
                  "\x1B(B\r\n\r\n--bb\r\n"
                  "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
                  "Content-Transfer-Encoding: base64\r\n\r\n" +
                  Lines76(Base64Encode(data)) + "\r\n--bb--\r\n";
  return m;
}

// 10,000 small Japanese messages in the forms mail arrives in today.
std::vector<std::string> SmallMessages() {
  const char* names[] = {"山田太郎", "佐藤花子", "鈴木一郎", "高橋髙子", "田中①号", "ｶﾀｶﾅ商会"};
  const char* subjects[] = {"会議の件",         "見積書の送付",   "Re: 来週の予定について",
                            "【重要】お知らせ", "ご確認ください", "～波ダッシュ～テスト"};
  const std::string body_sj =
      Sj("いつもお世話になっております。\n来週の会議の件でご連絡いたします。\n"
         "日時：１２月５日（土）１０時～１２時\n場所：本社３階会議室\n"
         "資料は添付のとおりです。ご確認のほど、よろしくお願いいたします。\n\n"
         "株式会社サンプル　営業部\n");
  std::vector<std::string> out;
  out.reserve(10000);
  for (int i = 0; i < 10000; ++i) {
    const std::string name = Sj(names[i % 6]);
    const std::string subject = Sj(subjects[(i / 6) % 6]) + " #" + std::to_string(i);
    const std::string body = body_sj + "No." + std::to_string(i) + "\n";
    std::string h = "Return-Path: <u" + std::to_string(i) +
                    "@example.jp>\r\n"
                    "Message-ID: <" +
                    std::to_string(i) +
                    ".bench@example.jp>\r\n"
                    "Date: Tue, 1 Dec 2026 10:" +
                    std::to_string(10 + i % 50) +
                    ":00 +0900\r\n"
                    "MIME-Version: 1.0\r\n";
    std::string m;
    switch (i % 5) {
      case 0:  // ISO-2022-JP, 7bit, the classic Japanese mail
        m = h + "From: " + BWord("ISO-2022-JP", SjisToJis(name) + "\x1B(B") +
            " <a@example.jp>\r\n" +
            "To: b@example.jp\r\nSubject: " + BWord("ISO-2022-JP", SjisToJis(subject) + "\x1B(B") +
            "\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
            "Content-Transfer-Encoding: 7bit\r\n\r\n" +
            SjisToJis(body);
        break;
      case 1:  // UTF-8 over base64
        m = h + "From: " + BWord("UTF-8", Cp932ToUtf8(name)) + " <a@example.jp>\r\n" +
            "To: " + BWord("UTF-8", Cp932ToUtf8(name)) + " <b@example.jp>, c@example.jp\r\n" +
            "Subject: " + BWord("UTF-8", Cp932ToUtf8(subject)) +
            "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: "
            "base64\r\n\r\n" +
            Lines76(Base64Encode(Cp932ToUtf8(body)));
        break;
      case 2:  // multipart/alternative, UTF-8 quoted-printable text and HTML
        m = h + "From: \"" + BWord("UTF-8", Cp932ToUtf8(name)) + "\" <a@example.jp>\r\n" +
            "To: b@example.jp\r\nSubject: " + BWord("UTF-8", Cp932ToUtf8(subject)) +
            "\r\nContent-Type: multipart/alternative; boundary=\"alt" + std::to_string(i) +
            "\"\r\n\r\n--alt" + std::to_string(i) +
            "\r\nContent-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            QuotedPrintable(Cp932ToUtf8(body)) + "\r\n--alt" + std::to_string(i) +
            "\r\nContent-Type: text/html; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            QuotedPrintable("<html><body><p>" + Cp932ToUtf8(body) + "</p></body></html>") +
            "\r\n--alt" + std::to_string(i) + "--\r\n";
        break;
      case 3:  // multipart/mixed, JIS text and a small attachment with an RFC 2231 name
        m = h + "From: " + BWord("ISO-2022-JP", SjisToJis(name) + "\x1B(B") +
            " <a@example.jp>\r\n" + "To: b@example.jp\r\nCc: c@example.jp\r\nSubject: " +
            BWord("ISO-2022-JP", SjisToJis(subject) + "\x1B(B") +
            "\r\nContent-Type: multipart/mixed; boundary=\"mix\"\r\n\r\n--mix\r\n"
            "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
            SjisToJis(body) +
            "\r\n--mix\r\nContent-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename*=UTF-8''%E8%A6%8B%E7%A9%8D.pdf\r\n\r\n" +
            Lines76(Base64Encode(std::string(1500, static_cast<char>('A' + i % 26)))) +
            "--mix--\r\n";
        break;
      default:  // EUC-JP quoted-printable
        m = h + "From: " + BWord("EUC-JP", SjisToEuc(name)) + " <a@example.jp>\r\n" +
            "To: b@example.jp\r\nSubject: " + BWord("EUC-JP", SjisToEuc(subject)) +
            "\r\nContent-Type: text/plain; charset=EUC-JP\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            QuotedPrintable(SjisToEuc(body));
        break;
    }
    out.push_back(std::move(m));
  }
  return out;
}

void BM_ParseBigAttachment(benchmark::State& state) {
  const size_t attachment = 20u << 20;
  const std::string message = BigMessage(attachment);
  size_t peak_over_start = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string raw = message;  // the mail as it arrives
    const size_t start = g_heap_now.load() - malloc_usable_size(raw.data());
    g_heap_peak = g_heap_now.load();
    state.ResumeTiming();
    {
      TVexPOP parser;
      TVexMsg msg;
      msg.Lines.AssignText(std::move(raw));
      ParseReceivedMail(parser, msg);
      if (msg.Attachments.Count() != 1 || msg.Attachments[0].Data.size() != attachment) {
        state.SkipWithError("attachment not decoded");
      }
      benchmark::DoNotOptimize(msg.Attachments[0].Data.data());
      peak_over_start = g_heap_peak.load() - start;
    }
  }
  state.counters["message_MB"] = static_cast<double>(message.size()) / (1 << 20);
  state.counters["peak_heap_MB"] = static_cast<double>(peak_over_start) / (1 << 20);
  state.counters["peak_per_message"] = static_cast<double>(peak_over_start) / message.size();
  state.counters["peak_per_attachment"] = static_cast<double>(peak_over_start) / attachment;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * message.size()));
}
BENCHMARK(BM_ParseBigAttachment)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Parse10000SmallJapanese(benchmark::State& state) {
  const std::vector<std::string> messages = SmallMessages();
  size_t bytes = 0;
  for (const auto& m : messages) bytes += m.size();
  for (auto _ : state) {
    size_t body_lines = 0;
    for (const std::string& m : messages) {
      TVexPOP parser;
      TVexMsg msg;
      msg.CharSet = "ISO-2022-JP";
      msg.Lines.AssignText(m);
      ParseReceivedMail(parser, msg);
      body_lines += msg.Text.size();
    }
    benchmark::DoNotOptimize(body_lines);
  }
  state.counters["messages"] = static_cast<double>(messages.size());
  state.counters["avg_bytes"] = static_cast<double>(bytes) / messages.size();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Parse10000SmallJapanese)->Unit(benchmark::kMillisecond);

// About 16 MB of Japanese business text in Shift_JIS: kanji and kana with ASCII runs and
// line ends, as in a body.
std::string JapaneseText() {
  const std::string para =
      Sj("いつもお世話になっております。株式会社サンプルの山田です。\n"
         "先日ご依頼いただきました見積書（No.2026-1205）をお送りいたします。\n"
         "納期は１２月２０日を予定しております。ご不明な点はお気軽にお問い合わせください。\n"
         "Tel: 03-1234-5678 / Mail: yamada@example.jp\n");
  std::string text;
  text.reserve(16u << 20);
  while (text.size() < (16u << 20)) text += para;
  return text;
}

void BM_SjisToJis(benchmark::State& state) {
  const std::string text = JapaneseText();
  for (auto _ : state) {
    std::string jis = SjisToJis(text);
    benchmark::DoNotOptimize(jis.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SjisToJis)->Unit(benchmark::kMillisecond);

void BM_JisToSjis(benchmark::State& state) {
  const std::string jis = SjisToJis(JapaneseText());
  for (auto _ : state) {
    std::string sjis = JisToSjis(jis);
    benchmark::DoNotOptimize(sjis.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * jis.size()));
}
BENCHMARK(BM_JisToSjis)->Unit(benchmark::kMillisecond);

int WriteCorpus(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  const std::vector<std::string> messages = SmallMessages();
  for (size_t i = 0; i < messages.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%05zu.eml", i);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(messages[i].data(), static_cast<std::streamsize>(messages[i].size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
      return 1;
    }
  }
  std::printf("%zu messages in %s\n", messages.size(), dir.c_str());
  return 0;
}

}  // namespace
}  // namespace sorami

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-corpus") return sorami::WriteCorpus(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
