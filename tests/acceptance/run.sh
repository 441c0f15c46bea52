#!/usr/bin/env bash
# The built program as a user meets it: started under a virtual X display with
# a window manager, each case in a home folder of its own (a restart keeps its
# case's), driven by key presses and close requests, and judged by the windows
# it shows, its exit code, what it writes to stderr and the settings file it
# leaves. Every request it makes fails at once: the proxy it takes from the
# environment is a closed port on 127.0.0.1.
#
#   run.sh <program> <folder>
#
# The folder receives a screenshot of every stage and the stderr of every run.
# Run through CTest (ctest -R acceptance), which sets the sanitizer options.
set -euo pipefail

program=$(realpath "$1")
out=$(realpath -m "$2")
limit=60 # seconds any one stage may take

for tool in Xvfb openbox xdotool wmctrl xprop import timeout; do
  command -v "$tool" >/dev/null || { echo "acceptance: $tool is missing (scripts/test installs it)" >&2; exit 1; }
done
: "${ASAN_OPTIONS:?run through CTest (ctest -R acceptance), which sets the sanitizer options}"

rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
xvfb='' wm='' holder='' pid='' case='' stage=0 run='' home='' language=''

fail() {
  echo "acceptance: $case: $*" >&2
  exit 1
}

finish() {
  local code=$?
  if [ "$code" != 0 ] && [ -n "$wm" ]; then
    timeout 10 import -window root "$out/${case:-setup}_failed.png" 2>/dev/null || true
  fi
  # A run still going: its time limit passes the signal on to the program.
  if [ -n "$run" ] && [ ! -e "$work/$run.code" ] && [ -e "$work/$run.pid" ]; then
    kill "$(cat "$work/$run.pid")" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  [ -n "$holder" ] && kill "$holder" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  # Failed while setting up: what the display and the window manager said.
  if [ "$code" != 0 ] && [ -z "$case" ]; then
    cp "$work/xvfb.log" "$work/openbox.log" "$out/" 2>/dev/null || true
  fi
  rm -rf "$work"
  if [ "$code" != 0 ]; then
    echo "acceptance: FAILED in case '$case'. Screenshots and stderr of each run:" >&2
    ls "$out" | sed "s|^|  $out/|" >&2
  else
    echo "acceptance: all cases passed; screenshots in $out"
  fi
}
trap finish EXIT

# Runs the command until it succeeds, for at most the limit.
wait_for() {
  local what=$1 end=$((SECONDS + limit))
  shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < end)) || fail "no $what within ${limit}s"
    sleep 0.2
  done
}

# The display, the window manager and the closed port.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
wait_for "X display" test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"
wait_for "X display to answer" xprop -root
# A home of its own: runs side by side share no window manager's files. On a
# busy machine it has been seen to miss the display once: it is started again.
mkdir -p "$work/wm"
window_manager() {
  if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
    HOME="$work/wm" openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm=$!
  fi
  wmctrl -m
}
wait_for "window manager" window_manager

# Bound but never listening, for the whole run: a port only closed again could
# be taken meanwhile by another test's server.
/usr/bin/python3 -c 'import socket, time; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1], flush=True); time.sleep(86400)' >"$work/port" &
holder=$!
wait_for "closed port" test -s "$work/port"
port=$(cat "$work/port")
export http_proxy="http://127.0.0.1:$port" https_proxy="http://127.0.0.1:$port"
unset no_proxy NO_PROXY all_proxy ALL_PROXY HTTP_PROXY HTTPS_PROXY
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM
# The script's own texts and patterns are UTF-8; each run gets its case's language.
export LC_ALL=C.UTF-8
# Leaks are told apart by the libraries on their whole stack: the X11 platform
# loads GL libraries that unload before the leak check.
export ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=0"

# A new case: a fresh home folder and the system language.
begin() {
  case=$1 language=$2 stage=0
  home="$work/$case"
  mkdir -p "$home/run"
  chmod 700 "$home/run"
  echo "acceptance: $case"
}

# Starts the program with the given arguments, as run <name>.
start() {
  run=$1
  shift
  rm -f "$work/$run.code"
  (
    cd "$home"
    HOME="$home" XDG_RUNTIME_DIR="$home/run" LC_ALL="$language" LANG="$language" \
      timeout -k 10 $((limit * 5)) "$program" "$@" >"$out/$run.stdout" 2>"$out/$run.stderr" &
    echo $! >"$work/$run.pid"
    code=0
    wait $! || code=$?
    echo "$code" >"$work/$run.code"
  ) &
  pid=$!
}

# The ids of the shown windows whose titles match the pattern (xdotool's own
# pattern does not match Cyrillic).
titled() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    if xdotool getwindowname "$id" 2>/dev/null | grep -qE "$1"; then
      echo "$id"
    fi
  done
}

