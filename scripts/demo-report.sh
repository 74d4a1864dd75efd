# Sourced by the demos (scripts/demo.sh, scripts/demo-windows.sh): what they show of an
# installed client tree and of what the run left behind. $work is the demo's folder.

# tree_digests <client folder>: each file's MD5, the updater's log left out.
tree_digests() {
  (cd "$1" && find . -path ./vexa/log -prune -o -type f -print | LC_ALL=C sort | xargs -d '\n' md5sum)
}

# demo_outcome <client folder>: what the client's window received, the updater's log
# and the requests nginx served.
demo_outcome() {
  echo
  echo "== what the client's window received (message 1033 = WM_USER+9; wparam 0 optional, 1 forced, 2 none, 3 check failed)"
  echo "   the signed check finds the optional update; the rewritten file is refused"
  cat "$work/client.out"
  echo
  echo "== the updater's log, $1/vexa/log/update.log (UTF-16LE on disk)"
  iconv -f UTF-16 -t UTF-8 "$1/vexa/log/update.log"
  echo
  echo "== requests nginx served"
  cat "$work/access.log"
}
