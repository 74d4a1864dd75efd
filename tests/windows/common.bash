# Sourced by the end-to-end scripts under wine and the Windows demo.

# windows_path <linux path>: the same file as wine's drive Z: names it.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# check <what> <command...>: runs the command and prints the outcome; failures counts
# the failed ones.
failures=0
check() {
  if "${@:2}"; then echo "ok:   $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# start_display <folder>: an Xvfb display for this script's wine session, which is
# ended first so that it starts again on it (wine makes no top-level window without a
# display). Sets DISPLAY and display_pid; the caller kills it.
start_display() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$1/display" 2>/dev/null &
  display_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(cat "$1/display")"
}

# chinese_locale <folder>: sets chinese_env to the environment of a player's Chinese
# system, for env: LANG=zh_CN.UTF-8, and LOCPATH naming that locale built into the
# folder when the system lacks it. Wine takes its system locale from it, and with it
# the dialogs' font; without the locale installed, wine also takes the names of files
# as ASCII and cannot open a program under a Chinese folder name.
chinese_locale() {
  chinese_env=(LANG=zh_CN.UTF-8)
  if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    mkdir -p "$1/locale"
    localedef -i zh_CN -f UTF-8 "$1/locale/zh_CN.UTF-8" || [ -e "$1/locale/zh_CN.UTF-8/LC_CTYPE" ]
    chinese_env+=(LOCPATH="$1/locale")
  fi
}
