#!/usr/bin/env bash
# The two Debian packages as CPack makes them, made once and checked together: named and
# versioned after the project, their run-time dependencies, the files each holds (manual pages,
# copyright, changelog, the unit), hardened and stripped programs, no lintian error; unpacked
# into a scratch root (dpkg -x), the programs run there on the system's libraries alone and
# the unit's own command lines start and stop the service.
source "$(dirname "$0")/lib.sh" "$@"
arch=$(dpkg --print-architecture)
debver=$version-1

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
same "two packages made" 2 "$(ls "$scratch"/out/*.deb | wc -l)"
client=$scratch/out/sorami_${debver}_$arch.deb
server=$scratch/out/sorami-site-server_${debver}_$arch.deb
check "the client's package sorami_${debver}_$arch.deb" test -f "$client"
check "the service's package sorami-site-server_${debver}_$arch.deb" test -f "$server"
[ "$failed" -eq 0 ] || { finish; exit 1; }

for deb in "$client" "$server"; do
  same "$(basename "$deb"): version" "$debver" "$(dpkg-deb -f "$deb" Version)"
done
depends=$(dpkg-deb -f "$client" Depends)
for package in 'libqt6widgets6' 'libqt6network6' 'libqt6core6' 'libsodium[0-9]+' \
  'libqt6keychain1' 'libsecret-1-0' 'fonts-ipafont-gothic' 'qt6-translations-l10n' 'xdg-utils'; do
  contains "the client depends on $package" "$depends" "(^|, )$package( |,|$)"
done
depends=$(dpkg-deb -f "$server" Depends)
for package in 'libsqlite3-0' 'libsodium[0-9]+' 'init-system-helpers'; do
  contains "the service depends on $package" "$depends" "(^|, )$package( |,|$)"
done
same "the service needs no Qt" "" "$(grep -oE 'libqt[^ ,]*' <<<"$depends")"

# What each package holds, and what it leaves to the other.
listing() { dpkg-deb -c "$1" | awk '{print $6}'; }
files=$(listing "$client")
for path in usr/bin/sorami usr/bin/sorami-cli \
  usr/share/applications/jp.hkw.sorami.desktop usr/share/metainfo/jp.hkw.sorami.metainfo.xml \
  usr/share/icons/hicolor/48x48/apps/jp.hkw.sorami.png \
  usr/share/icons/hicolor/256x256/apps/jp.hkw.sorami.png \
  usr/share/icons/hicolor/scalable/apps/jp.hkw.sorami.svg usr/share/sorami/help/概要.rtf \
  usr/share/man/man1/sorami.1.gz usr/share/man/man1/sorami-cli.1.gz \
  usr/share/doc/sorami/copyright usr/share/doc/sorami/changelog.Debian.gz; do
  contains "the client holds /$path" "$files" "^\./$path$"
done
same "nothing of the service in the client" "" "$(grep -E 'site-server|systemd' <<<"$files")"
files=$(listing "$server")
for path in usr/bin/sorami-site-server usr/lib/systemd/system/sorami-site-server.service \
  usr/share/man/man1/sorami-site-server.1.gz usr/share/doc/sorami-site-server/copyright \
  usr/share/doc/sorami-site-server/changelog.Debian.gz; do
  contains "the service holds /$path" "$files" "^\./$path$"
done
same "the service's programs" "./usr/bin/sorami-site-server" "$(grep -E '/bin/.+' <<<"$files")"
control=$(dpkg-deb -I "$server")
for script in postinst prerm postrm; do
  contains "the service's $script, executable" "$control" "\* +$script +#!/bin/sh$"
done

# lintian on both: no error; the warnings left are printed.
lintian --tag-display-limit 0 "$client" "$server" >"$scratch/lintian.log" 2>&1
cat "$scratch/lintian.log" >&2
same "lintian errors" "" "$(grep '^E:' "$scratch/lintian.log")"

root=$scratch/root
dpkg -x "$client" "$root"
dpkg -x "$server" "$root"
source "$(dirname "$0")/deb-checks.sh"
finish
