#include "settings/Settei.h"

#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/Codepage.h"
#include "shell/AppState.h"
#include "shell/MbText.h"

namespace sorami {

namespace {

constexpr std::string_view kSection = "Setting";
constexpr std::string_view kWindow = "Window";

std::filesystem::path ListPath(const AppState& st) { return st.paths.DataDir() / "KRList.dat"; }

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

void SetEditKairo(AppState& st, const std::string& text) {
  st.settei.v.ed_kairo = text;
  st.cur.site = text;
}

void SetEditAccount(AppState& st, const std::string& text) {
  st.settei.v.ed_account = text;
  st.cur.account = text;
}

void SetEditPassword(AppState& st, const std::string& text) {
  st.settei.v.ed_password = text;
  if (text != PasswordMask()) st.cur.pass = text;
}

void LoadSettei(AppState& st) {
  SetteiValues& v = st.settei.v;
  const IniStore ini = st.registry.Open(kCommonKey);
  auto text = [&](std::string_view field, std::string_view def) {
    return ini.ReadString(kSection, Name(field), def);
  };
  v.left = static_cast<int>(ini.ReadInteger(kWindow, Name("Left"), v.left));
  v.top = static_cast<int>(ini.ReadInteger(kWindow, Name("Top"), v.top));
  SetEditKairo(st, text("EdKairo", Utf8ToCp932("パブリック")));
  SetEditAccount(st, text("EdAccount", ""));
  SetEditPassword(st, text("EdPassword", ""));
  v.ed_server = text("EdServer", st.directory_host);
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
  st.angouka = ini.ReadBool(kSection, Name("CkAngouka"), true);
  v.ck_pop = ini.ReadBool(kSection, Name("CkPop"), true);
  v.ck_nokosu = ini.ReadBool(kSection, Name("CkNokosu"), false);
  v.ck_server = ini.ReadBool(kSection, Name("CkServer"), false);
  st.cur.host = v.lb_host;
  st.cur.user = v.lb_sys_user;
  st.cur.dyn = v.lb_dyn;
  st.settei.label_jikoku.clear();
  st.aclog.Clear();
  std::string msg;
  ReadKairoIDList(st, msg);
  st.log.Log(msg);
}

bool SetteiHozon(AppState& st, std::string& msg) {
  const SetteiValues& v = st.settei.v;
  IniStore ini = st.registry.Open(kCommonKey);
  ini.WriteInteger(kWindow, Name("Left"), v.left);
  ini.WriteInteger(kWindow, Name("Top"), v.top);
  ini.WriteInteger(kWindow, Name("Width"), v.width);
  ini.WriteInteger(kWindow, Name("Height"), v.height);
  const std::pair<const char*, const std::string*> texts[] = {
      {"EdServer", &v.ed_server},   {"EdKairo", &v.ed_kairo},     {"EdAccount", &v.ed_account},
      {"EdPassword", &v.ed_password}, {"LbHost", &v.lb_host},     {"LbSysUser", &v.lb_sys_user},
      {"LbURL", &v.lb_url},         {"LbDyn", &v.lb_dyn},         {"EdSMTP", &v.ed_smtp},
      {"EdUser", &v.ed_user},       {"EdAddress", &v.ed_address}, {"EdName", &v.ed_name},
      {"EdPop", &v.ed_pop},         {"EdPopUser", &v.ed_pop_user},
      {"EdMailPass", &v.ed_mail_pass}};
  for (const auto& [field, value] : texts) ini.WriteString(kSection, Name(field), *value);
  ini.WriteInteger(kSection, Name("CbSMTP"), v.cb_smtp);
  ini.WriteInteger(kSection, Name("CbPop"), v.cb_pop);
  ini.WriteBool(kSection, Name("CkAngouka"), st.angouka);
  ini.WriteBool(kSection, Name("CkPop"), v.ck_pop);
  ini.WriteBool(kSection, Name("CkNokosu"), v.ck_nokosu);
  ini.WriteBool(kSection, Name("CkServer"), v.ck_server);
  const bool saved = ini.Save();
  const bool listed = SaveKairoIDList(st, msg);
  if (!saved) msg = "Cannot Write : " + PathText(ini.path());
  return saved && listed;
}

bool SaveKairoIDList(AppState& st, std::string& msg) {
  const auto path = ListPath(st);
  st.log.Log("SaveKairoIDList");
  st.log.Log(PathText(path));
  std::string bytes;
  for (const AccountRow& row : st.settei.rows) {
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

bool ReadKairoIDList(AppState& st, std::string& msg) {
  const auto path = ListPath(st);
  st.log.Log("ReadKairoIDList");
  st.log.Log(PathText(path));
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    msg = "Cannot Read : " + PathText(path);
    return false;
  }
  st.settei.rows.clear();
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
    st.settei.rows.push_back(std::move(row));
  }
  msg.clear();
  return true;
}

bool UpdateAcList(AppState& st, bool is_new, int index) {
  st.log.Log("UpdateAcList");
  const SetteiValues& v = st.settei.v;
  AccountRow row;
  row.cols = {v.ed_kairo, v.ed_account, v.ed_password, "", v.lb_host, v.lb_sys_user,
              st.settei.ck_yuukou ? "on" : " ", v.lb_dyn};
  auto& rows = st.settei.rows;
  if (!is_new && !rows.empty() && index >= 0 && static_cast<size_t>(index) < rows.size()) {
    rows[static_cast<size_t>(index)] = std::move(row);
  } else {
    rows.push_back(std::move(row));
  }
  return true;
}

void RecordCheckedAccount(AppState& st) {
  st.settei.ck_yuukou = true;
  const auto& rows = st.settei.rows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Get(AccountRow::kSite) == st.settei.v.ed_kairo &&
        rows[i].Get(AccountRow::kAccount) == st.settei.v.ed_account) {
      UpdateAcList(st, false, static_cast<int>(i));
      return;
    }
  }
  UpdateAcList(st, true, 0);
}

