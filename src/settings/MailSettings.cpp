#include "settings/MailSettings.h"

#include <charconv>

#include "base/MbText.h"
#include "platform/Codepage.h"

namespace sorami {

const std::vector<std::string>& SmtpPortList() {
  static const std::vector<std::string> list = {"25", "465", "587"};
  return list;
}

const std::vector<std::string>& PopPortList() {
  static const std::vector<std::string> list = {"110", "995", "143", "993"};
  return list;
}

const std::vector<std::string>& ReceiveProtocolList() {
  static const std::vector<std::string> list = {"POP3", "IMAP"};
  return list;
}

void FollowReceiveProtocol(SetteiValues& v) {
  if (!v.pop_port_text.empty()) return;
  const bool imap = v.receive_protocol_index == 1;
  // The list holds POP3's ports at 0 and 1, IMAP's plain and TLS ports at 2 and 3.
  if (imap && (v.pop_port_index == 0 || v.pop_port_index == 1)) v.pop_port_index += 2;
  if (!imap && (v.pop_port_index == 2 || v.pop_port_index == 3)) v.pop_port_index -= 2;
}

const std::vector<std::string>& SecurityList() {
  static const std::vector<std::string> list = {"自動"_cp932, "なし"_cp932, "STARTTLS", "SSL/TLS"};
  return list;
}

std::string PortBoxText(long index, const std::string& typed,
                        const std::vector<std::string>& list) {
  if (!typed.empty()) return typed;
  const bool inside = index >= 0 && static_cast<size_t>(index) < list.size();
  return list[inside ? static_cast<size_t>(index) : 0];
}

void SetPortBox(const std::string& text, const std::vector<std::string>& list, long& index,
                std::string& typed) {
  const std::string trimmed(TrimBytes(text));
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == trimmed) {
      index = static_cast<long>(i);
      typed.clear();
      return;
    }
  }
  typed = trimmed;
}

int PortNumber(std::string_view text) {
  text = TrimBytes(text);
  int port = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (ec != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) return 0;
  return port;
}

bool MakeReceiveJob(const SetteiValues& v, MailReceiveJob& job, std::string& msg) {
  const std::string port_text = PortBoxText(v.pop_port_index, v.pop_port_text, PopPortList());
  job.port = PortNumber(port_text);
  if (job.port == 0) {
    msg = "ポート番号が正しくありません: "_cp932 + port_text;
    return false;
  }
  job.enabled = v.pop_enabled;
  job.leave_on_server = v.leave_mail_on_server;
  job.imap = v.receive_protocol_index == 1;
  job.folders = v.imap_folders;
  job.security = MailSecurityFromIndex(v.pop_tls_index);
  job.host = v.pop_host;
  job.user = v.pop_user;
  job.password = v.pop_password;
  job.ca_file = v.tls_ca_file;
  msg.clear();
  return true;
}

}  // namespace sorami
