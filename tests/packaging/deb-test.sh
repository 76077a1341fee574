#!/usr/bin/env bash
# The Debian package as CPack makes it: named and versioned after the project, its run-time
# dependencies computed (Qt 6, libsodium) plus the Japanese font and Qt's Japanese texts, the
# files a desktop needs in it; unpacked into a scratch root (dpkg -x), its sorami-cli runs
# there on the system's libraries alone.
source "$(dirname "$0")/lib.sh" "$@"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
debs=("$scratch"/out/*.deb)
same "one package made" 1 "${#debs[@]}"
deb=${debs[0]}
same "the package's file name" "sorami_${version}_$(dpkg --print-architecture).deb" \
  "$(basename "$deb")"
same "the package's version" "$version" "$(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for package in 'libqt6widgets6' 'libqt6network6' 'libqt6core6' 'libsodium[0-9]+' \
  'libsqlite3-0' 'fonts-ipafont-gothic' 'qt6-translations-l10n'; do
  contains "the package depends on $package" "$depends" "(^|, )$package( |,|$)"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in usr/bin/sorami usr/bin/sorami-cli usr/bin/sorami-site-server \
  usr/share/applications/jp.hkw.sorami.desktop usr/share/metainfo/jp.hkw.sorami.metainfo.xml \
  usr/share/icons/hicolor/48x48/apps/jp.hkw.sorami.png \
  usr/share/icons/hicolor/256x256/apps/jp.hkw.sorami.png \
  usr/share/icons/hicolor/scalable/apps/jp.hkw.sorami.svg usr/share/sorami/help/概要.rtf; do
  contains "the package holds /$path" "$files" "^\./$path$"
done

root=$scratch/root
dpkg -x "$deb" "$root"
same "sorami-cli --version from the unpacked package" "sorami-cli (ソラミメッセージ) $version" \
  "$("$root/usr/bin/sorami-cli" --version)"
missing=$(ldd "$root/usr/bin/sorami" "$root/usr/bin/sorami-site-server" | grep 'not found')
same "every library the programs need is on the system" "" "$missing"
out=$("$root/usr/bin/sorami-cli" help 設定\(メール\))
contains "the unpacked sorami-cli finds the packaged help topics" "$out" \
  "^\{\"path\": \"$root/usr/share/sorami/help/設定\(メール\)\.rtf\""
finish
