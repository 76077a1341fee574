#include "settings/Settei.h"

#include <string_view>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/SettingsTable.h"
#include "settings/SettingPasswords.h"

namespace sorami {

namespace {

constexpr std::string_view kSection = "Setting";
constexpr std::string_view kWindow = "Window";

std::filesystem::path ListPath(const SetteiStore& where) { return where.data_dir / "KRList.dat"; }

}  // namespace

const std::string& PasswordMask() {
  static const std::string mask = "＊＊＊＊＊"_cp932;
  return mask;
}

namespace {

// The one writer of the current account: the account page's values.
void FollowAccountPage(Settei& s) {
  const SetteiValues& v = s.v;
  s.cur.site = v.site_name;
  s.cur.nickname = v.nickname;
  s.cur.password = v.password;
  s.cur.host = v.host;
  s.cur.sys_user = v.sys_user;
  s.cur.dyn_key = v.dyn_key;
  s.cur.enabled = s.account_enabled;
}

}  // namespace

void SetEditKairo(Settei& s, const std::string& text) {
  s.v.site_name = text;
  FollowAccountPage(s);
}

void SetEditAccount(Settei& s, const std::string& text) {
  s.v.nickname = text;
  FollowAccountPage(s);
}

void SetEditPassword(Settei& s, const std::string& text) {
  // The mask only shows that a password is stored: it is never stored or sent as one.
  if (text == PasswordMask()) return;
  s.v.password = text;
  FollowAccountPage(s);
}

void SetFoundHost(Settei& s, const std::string& host, const std::string& sys_user,
                  const std::string& dyn_key) {
  s.v.host = host;
  s.v.sys_user = sys_user;
  s.v.dyn_key = dyn_key;
  FollowAccountPage(s);
}

namespace {

using Field = SettingField<SetteiValues>;

// The window's place: the position is read back, the size only written.
constexpr Field kWindowFields[] = {
    {"Left", &SetteiValues::left},
    {"Top", &SetteiValues::top},
    {"Width", &SetteiValues::width, false},
    {"Height", &SetteiValues::height, false},
};

// In the order SetteiHozon writes them.
constexpr Field kSettingFields[] = {
    {"EdServer", &SetteiValues::directory_server},
    {"EdKairo", &SetteiValues::site_name},
    {"EdAccount", &SetteiValues::nickname},
    {"EdPassword", &SetteiValues::password},
    {"LbHost", &SetteiValues::host},
    {"LbSysUser", &SetteiValues::sys_user},
    {"LbURL", &SetteiValues::url},
    {"LbDyn", &SetteiValues::dyn_key},
    {"EdSMTP", &SetteiValues::smtp_host},
    {"EdUser", &SetteiValues::smtp_user},
    {"EdAddress", &SetteiValues::mail_address},
    {"EdName", &SetteiValues::mail_name},
    {"EdPop", &SetteiValues::pop_host},
    {"EdPopUser", &SetteiValues::pop_user},
    {"EdMailPass", &SetteiValues::pop_password},
    {"CbSMTP", &SetteiValues::smtp_port_index},
    {"CbPop", &SetteiValues::pop_port_index},
    {"CkAngouka", &SetteiValues::encrypt_store},
    {"CkPop", &SetteiValues::pop_enabled},
    {"CkNokosu", &SetteiValues::leave_mail_on_server},
    {"CkServer", &SetteiValues::send_through_site},
    {"SMTPPort", &SetteiValues::smtp_port_text},
    {"PopPort", &SetteiValues::pop_port_text},
    {"CbSMTPTls", &SetteiValues::smtp_tls_index},
    {"CbPopTls", &SetteiValues::pop_tls_index},
    {"TlsCaFile", &SetteiValues::tls_ca_file},
    {"EdSmtpPass", &SetteiValues::smtp_password},
    {"CbJushinHoushiki", &SetteiValues::receive_protocol_index},
    {"ImapFolders", &SetteiValues::imap_folders},
};

constexpr std::string_view kPrefix = "fmKairoSettei";

}  // namespace

void LoadSettei(Settei& s, const SetteiStore& where) {
  SetteiValues& v = s.v;
  const IniStore ini = where.registry.Open(kCommonKey);
  SetteiValues defaults;
  defaults.directory_server = where.directory_host;
  ReadSettings<SetteiValues>(ini, kWindow, kPrefix, kWindowFields, defaults, v);
  ReadSettings<SetteiValues>(ini, kSection, kPrefix, kSettingFields, defaults, v);
  where.passwords.Fill(v, where.log);
  where.angouka = v.encrypt_store;
  // The account boxes make the current account.
  FollowAccountPage(s);
  s.shown_last_check.clear();
  where.aclog.Clear();
  std::string msg;
  ReadKairoIDList(s, where, msg);
  where.log.Log(msg);
}

bool SetteiHozon(const Settei& s, const SetteiStore& where, std::string& msg) {
  SetteiValues v = s.v;
  v.encrypt_store = where.angouka;
  where.passwords.Take(v, where.log);
  IniStore ini = where.registry.Open(kCommonKey);
  WriteSettings<SetteiValues>(ini, kWindow, kPrefix, kWindowFields, v);
  WriteSettings<SetteiValues>(ini, kSection, kPrefix, kSettingFields, v);
  const bool saved = ini.Save();
  if (saved) where.passwords.Prune(false, where.log);
  const bool listed = SaveKairoIDList(s, where, msg);
  if (!saved) msg = "Cannot Write : " + PathText(ini.path());
  return saved && listed;
}

bool SaveKairoIDList(const Settei& s, const SetteiStore& where, std::string& msg) {
  const auto path = ListPath(where);
  where.log.Log("SaveKairoIDList");
  where.log.Log(PathText(path));
  std::vector<SiteAccount> rows = s.rows;
  where.passwords.Take(rows, where.log);
  std::string bytes;
  for (const SiteAccount& row : rows) bytes += AccountRowText(row) + "\r\n";
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (!WriteFileAtomic(path, bytes)) {
    msg = "Cannot Write : " + PathText(path);
    return false;
  }
  where.passwords.Prune(true, where.log);
  msg.clear();
  return true;
}

bool ReadKairoIDList(Settei& s, const SetteiStore& where, std::string& msg) {
  const auto path = ListPath(where);
  where.log.Log("ReadKairoIDList");
  where.log.Log(PathText(path));
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    msg = "Cannot Read : " + PathText(path);
    return false;
  }
  s.rows.clear();
  std::string_view rest = bytes;
  std::string_view line;
  while (!rest.empty()) {
    CutLine(rest, line);  // CR LF, or LF alone
    if (line.empty()) continue;
    s.rows.push_back(ParseAccountRow(line));
  }
  where.passwords.Fill(s.rows, where.log);
  msg.clear();
  return true;
}

