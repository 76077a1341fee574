// The Qt services of a program that loads them on first use (the command line): each service
// below loads the module once, from beside the program or its lib/sorami folder, and forwards
// to it.
// A module that is missing or of another layout stops the program with its reason, as a
// missing shared library would: nothing can be done without it, and guessing (a password
// kept in a file instead of the keyring) would be worse.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/AppPaths.h"
#include "platform/ContentType.h"
#include "platform/QtServices.h"

namespace sorami {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "sorami: cannot load %s: %s\n", path.c_str(), why.c_str());
  std::exit(1);
}

// Beside the program (a portable copy), else in lib/sorami beside its bin folder (an installed
// copy, and the build tree's app folder).
std::string ModulePath() {
  const auto dir = ExecutableDir();
  std::error_code ec;
  if (auto beside = dir / kQtServicesModule; std::filesystem::exists(beside, ec)) {
    return beside.string();
  }
  return (dir.parent_path() / "lib" / "sorami" / kQtServicesModule).string();
}

const QtServices* g_loaded = nullptr;

const QtServices& Services() {
  static const QtServices* services = [] {
    const std::string path = ModulePath();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) Fail(path, ::dlerror());
    auto entry = reinterpret_cast<QtServicesEntry>(::dlsym(handle, kQtServicesEntry));
    if (entry == nullptr) Fail(path, "no entry " + std::string(kQtServicesEntry));
    const QtServices* table = entry();
    if (table == nullptr || table->layout != kQtServicesLayout) Fail(path, "another version");
    g_loaded = table;
    return table;
  }();
  return *services;
}

}  // namespace

void ReleaseQtServices() {
  if (g_loaded != nullptr) g_loaded->release();
}

std::unique_ptr<HttpClient> MakeQtHttpClient(HttpTimeouts timeouts) {
  return Services().make_http_client(timeouts);
}

std::unique_ptr<LineSocket> MakeQtLineSocket(LineSocketTimeouts timeouts) {
  return Services().make_line_socket(timeouts);
}

std::unique_ptr<PasswordVault> OpenDesktopKeyring(const std::string& service, std::string& reason) {
  return Services().open_desktop_keyring(service, reason);
}

std::string ContentTypeOfFile(std::string_view file_name) {
  return Services().content_type_of_file(file_name);
}

void ShellOpen(std::string_view target, ShellOpenDone done) {
  Services().shell_open(target, std::move(done));
}

}  // namespace sorami
