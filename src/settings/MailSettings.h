// The mail page's values as the send and the receive use them: the port boxes (a list entry
// or a typed port), the security boxes, and the receive job the "受信" button hands on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/LineSocket.h"
#include "settings/Settei.h"

namespace sorami {

// The entries of the boxes, in their order (the persisted indexes count in them).
const std::vector<std::string>& SmtpPortList();         // "25", "465", "587"
const std::vector<std::string>& PopPortList();          // "110", "995", "143", "993"
const std::vector<std::string>& ReceiveProtocolList();  // "POP3", "IMAP"
const std::vector<std::string>& SecurityList();         // "自動", "なし", "STARTTLS", "SSL/TLS"

// The text a port box shows: the typed port when there is one, else the entry of the index
// (the first entry for an index outside the list).
std::string PortBoxText(long index, const std::string& typed, const std::vector<std::string>& list);
// The user set a port box's text: an entry of the list selects it (and drops a typed port),
// any other text is kept as the typed port.
void SetPortBox(const std::string& text, const std::vector<std::string>& list, long& index,
                std::string& typed);
// The port number of a box text; 0 when it is not a number from 1 to 65535.
int PortNumber(std::string_view text);

// "受信方式" changed: a receive port box showing the other protocol's usual port (110 or 995
// for POP3, 143 or 993 for IMAP) follows to this one's; a port typed by hand stays.
void FollowReceiveProtocol(SetteiValues& v);

// What the "受信" button hands to the receive: the page's values as they stand.
struct MailReceiveJob {
  bool enabled = true;            // "有効"
  bool leave_on_server = false;   // "サーバーに受信メールを残す"
  bool imap = false;              // "受信方式" is "IMAP"
  std::string folders = "INBOX";  // the IMAP folders read, comma-separated
  int port = 110;
  MailSecurity security = MailSecurity::kAuto;
  std::string host, user, password, ca_file;
};
// False with a status text when the port box holds no port number.
bool MakeReceiveJob(const SetteiValues& v, MailReceiveJob& job, std::string& msg);

}  // namespace sorami
