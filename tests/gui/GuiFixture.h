// A run of the windows in a scratch directory: application directory "app", configuration
// directory "config", settings written before the windows are created.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/Codepage.h"
#include "platform/FileCrypto.h"
#include "platform/IniStore.h"
#include "settings/ui/TFormSettei.h"
#include "shell/AppState.h"
#include "shell/ui/AppWindows.h"
#include "shell/ui/TFormMain.h"
#include "support/Scratch.h"

namespace sorami::test {

// Code page 932 bytes of a UTF-8 literal.
inline std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }
// What a password box shows instead of a stored password.
inline const QString kMask = QStringLiteral("＊＊＊＊＊");

// Runs the event loop until pred holds (true) or a generous while has passed (false).
inline bool WaitFor(const std::function<bool()>& pred, int ms = 10000) {
  for (QDeadlineTimer deadline(ms); !pred() && !deadline.hasExpired();) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return pred();
}

class GuiFixture : public ::testing::Test {
 protected:
  GuiFixture() {
    std::filesystem::create_directories(dir_ / "app");
    std::filesystem::create_directories(dir_ / "config");
  }
  ~GuiFixture() override { EndRun(); }

  AppPaths Paths() const { return {dir_ / "app", dir_ / "config"}; }
  // The settings file of a key, as the program left it.
  IniStore Stored(std::string_view key) const { return Registry(dir_ / "config").Open(key); }
  // A plain master file (the encryption switch off) with these bytes, before the run starts.
  void PresetMaster(const std::string& bytes) {
    IniStore ini = Stored(kCommonKey);
    ini.WriteBool("Setting", "fmKairoSettei.CkAngouka", false);
    ASSERT_TRUE(ini.Save());
    std::filesystem::create_directories(MasterDat().parent_path());
    WriteFileBytes(MasterDat(), bytes);
  }
  std::filesystem::path MasterDat() const { return dir_ / "app" / "Data" / "Master.dat"; }
  std::filesystem::path MasterEnc() const { return dir_ / "app" / "Data" / "Master.enc"; }

  // Creates the state and the eleven windows, as the program does at start. The polling's
  // fetch only counts; run_fetch is the run's own.
  void Start() {
    st = std::make_unique<AppState>(Paths(), MakeSodiumFileCrypto(Paths().KeyFile()));
    st->LoadCoreSettings();
    windows = std::make_unique<AppWindows>(*st);
    main = windows->main.get();
    run_fetch = main->polling().fetch;
    main->polling().fetch = [this] { ++fetches; };
  }
  // Start() and show the main window (its first showing reads the store).
  void StartAndShow() {
    Start();
    main->show();
    QCoreApplication::sendPostedEvents();
  }
  // Ends the run as the next start would see it: windows and state gone.
  void EndRun() {
    windows.reset();
    st.reset();
    main = nullptr;
  }

  template <typename T>
  T* Find(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QAction* Action(QWidget* w, const char* name) { return Find<QAction>(w, name); }
  static void Key(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  }
  // One column of every record of the store, in store order, as UTF-8.
  std::vector<std::string> StoreColumn(MastCol col) const {
    std::vector<std::string> out;
    for (int32_t r = 0; r < st->store.CtMaster(); ++r) {
      out.push_back(Cp932ToUtf8(st->store.Get(r, col)));
    }
    return out;
  }
  // A mouse click on a row of the settings window's account list, as the user makes it.
  void ClickAccountRow(int row) {
    windows->settei->show();
    auto* list = Find<QTreeWidget>(windows->settei.get(), "ListU");
    const QRect r = list->visualItemRect(list->topLevelItem(row));
    ASSERT_TRUE(r.isValid()) << row;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
  }

  ScratchDir dir_;
  std::unique_ptr<AppState> st;
  std::unique_ptr<AppWindows> windows;
  TFormMain* main = nullptr;
  std::function<void()> run_fetch;
  int fetches = 0;
};

}  // namespace sorami::test
