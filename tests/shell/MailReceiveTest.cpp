#include <gtest/gtest.h>

#include "shell/MailReceive.h"

namespace sorami {
namespace {

TEST(PopConfigFromSettei, TheStoredMailSettingsMakeTheReceiveJob) {
  SetteiValues v;
  v.pop_host = "pop.example.jp";
  v.pop_user = "taro";
  v.pop_password = "himitsu";
  v.leave_mail_on_server = true;
  v.pop_port_index = 1;
  v.tls_ca_file = "/etc/ca.pem";
  PopConfig c;
  std::string msg;
  ASSERT_TRUE(PopConfigFromSettei(v, c, msg));
  EXPECT_TRUE(c.leave_on_server);
  EXPECT_EQ(c.port, 995);
  EXPECT_EQ(c.security, MailSecurity::kAuto);  // so 995 is TLS from the first byte
  EXPECT_EQ(c.ca_file, "/etc/ca.pem");
  v.pop_port_index = 7;  // a damaged setting
  ASSERT_TRUE(PopConfigFromSettei(v, c, msg));
  EXPECT_EQ(c.port, 110);
  v.pop_port_text = "2110";  // a typed port wins over the index
  v.pop_tls_index = 2;
  ASSERT_TRUE(PopConfigFromSettei(v, c, msg));
  EXPECT_EQ(c.port, 2110);
  EXPECT_EQ(c.security, MailSecurity::kStartTls);
  v.pop_port_text = "pop";
  EXPECT_FALSE(PopConfigFromSettei(v, c, msg));
  EXPECT_NE(msg, "");
}

}  // namespace
}  // namespace sorami
