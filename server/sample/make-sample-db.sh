#!/usr/bin/env bash
# Makes the sample database of the demo: two sites, three members and a welcome message with
# an attachment, waiting for はなこ and たろう.
#
# usage: make-sample-db.sh DBFILE [HOST:PORT]
#   HOST:PORT  where the demo server will listen (default 127.0.0.1:8642); both sites live there.
# The server program is $SORAMI_SITE_SERVER, else build/release/server/sorami-site-server.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,8p' "$0" >&2; exit 2; }
db=$1
host=${2:-127.0.0.1:8642}
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=${SORAMI_SITE_SERVER:-$top/build/release/server/sorami-site-server}
[ -x "$bin" ] || { echo "make-sample-db: no server program at $bin (build first)" >&2; exit 1; }
[ ! -e "$db" ] || { echo "make-sample-db: $db exists; remove it first" >&2; exit 1; }

admin() { "$bin" "$@" --db "$db" >/dev/null; }
admin init
admin addsite ソラミ広場 --host "$host" --user hiroba --public
admin addsite ソラミ別館 --host "$host" --user bekkan --dynamic 'DYN$bekkan' --public
admin adduser ソラミ広場 事務局 jimu
admin adduser ソラミ広場 はなこ hanako
admin adduser ソラミ別館 たろう taro

# The welcome message goes through the server itself, as a client's multipart send would.
tmp=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
"$bin" serve --db "$db" --listen 127.0.0.1:0 >"$tmp/out" 2>"$tmp/log" &
server_pid=$!
addr=
for _ in $(seq 100); do
  addr=$(head -n 1 "$tmp/out" | grep -o '127\.0\.0\.1:[0-9]*$' || true)
  [ -n "$addr" ] && break
  sleep 0.05
done
if [ -z "$addr" ]; then
  echo "make-sample-db: the server did not start" >&2
  cat "$tmp/log" >&2
  exit 1
fi

sj() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
sj 'ソラミ広場' >"$tmp/FROMSITE"
sj '事務局' >"$tmp/FROMNAME"
sj 'はなこ%ソラミ広場/3' >"$tmp/TONAME"
sj 'たろう%ソラミ別館/3' >"$tmp/CC"
sj 'ようこそソラミメッセージへ' >"$tmp/TITLE"
sj $'ソラミメッセージへようこそ。\r\n添付の「はじめに.txt」に使い方をまとめました。\r\n\r\n事務局' >"$tmp/HONBUN"
sj 'ネット上の知り合い' >"$tmp/KANKEI"
sj '挨拶' >"$tmp/SHUBETSU"
sj $'はじめに\r\n・「最新取得」で新しいメッセージを受け取ります。\r\n・「新規作成」からメッセージを送れます。\r\n' >"$tmp/tenpu"
answer=$(curl -s --fail "http://$addr/bn/WbMessage.exe?" \
  -F COMMAND=SENDWIN -F FROMHOST="$host" -F FROMUSER=hiroba \
  -F "FROMSITE=<$tmp/FROMSITE" -F "FROMNAME=<$tmp/FROMNAME" -F USERPASS=jimu \
  -F FROMDATE="$(date '+%Y/%m/%d %H:%M:%S')" -F "TONAME=<$tmp/TONAME" -F "CC=<$tmp/CC" \
  -F "TITLE=<$tmp/TITLE" -F "HONBUN=<$tmp/HONBUN" -F "KANKEI=<$tmp/KANKEI" \
  -F "SHUBETSU=<$tmp/SHUBETSU" \
  -F "FILE0=@$tmp/tenpu;type=application/octet-stream;filename=$(sj 'はじめに.txt')" |
  iconv -f CP932 -t UTF-8)
case $answer in
  *'OK(PGM)'*) ;;
  *) echo "make-sample-db: the welcome message was refused: $answer" >&2; exit 1 ;;
esac
echo "sample database $db ready: sites ソラミ広場, ソラミ別館 at $host;" \
  "members 事務局 (jimu), はなこ (hanako), たろう (taro)"
