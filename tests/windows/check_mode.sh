#!/usr/bin/env bash
# The check mode end to end under wine: nginx on a loopback port publishes signed
# configurations, the sample client opens its real window "MOX Demo" (on Xvfb: wine
# needs a display for top-level windows), and vexa.exe checkupdate, installed in a
# client tree with a non-ASCII name, posts each result to it. A rewritten "vexa.xml"
# is refused, HTTPS is trusted through "update-ca.pem", and an updater started while
# another runs only says so.
# Usage: check_mode.sh <linux-build-dir> <windows-build-dir>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
source "$root/scripts/local-nginx.sh"
source "$root/tests/windows/common.bash"

wine="$root/scripts/wine-run.sh"
# A prefix of its own: the single-instance mutex is shared by every program of a
# wine server, and other tests run vexa.exe in the build's prefix at the same time.
export WINEPREFIX="$windows/wineprefix-check-mode"
local_nginx_workspace vexa-check-mode
client_pid="" display_pid="" first_pid="" silent_pid=""
# The wine server of the prefix outlives its programs for a while, bound to the display
# it started with: it ends before the display does, and one left by an earlier run
# ends before this one starts.
end_wine() { /usr/lib/wine/wineserver -k 2>/dev/null || true; }
cleanup() {
  for pid in $client_pid $first_pid $silent_pid; do kill "$pid" 2>/dev/null || true; done
  end_wine
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  remove_local_nginx_workspace
}
trap cleanup EXIT