bool UpdateAcList(Settei& s, DiagLog& log, bool is_new, int index, std::string* msg) {
  log.Log("UpdateAcList");
  const SetteiValues& v = s.v;
  const std::string refused = AccountTextError(v.site_name, v.nickname, v.password);
  if (!refused.empty()) {
    log.Log(refused);
    if (msg) *msg = refused;
    return false;
  }
  const SiteAccount row{v.site_name, v.nickname, v.password,       v.host,
                        v.sys_user,  v.dyn_key,  s.account_enabled};
  auto& rows = s.rows;
  if (!is_new && !rows.empty() && index >= 0 && static_cast<size_t>(index) < rows.size()) {
    rows[static_cast<size_t>(index)] = row;
  } else {
    rows.push_back(row);
  }
  return true;
}

void RecordCheckedAccount(Settei& s, DiagLog& log) {
  s.account_enabled = true;
  const auto& rows = s.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].site == s.v.site_name && rows[i].nickname == s.v.nickname) {
      UpdateAcList(s, log, false, static_cast<int>(i));
      return;
    }
  }
  UpdateAcList(s, log, true, 0);
}

void ShowAccountRow(Settei& s, int index) {
  if (index < 0 || static_cast<size_t>(index) >= s.rows.size()) return;
  const SiteAccount& row = s.rows[static_cast<size_t>(index)];
  SetteiValues& v = s.v;
  v.site_name = row.site;
  v.nickname = row.nickname;
  // A row without a password keeps the one stored, as the password box does with its mask.
  if (row.password != PasswordMask()) v.password = row.password;
  v.host = row.host;
  v.sys_user = row.sys_user;
  s.shown_last_check = row.last_check;
  s.account_enabled = row.enabled;
  // The dynamic-host label is cleared before the current account is taken, and shows the
  // row's key after.
  v.dyn_key.clear();
  FollowAccountPage(s);
  v.dyn_key = row.dyn_key;
}

void DeleteClickedRow(Settei& s) {
  const int i = s.clicked_row;
  if (i < 0 || static_cast<size_t>(i) >= s.rows.size()) return;
  s.rows.erase(s.rows.begin() + i);
}

void SetForDynamic(Settei& s, const SetteiStore& where, const std::string& key,
                   const std::string& host) {
  where.log.Log(".SetForDynamic : " + key + "/" + host);
  const std::string k = "$" + key;
  if (s.v.dyn_key == k) {
    s.v.host = host;
    FollowAccountPage(s);
  } else if (const size_t d = s.cur.dyn_key.find('$');
             d != std::string::npos && s.cur.dyn_key.compare(d + 1, std::string::npos, key) == 0) {
    s.cur.host = host;  // the account requests act for, though the page shows another
  }
  bool changed = false;
  for (SiteAccount& row : s.rows) {
    if (row.dyn_key != k) continue;
    row.host = host;
    changed = true;
  }
  std::string msg;
  if (changed && !SetteiHozon(s, where, msg)) where.log.Log(msg);
}

}  // namespace sorami
