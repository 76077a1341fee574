# Sourced by deb-test.sh with both packages unpacked into $root: what their files do.

# Hardened and stripped programs: position-independent, relocations read-only and bound at
# start, the stack protector and fortified calls linked in, no symbol table left.
for program in sorami sorami-cli sorami-site-server; do
  bin=$root/usr/bin/$program
  info=$(file -b "$bin")
  contains "$program is position-independent" "$info" "pie executable"
  contains "$program is stripped" "$info" ", stripped$"
  contains "$program binds at start" "$(readelf -dW "$bin")" "\(FLAGS_1\) +Flags: NOW"
  contains "$program has read-only relocations" "$(readelf -lW "$bin")" "GNU_RELRO"
  symbols=$(nm -D "$bin")
  contains "$program has the stack protector" "$symbols" " U __stack_chk_fail"
  contains "$program calls fortified functions" "$symbols" " U __[a-z_]+_chk@"
done
# The tags this packaging exists to avoid, warnings included.
same "lintian: manual pages, copyright, changelog, hardening, stripping" "" \
  "$(grep -E 'binary-without-manpage|no-copyright-file|changelog-file-missing|hardening-no|unstripped-binary' \
    "$scratch/lintian.log")"

entry=$(zcat "$root/usr/share/doc/sorami/changelog.Debian.gz" | head -n 1)
same "the changelog's entry is this version" "sorami ($debver) unstable; urgency=medium" "$entry"
check "both packages carry the same copyright file" \
  cmp -s "$root/usr/share/doc/sorami/copyright" "$root/usr/share/doc/sorami-site-server/copyright"
check "desktop-file-validate on the packaged menu entry" \
  desktop-file-validate "$root/usr/share/applications/jp.hkw.sorami.desktop"
metainfo_valid "appstreamcli validate on the packaged metainfo" \
  "$root/usr/share/metainfo/jp.hkw.sorami.metainfo.xml"

same "sorami-cli --version from the unpacked package" "sorami-cli (ソラミメッセージ) $version" \
  "$("$root/usr/bin/sorami-cli" --version)"
missing=$(ldd "$root/usr/bin/sorami" "$root/usr/bin/sorami-site-server" \
  "$root/usr/lib/sorami/sorami-qt.so" | grep 'not found')
same "every library the programs need is on the system" "" "$missing"
"$root/usr/bin/sorami-cli" --appdir "$scratch/debdata" send --to 事務局 --title 下書き --body 本文 \
  --draft >/dev/null
check "the unpacked sorami-cli loads its Qt module (a draft stored)" test $? -eq 0
out=$("$root/usr/bin/sorami-cli" help 設定\(メール\))
contains "the unpacked sorami-cli finds the packaged help topics" "$out" \
  "^\{\"path\": \"$root/usr/share/sorami/help/設定\(メール\)\.rtf\""

# The unit, checked by systemd (its programs taken from the unpacked package): no complaint
# about a line of it, and the sandbox systemd rates safe. Then its own command lines, run as
# systemd runs them: %S is the root of the state directories, a free port instead of the
# service's.
unit=$root/usr/lib/systemd/system/sorami-site-server.service
if command -v systemd-analyze >/dev/null; then
  mkdir -p "$scratch/units"
  sed "s|/usr/bin/|$root/usr/bin/|g" "$unit" >"$scratch/units/sorami-site-server.service"
  out=$(systemd-analyze verify --man=no "$scratch/units/sorami-site-server.service" 2>&1)
  check "systemd-analyze verify sorami-site-server.service" test $? -eq 0
  same "systemd-analyze verify has no complaint" "" "$out"
  out=$(systemd-analyze security --offline=true "$scratch/units/sorami-site-server.service" 2>&1)
  contains "systemd-analyze security rates the sandbox" "$out" \
    "Overall exposure level for sorami-site-server.service: [0-9.]+ OK"
fi
state=$scratch/state
mkdir -p "$state/sorami-site-server"
unit_command() {
  local line
  line=$(sed -n "s/^$1=//p" "$unit")
  line=${line//%S/$state}
  line=${line//\/usr\/bin\//$root\/usr\/bin\/}
  echo "${line//127.0.0.1:8642/127.0.0.1:0}"
}
quietly() { "$@" >/dev/null; }
pre=$(unit_command ExecStartPre)
check "ExecStartPre makes the database" quietly $pre
check "ExecStartPre again, on the database it made" quietly $pre
check "the database in the state directory" test -s "$state/sorami-site-server/site.db"
$(unit_command ExecStart) >"$scratch/serve.out" 2>"$scratch/serve.log" &
serve=$!
for _ in $(seq 100); do
  grep -q "listening on" "$scratch/serve.out" && break
  kill -0 "$serve" 2>/dev/null || break
  sleep 0.1
done
contains "ExecStart serves" "$(cat "$scratch/serve.out")" "^sorami-site-server listening on 127\.0\.0\.1:[1-9]"
kill -TERM "$serve"
wait "$serve"
same "SIGTERM, as systemd stops it, ends the service cleanly" 0 $?
