# Sourced by the end-to-end scripts under wine and the Windows demo.

# windows_path <linux path>: the same file as wine's drive Z: names it.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# check <what> <command...>: runs the command and prints the outcome; failures counts
# the failed ones.
failures=0
check() {
  if "${@:2}"; then echo "ok:   $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