port=$(free_loopback_port 18300 18349)
tls_port=$(free_loopback_port 18350 18399)
config() {  # config <version> <minimum version> [self url]
  cat <<XML
<vexa>
  <StartExecute>mox.exe</StartExecute>
  <MinVersion>$2</MinVersion>
  <SelfUrl>${3:-http://127.0.0.1:$port/MOXUpdate}</SelfUrl>
  <ProductCode>MOX</ProductCode>
  <UpdateMethod>filelist</UpdateMethod>
  <CurVersion>$1</CurVersion>
</vexa>
XML
}
published="$work/site/MOXUpdate/MOX/vexa.xml"
publish() {  # publish <version> <minimum version>: writes and signs the configuration
  config "$1" "$2" > "$published"
  "$linux/bin/vexa-sign" sign "$work/keys/update.key" "$published" >/dev/null
}

mkdir -p "$work/site/MOXUpdate/MOX" "$work/keys" "$work/run"
"$linux/bin/vexa-sign" keygen "$work/keys" >/dev/null
# HTTPS: a certificate authority of the test's own, the server named "localhost".
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Check Mode Test CA" -keyout "$work/keys/ca.key" \
  -out "$work/keys/ca.pem" -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Someone Else's CA" -keyout "$work/keys/other.key" \
  -out "$work/keys/other-ca.pem" -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$work/keys/server.key" -out "$work/keys/server.csr" 2>/dev/null
printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n' > "$work/keys/server.ext"
openssl x509 -req -days 2 -in "$work/keys/server.csr" -CA "$work/keys/ca.pem" -CAkey "$work/keys/ca.key" -CAcreateserial \
  -extfile "$work/keys/server.ext" -out "$work/keys/server.pem" 2>/dev/null
start_local_nginx "$work" "$port" "server { listen 127.0.0.1:$tls_port ssl; ssl_certificate $work/keys/server.pem; ssl_certificate_key $work/keys/server.key; root $work/site; }"

tree="$work/游戏 客户端"
install_tree() {  # install_tree <folder> <self url>
  mkdir -p "$1/vexa"
  cp "$windows/bin/vexa.exe" "$1/vexa/"
  cp "$windows/bin/mox-sample-client.exe" "$1/mox.exe"
  cp "$work/keys/update.pub" "$1/vexa/update.pub"
  config 1.0.0 0.0.0 "$2" > "$1/vexa/vexa.xml"
}
install_tree "$tree" ""

end_wine
Xvfb -displayfd 3 -nolisten tcp 3>"$work/display" 2>/dev/null &
display_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

# The first program in a new prefix waits for the prefix to be made; later ones start in
# a running wine server. The window then needs a moment to be there. The server and its
# services outlive the program: they get no output of the test to hold open.
"$wine" "$tree/mox.exe" -onlymain >/dev/null 2>&1
"$wine" "$tree/mox.exe" --title "MOX Demo" --seconds 120 > "$work/client.out" 2>"$work/client.err" &
client_pid=$!
sleep 3

checkupdate() {  # runs vexa.exe checkupdate "MOX Demo" in a tree; its exit code
  (cd "$1/vexa" && VEXA_UI=script VEXA_UI_LOG="$(windows_path "$work/run/ui.jsonl")" "$wine" "$1/vexa/vexa.exe" checkupdate "MOX Demo" </dev/null)
}
received() {  # received <count> <wparam>: the window got that many results of the kind
  local count
  for _ in $(seq 50); do
    count=$(grep -c "^message=1033 wparam=$2 lparam=0" "$work/client.out" || true)
    [ "$count" -ge "$1" ] && break
    sleep 0.1
  done
  [ "$count" -eq "$1" ]
}

publish 1.1.0 1.0.0
check "optional update, signed configuration accepted (exit 0)" checkupdate "$tree"
check "wparam 0 received" received 1 0
publish 1.1.0 1.1.0
check "forced update (exit 0)" checkupdate "$tree"
check "wparam 1 received" received 1 1
publish 1.0.0 1.0.0
check "no update (exit 0)" checkupdate "$tree"
check "wparam 2 received" received 1 2
publish 9.9.9 9.9.9
sed -i 's/9.9.9/1.1.0/' "$published"
check "tampered configuration (exit 0)" checkupdate "$tree"
check "tampered configuration refused: wparam 3 received" received 1 3
check "the client saw nothing else" test "$(wc -l < "$work/client.out")" -eq 4

# A peer that takes the connection and never answers keeps the first updater running;
# it notes the connection, which the updater makes only once it holds the mutex.
silent=$(free_loopback_port 18401 18500)
python3 -c 'import socket,sys,time
s=socket.socket(); s.bind(("127.0.0.1",int(sys.argv[1]))); s.listen(4)
c=s.accept(); open(sys.argv[2],"w").close(); time.sleep(120)' "$silent" "$work/connected" &
silent_pid=$!
install_tree "$work/second tree" "http://127.0.0.1:$silent/MOXUpdate"
(cd "$work/second tree/vexa" && exec "$wine" "$work/second tree/vexa/vexa.exe" checkupdate "MOX Demo" </dev/null >/dev/null 2>&1) &
first_pid=$!
for _ in $(seq 300); do [ -e "$work/connected" ] && break; sleep 0.1; done
rm -f "$work/run/ui.jsonl"
check "second instance ends at once (exit 0)" checkupdate "$tree"
check "second instance refused through the named mutex" grep -q '已有vexa.exe进程在运行' "$work/run/ui.jsonl"
check "nothing posted by the refused instance" test "$(wc -l < "$work/client.out")" -eq 4
# Its peer gone, the first updater fails its check, says so and ends, freeing the
# mutex for the checks below (ending its runner would leave the Windows process).
kill "$silent_pid"
for _ in $(seq 600); do kill -0 "$first_pid" 2>/dev/null || break; sleep 0.1; done
check "the first updater, its peer gone, ends" bash -c '! kill -0 '"$first_pid"' 2>/dev/null'
check "and reports a failed check: wparam 3 received" received 2 3

# HTTPS through the system's TLS, trusted through the tree's "update-ca.pem": a server
# whose authority is not in it is refused. A server named by its address (127.0.0.1 in
# the certificate) is not matched by the system's name check under wine, so the server
# is "localhost". (Without the file, wine's TLS takes any server: not checked here.)
https_tree="$work/安全 tree"
install_tree "$https_tree" "https://localhost:$tls_port/MOXUpdate"
publish 1.1.0 1.0.0
cp "$work/keys/other-ca.pem" "$https_tree/vexa/update-ca.pem"
check "HTTPS from a server update-ca.pem does not vouch for (exit 0)" checkupdate "$https_tree"
check "wparam 3 received" received 3 3
cp "$work/keys/ca.pem" "$https_tree/vexa/update-ca.pem"
check "HTTPS with update-ca.pem through Schannel (exit 0)" checkupdate "$https_tree"
check "wparam 0 received" received 2 0


echo "window received:"
cat "$work/client.out"
if [ "$failures" -ne 0 ]; then
  echo "the updater's log:"
  iconv -f UTF-16 -t UTF-8 "$tree/vexa/log/update.log" || true
fi
[ "$failures" -eq 0 ]
