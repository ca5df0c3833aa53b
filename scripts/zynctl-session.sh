#!/bin/sh
# The zynctl session of the demo: the reference service installed, configured, started, read,
# written, watched, queried, reset and stopped, each step shown with its command line and what
# zynctl printed. scripts/demo.sh runs it inside the loopback-only namespace, with the build's
# Wine prefix in WINEPREFIX. Usage: scripts/zynctl-session.sh FOLDER (where zynctl.exe is built)
set -eu
cd "$(dirname "$0")/.."
folder="$1"
service="ZYN Service"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

windows() { sh scripts/wine-emu.sh "$@"; }
step() { printf '\n== %s\n' "$1"; }
# Runs zynctl, shows its output indented (stdout and stderr as they came) and a non-zero exit status.
zynctl() {
  printf '$ zynctl %s\n' "$*"
  status=0
  windows "$folder/zynctl.exe" "$@" >"$scratch/output" 2>&1 || status=$?
  sed 's/\r$//; s/^/    /' "$scratch/output"
  [ "$status" -eq 0 ] || printf '    [exit status %d]\n' "$status"
}
# The same for a usage error, whose full help would drown the one line that matters.
zynctl_first_line() {
  printf '$ zynctl %s\n' "$*"
  status=0
  windows "$folder/zynctl.exe" "$@" >"$scratch/output" 2>&1 || status=$?
  sed -n '1s/\r$//; 1s/^/    /p' "$scratch/output"
  printf '    ... (the usage follows)\n    [exit status %d]\n' "$status"
}
sh scripts/forget-service.sh
program="$(windows winepath -w "$PWD/$folder/zyn_reference_service.exe" | tr -d '\r')"

step "Install the reference service as \"$service\" (not started yet)"
zynctl --version
zynctl service install "$program"
zynctl status

step "Set the service parameters and define two exchanges in zyn.ini"
zynctl params --set MULTICAST=224.0.7.1,224.0.7.2 --set MAX_EXCHANGE_SIZE=256 --set MAX_STATIC_EXCHANGES=32 \
  --set MAX_DYNAMIC_EXCHANGES=8
zynctl add 1 64 1 NODE1 PLANT
zynctl add 2 16 1 NODE2 PLANT --option T,P=5510
zynctl get exchange_1@NODE1

step "Start the service; its section and mutexes are found in this session's namespace"
zynctl service start
zynctl status
zynctl list
zynctl show exchange_2@NODE2 --json

step "Write and read live exchange data"
zynctl put exchange_1@NODE1 --offset 4 --hex 68656c6c6f --word3 0x11
zynctl get exchange_1@NODE1 --count 16
zynctl get exchange_1@NODE1 --offset 60 --json
zynctl get exchange_1@NODE1 --offset 60 --count 5
zynctl get exchange_1@NODE1 exchange_2@NODE2 exchange_3@NODE3 --count 8
zynctl_first_line get exchange_1@NODE1 --offset 12x

step "Watch an exchange while another zynctl writes to it"
printf '$ zynctl watch exchange_1@NODE1 --interval 200 --count 1 &\n'
windows "$folder/zynctl.exe" watch exchange_1@NODE1 --interval 200 --count 1 >"$scratch/watch" 2>&1 &
watcher=$!
# The first line is printed after the first reading; the change must come after it.
while ! grep -q watching "$scratch/watch"; do
  kill -0 "$watcher" 2>/dev/null || break
  sleep 0.2
done
zynctl put exchange_1@NODE1 --offset 10 --hex 4f4b
wait "$watcher" || printf '    [watch ended with exit status %d]\n' $?
printf '  (watch printed:)\n'
sed 's/\r$//; s/^/    /' "$scratch/watch"

step "Ask the running service for its exchange list over UDP"
zynctl service query
zynctl service query --json

step "Switch to the packed page layout and reset the service, which rebuilds its section"
zynctl params --set EXCH_MAP=1
zynctl service reset
zynctl get exchange_2@NODE2

step "Stop the service"
zynctl service stop
zynctl get exchange_2@NODE2
zynctl status

sh scripts/forget-service.sh
printf '\nThe service entry and zyn.ini were removed again.\n'
