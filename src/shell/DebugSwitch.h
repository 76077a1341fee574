// The hidden switch of the debug menus, worked by keys typed in the main window's site-name
// box: F11 arms it, F12 then shows or hides the debug menus (and the password appears in the
// status bar), any other key disarms it. It starts armed when the debug menus were left
// visible, so after such a start F12 alone toggles them.
#pragma once

namespace sorami {

class DebugSwitch {
 public:
  // kArm is F11, kToggle is F12; the window maps its keys to these.
  enum class Key { kArm, kToggle, kOther };

  explicit DebugSwitch(bool armed = false) : armed_(armed) {}

  // True when the debug menus are to be toggled. The switch stays armed after a toggle.
  bool KeyDown(Key key) {
    switch (key) {
      case Key::kArm:
        armed_ = true;
        return false;
      case Key::kToggle:
        return armed_;
      case Key::kOther:
        armed_ = false;
        return false;
    }
    return false;
  }

  bool armed() const { return armed_; }
  void set_armed(bool on) { armed_ = on; }

 private:
  bool armed_;
};

}  // namespace sorami
