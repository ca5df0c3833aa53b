#!/bin/sh
# The test jobs of scripts/test.sh, all at the same time:
#  - native: the unit tests, then a short run of each fuzz target;
#  - win32: the system tests of TRVZYN32.dll, in the Wine prefix build/wineprefix-win32;
#  - win64: the system tests of TRVZYN64.dll and the cross-bitness tests, in which 32-bit and
#    64-bit programs share one service, in build/wineprefix-win64;
#  - consumer: the consumer test of the release archives, in build/wineprefix-consumer.
# A Wine prefix has its own wineserver, Service Control Manager, registry and Windows directory,
# and each Windows job runs in a loopback-only network namespace of its own, so the jobs'
# services, zyn.ini files, named objects and UDP ports never meet. Most of the Windows tests'
# time is spent waiting for services, sleeps and mutexes, which the jobs do side by side.
# Each job writes its own log, printed whole when the job ends; the times go to the phase table.
# On a machine whose kernel runs no 32-bit program, the win32 job and the cross-bitness tests
# cannot run and the consumer test checks the 64-bit package only: each is named in
# $ZYN_TEST_LOGS/skipped, which the report prints.
set -u
cd "$(dirname "$0")/.."
logs="${ZYN_TEST_LOGS:?ZYN_TEST_LOGS must name the folder of the logs}"

# step NAME LOG COMMAND...: runs the command with its output appended to LOG and records its time.
step() {
  name="$1" log="$2"
  shift 2
  start=$(date +%s)
  status=0
  "$@" >>"$log" 2>&1 || status=$?
  printf '%s %s %s\n' "$name" $(($(date +%s) - start)) "$status" >>"$logs/phases"
  return $status
}

# show TITLE LOG STATUS: prints a finished job's log whole, one job at a time.
show() {
  flock "$logs/print.lock" sh -c '
    printf "\n======== %s: %s\n" "$1" "$([ "$3" -eq 0 ] && echo passed || echo "FAILED ($3)")"
    cat "$2"' sh "$@"
}

# in_namespace PREFIX COMMAND...: runs the command in a loopback-only network namespace of its
# own, with the Wine prefix PREFIX, and ends the prefix's wineserver before the namespace goes.
# Each Windows job needs a namespace of its own: the services of two jobs would otherwise
# compete for the one UDP port of the service query.
in_namespace() {
  prefix="$1"
  shift
  sh scripts/in-loopback-namespace.sh env WINEPREFIX="$prefix" sh -c '
    status=0
    "$@" || status=$?
    wineserver -k 2>/dev/null || true
    exit $status' sh "$@"
}

# windows_job NAME TITLE COMMAND...: makes the Wine prefix build/wineprefix-NAME (its first use
# takes 20 s or more, which no test's time limit should have to cover), runs the command with it
# and prints the job's log.
windows_job() {
  job="$1" title="$2"
  shift 2
  prefix="$PWD/build/wineprefix-$job"
  status=0
  step "$job Wine prefix" "$logs/$job.log" in_namespace "$prefix" sh scripts/wine-emu.sh cmd /c exit || status=$?
  if [ $status -eq 0 ]; then
    step "$job $title" "$logs/$job.log" in_namespace "$prefix" "$@" || status=$?
  fi
  show "$job $title" "$logs/$job.log" $status
  return $status
}

(
  status=0
  step "native tests" "$logs/native.log" ctest --preset native || status=$?
  # A short run keeps both fuzz targets building and clean; long runs: scripts/fuzz.sh SECONDS.
  step "fuzz smoke run" "$logs/fuzz.log" sh scripts/fuzz.sh 15 || {
    status=1
    tail -n 30 "$logs/fuzz.log" >>"$logs/native.log"
  }
  show "native tests and fuzz smoke run" "$logs/native.log" $status
  exit $status
) &
native=$!
if sh scripts/machine-runs-32bit.sh; then
  windows_job win32 "system tests" ctest --preset win32 &
  win32=$!
  windows_job win64 "system tests" ctest --preset win64 &
  win64=$!
else
  printf '%s\n' "the win32 system tests" "the cross-bitness tests" "the 32-bit package's programs in the consumer test" \
    >"$logs/skipped"
  win32=""
  windows_job win64 "system tests" ctest --preset win64 --label-exclude cross_bitness &
  win64=$!
fi
windows_job consumer "test" sh scripts/consumer-test.sh &
consumer=$!

start=$(date +%s)
status=0
for job in $native $win32 $win64 $consumer; do
  wait $job || status=1
done
printf '%s %s %s\n' "test jobs, side by side" $(($(date +%s) - start)) $status >>"$logs/phases"
exit $status