void ShowAccountRow(AppState& st, int index) {
  if (index < 0 || static_cast<size_t>(index) >= st.settei.rows.size()) return;
  const AccountRow& row = st.settei.rows[static_cast<size_t>(index)];
  SetteiValues& v = st.settei.v;
  v.lb_dyn.clear();
  SetEditKairo(st, row.Get(AccountRow::kSite));
  SetEditAccount(st, row.Get(AccountRow::kAccount));
  SetEditPassword(st, row.Get(AccountRow::kPassword));
  st.settei.label_jikoku = row.Get(AccountRow::kLastCheck);
  v.lb_host = row.Get(AccountRow::kHost);
  v.lb_sys_user = row.Get(AccountRow::kUser);
  st.settei.ck_yuukou = row.Enabled();
  st.cur.host = v.lb_host;
  st.cur.user = v.lb_sys_user;
  st.cur.dyn = v.lb_dyn;
  v.lb_dyn = row.Get(AccountRow::kDyn);
}

void DeleteClickedRow(AppState& st) {
  const int i = st.settei.clicked_row;
  if (i < 0 || static_cast<size_t>(i) >= st.settei.rows.size()) return;
  st.settei.rows.erase(st.settei.rows.begin() + i);
}

void SetForDynamic(AppState& st, const std::string& key, const std::string& host) {
  st.log.Log(".SetForDynamic : " + key + "/" + host);
  const std::string k = "$" + key;
  if (st.settei.v.lb_dyn == k) {
    st.settei.v.lb_host = host;
    st.cur.host = host;
  }
  bool changed = false;
  for (AccountRow& row : st.settei.rows) {
    if (row.Get(AccountRow::kDyn) != k) continue;
    if (row.cols.size() <= AccountRow::kHost) row.cols.resize(AccountRow::kHost + 1);
    row.cols[AccountRow::kHost] = host;
    changed = true;
  }
  std::string msg;
  if (changed && !SetteiHozon(st, msg)) st.log.Log(msg);
}

}  // namespace sorami
