#!/usr/bin/env bash
# `cmake --install` as a packager runs it: the programs, the help topics, the menu entry with
# its icons and the metainfo, validated as a desktop program; then the tree is moved elsewhere
# and its sorami-cli still finds the installed help topics without searching for them.
source "$(dirname "$0")/lib.sh" "$@"
app_id=jp.hkw.sorami

stage=$scratch/stage
cmake --install "$build" --prefix "$stage/usr" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
# A moved install: the prefix the build was configured with is not where it runs.
mv "$stage" "$scratch/moved"
usr=$scratch/moved/usr
share=$usr/share

for program in sorami sorami-cli sorami-site-server; do
  check "bin/$program is installed and executable" test -x "$usr/bin/$program"
done

# Every help topic of the source tree, byte for byte, and nothing else.
topics=0
for topic in "$src"/help/*.rtf; do
  topics=$((topics + 1))
  check "help topic $(basename "$topic")" cmp -s "$topic" "$share/sorami/help/$(basename "$topic")"
done
same "installed help topics" "$topics" "$(find "$share/sorami/help" -type f | wc -l)"

desktop=$share/applications/$app_id.desktop
check "desktop-file-validate $app_id.desktop" desktop-file-validate "$desktop"
entry=$(cat "$desktop")
contains "the menu entry's name" "$entry" "^Name=ソラミメッセージ$"
contains "the menu entry's Japanese name" "$entry" "^Name\[ja\]=ソラミメッセージ$"
contains "the menu entry's categories" "$entry" "^Categories=Network;Email;$"
contains "the menu entry has a comment" "$entry" "^Comment=.+"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
check "the menu entry starts an installed program ($exec_name)" test -x "$usr/bin/$exec_name"
icon=$(sed -n 's/^Icon=//p' "$desktop")
same "the menu entry's icon is named after the desktop id" "$app_id" "$icon"
for size in 48 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
  contains "the ${size}px icon" "$(file -b "$png")" "^PNG image data, $size x $size,"
done
contains "the scalable icon" "$(file -b "$share/icons/hicolor/scalable/apps/$icon.svg")" "SVG"

metainfo=$share/metainfo/$app_id.metainfo.xml
metainfo_valid "appstreamcli validate $app_id.metainfo.xml" "$metainfo"
# The whole tree: the metainfo has to be found where the software centres look for it (an
# empty tree only earns an "infos: 1").
tree=$(appstreamcli validate-tree --no-net --strict "$scratch/moved")
contains "appstreamcli validate-tree finds the metainfo" "$tree" "^ *I: $app_id:[0-9]+: unknown-tag developer$"
same "appstreamcli validate-tree reports nothing else" "" \
  "$(grep -E '^ *[EWIP]:' <<<"$tree" | grep -v ': unknown-tag developer$')"
info=$(cat "$metainfo")
contains "the metainfo launches the menu entry" "$info" \
  "<launchable type=\"desktop-id\">$app_id.desktop</launchable>"
contains "the metainfo's release is the project version" "$info" \
  "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\""
# The screenshot's size as the picture in the source tree has it.
size=$(file -b "$src/packaging/screenshot.png" | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')
contains "the metainfo's screenshot is the picture of packaging/ ($size)" "$info" \
  "<image type=\"source\" width=\"${size% *}\" height=\"${size#* }\">https://.+/screenshot\.png</image>"

# The help pane's lookup as sorami-cli runs it, with the data below /tmp: the search of the
# data's tree could not reach the moved install, so only the default help directory finds it.
out=$("$usr/bin/sorami-cli" help 概要)
check "sorami-cli help 概要 from the moved install" test $? -eq 0
contains "the topic comes from the installed help directory" "$out" \
  "^\{\"path\": \"$share/sorami/help/概要.rtf\""
# A help directory remembered from an earlier run that is gone now: the installed topics again.
mkdir -p "$home/.config/sorami/SoftWare/HKW"
printf '[Setting]\r\nfmKairo.glDocRoot=%s\r\n' "$scratch/stage/usr/share/sorami/help" \
  >"$home/.config/sorami/SoftWare/HKW/Common.ini"
out=$("$usr/bin/sorami-cli" help 概要)
contains "a stale remembered help directory falls back to the installed one" "$out" \
  "^\{\"path\": \"$share/sorami/help/概要.rtf\""
same "sorami-cli --version from the moved install" "sorami-cli (ソラミメッセージ) $version" \
  "$("$usr/bin/sorami-cli" --version)"
# A command that loads the Qt module finds it in the moved tree's lib/sorami.
check "the Qt module is installed in lib/sorami" test -f "$usr/lib/sorami/sorami-qt.so"
"$usr/bin/sorami-cli" send --to 事務局 --title 下書き --body 本文 --draft >/dev/null
check "a draft stored by the moved install's sorami-cli" test $? -eq 0
finish
