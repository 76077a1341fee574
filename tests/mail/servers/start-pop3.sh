#!/usr/bin/env bash
# Starts a private Dovecot POP3 server on loopback for the mail tests and benchmarks.
#
#   start-pop3.sh [--pop3s] [--pop3s-port N] [--imap-port N] [--imaps-port N] [STATE_DIR] [PORT]
#
#   STATE_DIR   default /tmp/mailtest/pop3 (created). Holds dovecot.conf,
#               passwd, run/ (base_dir), lib/ (state_dir), dovecot.log,
#               ssl/ (self-signed cert), mail/Maildir (the mailbox).
#   PORT        plain POP3 port on 127.0.0.1, default 11110.
#   --pop3s     also listen for implicit TLS on 127.0.0.1:11995 and offer STLS
#               on PORT (cert/key made with openssl in STATE_DIR/ssl/).
#   --pop3s-port N   implies --pop3s, port N.
#
#   --imap-port N    also serve the same mailbox by IMAP on 127.0.0.1:N (STARTTLS offered
#               with --pop3s); needs dovecot-imapd.
#   --imaps-port N   with --pop3s: IMAP with TLS from the first byte on 127.0.0.1:N.
#
# User: test / secret (override with POP3_USER / POP3_PASS env vars).
# Mail files are owned by MAIL_USER (default: nobody when run as root,
# yourself otherwise) -- Dovecot refuses to access mail as root.
# Prints the dovecot master PID on stdout (also in STATE_DIR/dovecot.pid).
# No system-wide config is read or modified; nothing is started via systemd.
set -euo pipefail

POP3S=0
POP3S_PORT=11995
IMAP_PORT=""
IMAPS_PORT=0
ARGS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --pop3s) POP3S=1 ;;
    --pop3s-port) POP3S=1; POP3S_PORT="$2"; shift ;;
    --pop3s-port=*) POP3S=1; POP3S_PORT="${1#*=}" ;;
    --imap-port) IMAP_PORT="$2"; shift ;;
    --imaps-port) IMAPS_PORT="$2"; shift ;;
    -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) ARGS+=("$1") ;;
  esac
  shift
done
STATE="${ARGS[0]:-/tmp/mailtest/pop3}"
PORT="${ARGS[1]:-11110}"
USER_NAME="${POP3_USER:-test}"
USER_PASS="${POP3_PASS:-secret}"

# --- dovecot comes from scripts/setup (package dovecot-pop3d) ---------------
if ! command -v dovecot >/dev/null 2>&1 || [ ! -x /usr/lib/dovecot/pop3 ]; then
  echo "dovecot-pop3d is not installed (scripts/setup installs it)" >&2
  exit 3
fi
if [ -n "$IMAP_PORT" ] && [ ! -x /usr/lib/dovecot/imap ]; then
  echo "dovecot-imapd is not installed (scripts/setup installs it)" >&2
  exit 3
fi

mkdir -p "$STATE"
STATE="$(cd "$STATE" && pwd -P)"
BASE="$STATE/run"
# Longest socket Dovecot creates is $base_dir/token-login/tokenlogin; sun_path
# is limited to 107 bytes.
if [ ${#BASE} -gt 80 ]; then
  echo "state dir path too long for unix sockets (${#BASE} > 80): $BASE" >&2
  exit 1
fi

PIDFILE="$STATE/dovecot.pid"
if [ -s "$PIDFILE" ] && kill -0 "$(cat "$PIDFILE")" 2>/dev/null; then
  echo "dovecot already running for $STATE (pid $(cat "$PIDFILE")); run stop-pop3.sh first" >&2
  exit 1
fi

# --- users ------------------------------------------------------------------
if [ "$(id -u)" = 0 ]; then
  MAIL_USER="${MAIL_USER:-nobody}"
  LOGIN_USER=dovenull
  INTERNAL_USER=dovecot
  INTERNAL_GROUP=dovecot
  CHROOT_LOGIN=login          # Dovecot defaults
  CHROOT_EMPTY=empty
else
  # Unprivileged mode: every dovecot process runs as you, no chroot possible.
  MAIL_USER="$(id -un)"
  LOGIN_USER="$MAIL_USER"
  INTERNAL_USER="$MAIL_USER"
  INTERNAL_GROUP="$(id -gn)"
  CHROOT_LOGIN=""
  CHROOT_EMPTY=""
fi
MAIL_UID="$(id -u "$MAIL_USER")"
MAIL_GID="$(id -g "$MAIL_USER")"

mkdir -p "$BASE" "$STATE/lib" "$STATE/mail/Maildir"/{cur,new,tmp}
if [ "$(id -u)" = 0 ]; then
  chown -R "$MAIL_UID:$MAIL_GID" "$STATE/mail"
  # Every parent dir must be traversable by the mail user (mktemp -d gives 700).
  if ! runuser -u "$MAIL_USER" -- test -w "$STATE/mail/Maildir/new"; then
    echo "$MAIL_USER cannot reach $STATE/mail/Maildir (chmod o+x the parent dirs)" >&2
    exit 1
  fi
fi
: > "$STATE/dovecot.log"

# passwd-file: user:{scheme}pass:uid:gid:gecos:home:shell:extra
# Must be readable by the auth process (user dovecot) -> mode 644.
printf '%s:{PLAIN}%s:%s:%s::%s/mail::\n' \
  "$USER_NAME" "$USER_PASS" "$MAIL_UID" "$MAIL_GID" "$STATE" > "$STATE/passwd"
chmod 644 "$STATE/passwd"

SSL_BLOCK="ssl = no"
POP3S_LISTENER="  inet_listener pop3s {
    port = 0
  }"
if [ "$POP3S" = 1 ]; then
  mkdir -p "$STATE/ssl"
  if [ ! -s "$STATE/ssl/cert.pem" ] || [ ! -s "$STATE/ssl/key.pem" ]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 \
      -subj "/CN=localhost" \
      -addext "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1" \
      -keyout "$STATE/ssl/key.pem" -out "$STATE/ssl/cert.pem" >/dev/null 2>&1
    chmod 600 "$STATE/ssl/key.pem"
  fi
  SSL_BLOCK="ssl = yes
ssl_cert = <$STATE/ssl/cert.pem
ssl_key = <$STATE/ssl/key.pem
ssl_min_protocol = TLSv1.2"
  if [ -r /usr/share/dovecot/dh.pem ]; then
    SSL_BLOCK="$SSL_BLOCK
ssl_dh = </usr/share/dovecot/dh.pem"
  fi
  POP3S_LISTENER="  inet_listener pop3s {
    address = 127.0.0.1
    port = $POP3S_PORT
    ssl = yes
  }"
