#!/usr/bin/env bash
# --version and --help of both programs: the product name, the project version and the
# options, printed without a window system (the desktop client included).
source "$(dirname "$0")/lib.sh" "$@"
cli=$build/app/sorami-cli
gui=$build/app/sorami

same "sorami-cli --version" "sorami-cli (ソラミメッセージ) $version" "$("$cli" --version)"
help=$("$cli" --help)
check "sorami-cli --help exits 0" "$cli" --help >/dev/null
same "sorami-cli --help, first line" "sorami-cli (ソラミメッセージ) $version" "$(head -n 1 <<<"$help")"
for option in --appdir --config --directory-host --help --version; do
  contains "sorami-cli --help names $option" "$help" "^  $option "
done
contains "sorami-cli --help lists the commands" "$help" "^  mail receive "
# The common options may come first, as with every command.
same "sorami-cli --appdir DIR --version" "sorami-cli (ソラミメッセージ) $version" \
  "$("$cli" --appdir "$home/a" --version)"
"$cli" >/dev/null 2>&1
same "sorami-cli without a command is a usage error" 2 $?

# No display and a platform that needs one: a QApplication made here would abort the run.
export QT_QPA_PLATFORM=xcb
unset DISPLAY WAYLAND_DISPLAY
if [ -x "$gui" ]; then
  same "sorami --version without a display" "sorami (ソラミメッセージ) $version" \
    "$("$gui" --version 2>&1)"
  help=$("$gui" --help 2>&1)
  same "sorami --help, first line" "sorami (ソラミメッセージ) $version" "$(head -n 1 <<<"$help")"
  for option in --appdir --config --directory-host --help --version; do
    contains "sorami --help names $option" "$help" "^  $option "
  done
  "$gui" --appdir >/dev/null 2>&1
  same "sorami --appdir without a value is a usage error" 2 $?
fi
finish
