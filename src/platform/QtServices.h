// The platform services that Qt carries (HTTP, mail sockets, the keyring, file types, the
// desktop's opener) as one table, for a program that loads them only when a command needs
// them: the command line's local commands (list, search, the store) then start without
// loading Qt and the libraries it brings.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/HttpClient.h"
#include "platform/LineSocket.h"
#include "platform/PasswordVault.h"
#include "platform/Shell.h"

namespace sorami {

struct QtServices {
  // The table's layout; a module of another layout is refused.
  int layout;
  std::unique_ptr<HttpClient> (*make_http_client)(HttpTimeouts);
  std::unique_ptr<LineSocket> (*make_line_socket)(LineSocketTimeouts);
  std::unique_ptr<PasswordVault> (*open_desktop_keyring)(const std::string&, std::string&);
  std::string (*content_type_of_file)(std::string_view);
  void (*shell_open)(std::string_view, ShellOpenDone);
  // Ends the application object the module made, after the last service object is gone.
  void (*release)();
};

inline constexpr int kQtServicesLayout = 1;

// The module's file name and the one function it exports; the function makes the Qt
// application object the services need when the program has none.
inline constexpr const char* kQtServicesModule = "sorami-qt.so";
inline constexpr const char* kQtServicesEntry = "sorami_qt_services";
using QtServicesEntry = const QtServices* (*)();

// For a program that loads the services on demand: ends what the module started, when it was
// loaded; called once, after the last service object was destroyed (the end of main).
void ReleaseQtServices();

}  // namespace sorami