fi

IMAP_BLOCK=""
if [ -n "$IMAP_PORT" ]; then
  IMAPS_ADDRESS=""
  if [ "$IMAPS_PORT" != 0 ]; then IMAPS_ADDRESS="address = 127.0.0.1
    ssl = yes"; fi
  IMAP_BLOCK="service imap-login {
  chroot = $CHROOT_LOGIN
  inet_listener imap {
    address = 127.0.0.1
    port = $IMAP_PORT
  }
  inet_listener imaps {
    $IMAPS_ADDRESS
    port = $IMAPS_PORT
  }
}"
fi
cat > "$STATE/dovecot.conf" <<EOF
# Generated by start-pop3.sh -- private Dovecot 2.3 instance, POP3 only.
base_dir = $BASE
state_dir = $STATE/lib
log_path = $STATE/dovecot.log
info_log_path = $STATE/dovecot.log
protocols = pop3${IMAP_PORT:+ imap}
listen = 127.0.0.1
default_login_user = $LOGIN_USER
default_internal_user = $INTERNAL_USER
default_internal_group = $INTERNAL_GROUP
# Dovecot 2.3 name; in 2.4 this became "auth_allow_cleartext = yes".
disable_plaintext_auth = no
auth_mechanisms = plain login
# Tests of wrong passwords should not sleep: no 2 s failure delay, and no
# anvil auth penalty (which otherwise makes every later failure from 127.0.0.1
# take ~4.5 s); the penalty is disabled by making its socket unusable (below).
auth_failure_delay = 0
$SSL_BLOCK
first_valid_uid = 1
first_valid_gid = 1
mail_uid = $MAIL_UID
mail_gid = $MAIL_GID
mail_location = maildir:$STATE/mail/Maildir
mail_max_userip_connections = 50
pop3_uidl_format = %08Xu%08Xv
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $STATE/passwd
}
userdb {
  driver = passwd-file
  args = username_format=%u $STATE/passwd
}
service ipc {
  chroot = $CHROOT_EMPTY
}
service old-stats {
  chroot = $CHROOT_EMPTY
}
service anvil {
  chroot = $CHROOT_EMPTY
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
service pop3-login {
  chroot = $CHROOT_LOGIN
  inet_listener pop3 {
    address = 127.0.0.1
    port = $PORT
  }
$POP3S_LISTENER
}
$IMAP_BLOCK
EOF

# Validate config first (prints the reason on error).
doveconf -c "$STATE/dovecot.conf" -n >/dev/null

rm -f "$BASE/master.pid"
# The daemonized master keeps the fds it was started with: never hand it our
# stdout/stderr, or $(start-pop3.sh) and "start-pop3.sh | tail" hang forever.
if ! dovecot -c "$STATE/dovecot.conf" </dev/null >"$STATE/dovecot.stderr" 2>&1; then
  echo "dovecot failed to start:" >&2
  cat "$STATE/dovecot.stderr" >&2
  tail -20 "$STATE/dovecot.log" >&2
  exit 1
fi

# dovecot daemonizes; its master writes base_dir/master.pid.
for _ in $(seq 50); do
  [ -s "$BASE/master.pid" ] && break
  sleep 0.1
done
PID="$(cat "$BASE/master.pid")"
echo "$PID" > "$PIDFILE"
echo "$PORT" > "$STATE/port"
if [ "$POP3S" = 1 ]; then echo "$POP3S_PORT" > "$STATE/pop3s-port"; else rm -f "$STATE/pop3s-port"; fi

# Wait for the +OK greeting (subshell: a failing /dev/tcp must not leave
# this shell's fds redirected).
greeting() {
  ( exec 3<>"/dev/tcp/127.0.0.1/$1" || exit 1
    read -r -t 2 line <&3 || exit 1
    printf 'QUIT\r\n' >&3
    [[ "$line" == +OK* ]] ) 2>/dev/null
}
ok=0
for _ in $(seq 50); do
  if greeting "$PORT"; then ok=1; break; fi
  sleep 0.1
done
if [ $ok != 1 ]; then
  echo "dovecot (pid $PID) did not answer on 127.0.0.1:$PORT; log:" >&2
  tail -20 "$STATE/dovecot.log" >&2
  exit 1
fi
echo "dovecot pop3 on 127.0.0.1:$PORT$([ "$POP3S" = 1 ] && echo " pop3s 127.0.0.1:$POP3S_PORT") user=$USER_NAME maildir=$STATE/mail/Maildir" >&2
echo "$PID"
