#include "settings/Settei.h"

#include <string_view>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "platform/SettingsTable.h"

namespace sorami {

namespace {

constexpr std::string_view kSection = "Setting";
constexpr std::string_view kWindow = "Window";

std::filesystem::path ListPath(const SetteiStore& where) { return where.data_dir / "KRList.dat"; }

}  // namespace

const std::string& AccountRow::Get(int c) const {
  static const std::string kEmpty;
  return c >= 0 && static_cast<size_t>(c) < cols.size() ? cols[static_cast<size_t>(c)] : kEmpty;
}

const std::string& PasswordMask() {
  static const std::string mask = "＊＊＊＊＊"_cp932;
  return mask;
}

void SetEditKairo(Settei& s, const std::string& text) {
  s.v.site_name = text;
  s.cur.site = text;
}

void SetEditAccount(Settei& s, const std::string& text) {
  s.v.nickname = text;
  s.cur.account = text;
}

void SetEditPassword(Settei& s, const std::string& text) {
  // The mask only shows that a password is stored: it is never stored or sent as one.
  if (text == PasswordMask()) return;
  s.v.password = text;
  s.cur.pass = text;
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
  where.angouka = v.encrypt_store;
  // The account boxes make the current account.
  SetEditKairo(s, v.site_name);
  SetEditAccount(s, v.nickname);
  SetEditPassword(s, v.password);
  s.cur.host = v.host;
  s.cur.user = v.sys_user;
  s.cur.dyn = v.dyn_key;
  s.shown_last_check.clear();
  where.aclog.Clear();
  std::string msg;
  ReadKairoIDList(s, where, msg);
  where.log.Log(msg);
}

bool SetteiHozon(const Settei& s, const SetteiStore& where, std::string& msg) {
  SetteiValues v = s.v;
  v.encrypt_store = where.angouka;
  IniStore ini = where.registry.Open(kCommonKey);
  WriteSettings<SetteiValues>(ini, kWindow, kPrefix, kWindowFields, v);
  WriteSettings<SetteiValues>(ini, kSection, kPrefix, kSettingFields, v);
  const bool saved = ini.Save();
  const bool listed = SaveKairoIDList(s, where, msg);
  if (!saved) msg = "Cannot Write : " + PathText(ini.path());
  return saved && listed;
}

bool SaveKairoIDList(const Settei& s, const SetteiStore& where, std::string& msg) {
  const auto path = ListPath(where);
  where.log.Log("SaveKairoIDList");
  where.log.Log(PathText(path));
  std::string bytes;
  for (const AccountRow& row : s.rows) {
    for (size_t c = 0; c < row.cols.size(); ++c) {
      if (c > 0) bytes += '\t';
      bytes += row.cols[c];
    }
    bytes += "\r\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (!WriteFileAtomic(path, bytes)) {
    msg = "Cannot Write : " + PathText(path);
    return false;
  }
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
    AccountRow row;
    std::string_view field;
    while (!line.empty() && row.cols.size() < AccountRow::kCount) {
      SplitToken("\t", line, field);
      row.cols.emplace_back(field);
    }
    s.rows.push_back(std::move(row));
  }
  msg.clear();
  return true;
}

bool UpdateAcList(Settei& s, DiagLog& log, bool is_new, int index) {
  log.Log("UpdateAcList");
  const SetteiValues& v = s.v;
  AccountRow row;
  row.cols = {
      v.site_name, v.nickname, v.password, "", v.host, v.sys_user, s.account_enabled ? "on" : " ",
      v.dyn_key};
  auto& rows = s.rows;
  if (!is_new && !rows.empty() && index >= 0 && static_cast<size_t>(index) < rows.size()) {
    rows[static_cast<size_t>(index)] = std::move(row);
  } else {
    rows.push_back(std::move(row));
  }
  return true;
}

void RecordCheckedAccount(Settei& s, DiagLog& log) {
  s.account_enabled = true;
  const auto& rows = s.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Get(AccountRow::kSite) == s.v.site_name &&
        rows[i].Get(AccountRow::kAccount) == s.v.nickname) {
      UpdateAcList(s, log, false, static_cast<int>(i));
      return;
    }
  }
  UpdateAcList(s, log, true, 0);
}

void ShowAccountRow(Settei& s, int index) {
  if (index < 0 || static_cast<size_t>(index) >= s.rows.size()) return;
  const AccountRow& row = s.rows[static_cast<size_t>(index)];
  SetteiValues& v = s.v;
  v.dyn_key.clear();
  SetEditKairo(s, row.Get(AccountRow::kSite));
  SetEditAccount(s, row.Get(AccountRow::kAccount));
  SetEditPassword(s, row.Get(AccountRow::kPassword));
  s.shown_last_check = row.Get(AccountRow::kLastCheck);
  v.host = row.Get(AccountRow::kHost);
  v.sys_user = row.Get(AccountRow::kUser);
  s.account_enabled = row.Enabled();
  s.cur.host = v.host;
  s.cur.user = v.sys_user;
  s.cur.dyn = v.dyn_key;
  v.dyn_key = row.Get(AccountRow::kDyn);
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
    s.cur.host = host;
  }
  bool changed = false;
  for (AccountRow& row : s.rows) {
    if (row.Get(AccountRow::kDyn) != k) continue;
    if (row.cols.size() <= AccountRow::kHost) row.cols.resize(AccountRow::kHost + 1);
    row.cols[AccountRow::kHost] = host;
    changed = true;
  }
  std::string msg;
  if (changed && !SetteiHozon(s, where, msg)) where.log.Log(msg);
}

}  // namespace sorami