# The id of the first shown window whose title matches the pattern, and whose
# first window type is the given one, if one is given.
window() {
  local pattern=$1 type=${2:-} end=$((SECONDS + limit)) id
  while :; do
    for id in $(titled "$pattern"); do
      if [ -z "$type" ] || xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q "= _NET_WM_WINDOW_TYPE_$type"; then
        echo "$id"
        return
      fi
    done
    [ -e "$work/$run.code" ] && fail "the program ended before a window titled /$pattern/ showed (see $out/$run.stderr)"
    ((SECONDS < end)) || fail "no window titled /$pattern/ within ${limit}s"
    sleep 0.2
  done
}

# A picture of the screen once the window shown last has painted itself (and
# what arrives at once, such as a failed request, has come).
shot() {
  stage=$((stage + 1))
  sleep 1.5
  x import -window root "$out/${case}_${stage}_$1.png"
}

# An X tool that may wait for the window manager, within the limit.
x() {
  timeout "$limit" "$@" || fail "'$*' failed or did not finish within ${limit}s"
}

press() {
  x xdotool windowactivate --sync "$1" key --clearmodifiers "$2"
}

# Waits for the program to end by itself; it must exit with 0 and report no
# sanitizer finding.
ended() {
  wait_for "end of the program" test -e "$work/$run.code"
  local code
  code=$(cat "$work/$run.code")
  [ "$code" = 0 ] || fail "the program exited with $code (see $out/$run.stderr)"
  if grep -q "Sanitizer\|runtime error:" "$out/$run.stderr"; then
    fail "sanitizer report in $out/$run.stderr"
  fi
}

closed() {
  x wmctrl -i -c "$1"
  ended
}

# The value of a key in a section of the settings file; fails when it is not there.
setting() {
  awk -v section="[$1]" -v key="$2=" '
    /^\[/ { on = ($0 == section); next }
    on && index($0, key) == 1 { print substr($0, length(key) + 1); found = 1 }
    END { exit !found }' "$home/.configsettings.ini"
}

expect_setting() {
  local value
  value=$(setting "$1" "$2") || fail "no $1/$2 in the settings file"
  [ "$value" = "$3" ] || fail "$1/$2 is '$value', not '$3'"
}

# A first start: the terms (titled as the pattern says) accepted with Return,
# then the main window, closed.
accept_terms() {
  local terms main
  start "$case"
  terms=$(window "$1")
  shot terms
  press "$terms" Return
  main=$(window '^Tarnwickstone$' NORMAL)
  shot main
  closed "$main"
}

geometry() {
  xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)='
}

terms_en='^You should accept Tarnwickstone terms and conditions:$'

begin first-run C.UTF-8
accept_terms "$terms_en"
expect_setting General TermsAccepted true
expect_setting Options Language en
expect_setting Action Action Export
expect_setting General Select Nothing
expect_setting Window curTab 4
expect_setting Window curTemplate ''
setting Window State >/dev/null || fail "no Window/State"
setting Window Geometry >/dev/null || fail "no Window/Geometry"
if grep -qi proxy "$home/.configsettings.ini"; then
  fail "a proxy key was stored"
fi

# Same home: no terms; the window keeps its place, size and tab.
case=restart stage=0
echo "acceptance: $case"
start restart
main=$(window '^Tarnwickstone$' NORMAL)
[ -z "$(titled "$terms_en")" ] || fail "the terms were shown again"
x xdotool windowmove --sync "$main" 120 90
x xdotool windowsize --sync "$main" 1000 700
press "$main" ctrl+3
before=$(geometry "$main")
shot moved
closed "$main"
expect_setting Window curTab 2
start restarted
main=$(window '^Tarnwickstone$' NORMAL)
shot restored
after=$(geometry "$main")
[ "$after" = "$before" ] || fail "geometry $(echo $before) came back as $(echo $after)"
closed "$main"
expect_setting Window curTab 2

# A template named on the command line, then a path that is not there.
begin command-line C.UTF-8
printf '[General]\nTermsAccepted=true\n' >"$home/.configsettings.ini"
printf '{"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 1000}]}' >"$home/Racing.twt"
start named "$home/Racing.twt"
main=$(window '^Racing - Tarnwickstone$' NORMAL)
shot named
closed "$main"
[ -f "$home/.configtemplates/Racing.twt" ] || fail "the template was not copied into the templates folder"
expect_setting Window curTemplate Racing
start missing "$home/missing.twt"
box=$(window '^Tarnwickstone$' DIALOG)
shot missing
press "$box" Return
main=$(window '^Racing - Tarnwickstone$' NORMAL)
shot after_missing
closed "$main"

begin russian ru_RU.UTF-8
accept_terms '^Примите условия использования Tarnwickstone:$'
expect_setting Options Language ru
expect_setting General TermsAccepted true

begin decline C.UTF-8
start decline
terms=$(window "$terms_en")
shot terms
press "$terms" Escape
ended
if setting General TermsAccepted >/dev/null; then
  fail "the declined terms were stored as accepted"
fi
expect_setting Options Language en
