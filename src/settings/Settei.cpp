#include "settings/Settei.h"

#include <string_view>

#include "base/MbText.h"
#include "platform/AtomicFile.h"
#include "platform/Codepage.h"

namespace sorami {

namespace {

constexpr std::string_view kSection = "Setting";
constexpr std::string_view kWindow = "Window";

std::filesystem::path ListPath(const SetteiStore& where) { return where.data_dir / "KRList.dat"; }

std::string Name(std::string_view field) { return "fmKairoSettei." + std::string(field); }

}  // namespace

const std::string& AccountRow::Get(int c) const {
  static const std::string kEmpty;
  return c >= 0 && static_cast<size_t>(c) < cols.size() ? cols[static_cast<size_t>(c)] : kEmpty;
}

const std::string& PasswordMask() {
  static const std::string mask = Utf8ToCp932("＊＊＊＊＊");
  return mask;
}

void SetEditKairo(Settei& s, const std::string& text) {
  s.v.ed_kairo = text;
  s.cur.site = text;
}

void SetEditAccount(Settei& s, const std::string& text) {
  s.v.ed_account = text;
  s.cur.account = text;
}

void SetEditPassword(Settei& s, const std::string& text) {
  s.v.ed_password = text;
  if (text != PasswordMask()) s.cur.pass = text;
}

void LoadSettei(Settei& s, const SetteiStore& where) {
  SetteiValues& v = s.v;
  const IniStore ini = where.registry.Open(kCommonKey);
  auto text = [&](std::string_view field, std::string_view def) {
    return ini.ReadString(kSection, Name(field), def);
  };
  v.left = static_cast<int>(ini.ReadInteger(kWindow, Name("Left"), v.left));
  v.top = static_cast<int>(ini.ReadInteger(kWindow, Name("Top"), v.top));
  SetEditKairo(s, text("EdKairo", Utf8ToCp932("パブリック")));
  SetEditAccount(s, text("EdAccount", ""));
  SetEditPassword(s, text("EdPassword", ""));
  v.ed_server = text("EdServer", where.directory_host);
  v.ed_smtp = text("EdSMTP", "");
  v.ed_user = text("EdUser", "");
  v.ed_address = text("EdAddress", "");
  v.ed_name = text("EdName", "");
  v.ed_pop = text("EdPop", "");
  v.ed_pop_user = text("EdPopUser", "");
  v.ed_mail_pass = text("EdMailPass", "");
  v.cb_smtp = ini.ReadInteger(kSection, Name("CbSMTP"), 0);
  v.cb_pop = ini.ReadInteger(kSection, Name("CbPop"), 0);
  v.lb_host = text("LbHost", "");
  v.lb_sys_user = text("LbSysUser", "");
  v.lb_url = text("LbURL", "");
  v.lb_dyn = text("LbDyn", "");
  where.angouka = ini.ReadBool(kSection, Name("CkAngouka"), true);
  v.ck_pop = ini.ReadBool(kSection, Name("CkPop"), true);
  v.ck_nokosu = ini.ReadBool(kSection, Name("CkNokosu"), false);
  v.ck_server = ini.ReadBool(kSection, Name("CkServer"), false);
  s.cur.host = v.lb_host;
  s.cur.user = v.lb_sys_user;
  s.cur.dyn = v.lb_dyn;
  s.label_jikoku.clear();
  where.aclog.Clear();
  std::string msg;
  ReadKairoIDList(s, where, msg);
  where.log.Log(msg);
}

bool SetteiHozon(const Settei& s, const SetteiStore& where, std::string& msg) {
  const SetteiValues& v = s.v;
  IniStore ini = where.registry.Open(kCommonKey);
  ini.WriteInteger(kWindow, Name("Left"), v.left);
  ini.WriteInteger(kWindow, Name("Top"), v.top);
  ini.WriteInteger(kWindow, Name("Width"), v.width);
  ini.WriteInteger(kWindow, Name("Height"), v.height);
  const std::pair<const char*, const std::string*> texts[] = {
      {"EdServer", &v.ed_server},     {"EdKairo", &v.ed_kairo},
      {"EdAccount", &v.ed_account},   {"EdPassword", &v.ed_password},
      {"LbHost", &v.lb_host},         {"LbSysUser", &v.lb_sys_user},
      {"LbURL", &v.lb_url},           {"LbDyn", &v.lb_dyn},
      {"EdSMTP", &v.ed_smtp},         {"EdUser", &v.ed_user},
      {"EdAddress", &v.ed_address},   {"EdName", &v.ed_name},
      {"EdPop", &v.ed_pop},           {"EdPopUser", &v.ed_pop_user},
      {"EdMailPass", &v.ed_mail_pass}};
  for (const auto& [field, value] : texts) ini.WriteString(kSection, Name(field), *value);
  ini.WriteInteger(kSection, Name("CbSMTP"), v.cb_smtp);
  ini.WriteInteger(kSection, Name("CbPop"), v.cb_pop);
  ini.WriteBool(kSection, Name("CkAngouka"), where.angouka);
  ini.WriteBool(kSection, Name("CkPop"), v.ck_pop);
  ini.WriteBool(kSection, Name("CkNokosu"), v.ck_nokosu);
  ini.WriteBool(kSection, Name("CkServer"), v.ck_server);
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
    const size_t lf = rest.find('\n');  // CR LF, or LF alone
    line = rest.substr(0, lf);
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
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
  row.cols = {v.ed_kairo,
              v.ed_account,
              v.ed_password,
              "",
              v.lb_host,
              v.lb_sys_user,
              s.ck_yuukou ? "on" : " ",
              v.lb_dyn};
  auto& rows = s.rows;
  if (!is_new && !rows.empty() && index >= 0 && static_cast<size_t>(index) < rows.size()) {
    rows[static_cast<size_t>(index)] = std::move(row);
  } else {
    rows.push_back(std::move(row));
  }
  return true;
}

void RecordCheckedAccount(Settei& s, DiagLog& log) {
  s.ck_yuukou = true;
  const auto& rows = s.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Get(AccountRow::kSite) == s.v.ed_kairo &&
        rows[i].Get(AccountRow::kAccount) == s.v.ed_account) {
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
  v.lb_dyn.clear();
  SetEditKairo(s, row.Get(AccountRow::kSite));
  SetEditAccount(s, row.Get(AccountRow::kAccount));
  SetEditPassword(s, row.Get(AccountRow::kPassword));
  s.label_jikoku = row.Get(AccountRow::kLastCheck);
  v.lb_host = row.Get(AccountRow::kHost);
  v.lb_sys_user = row.Get(AccountRow::kUser);
  s.ck_yuukou = row.Enabled();
  s.cur.host = v.lb_host;
  s.cur.user = v.lb_sys_user;
  s.cur.dyn = v.lb_dyn;
  v.lb_dyn = row.Get(AccountRow::kDyn);
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
  if (s.v.lb_dyn == k) {
    s.v.lb_host = host;
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
