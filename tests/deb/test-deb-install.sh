#!/usr/bin/env bash
# The Debian package, end to end: builds it from a build folder with cpack, installs it on this
# machine with apt-get, checks the installed files (desktop entry, AppStream data, icon, cue files)
# and that the package depends on every library the program links or opens and on the Qt plugins it
# loads, has the installed trainer transcribe a radio check spoken by flite (--transcribe), then
# starts the INSTALLED trainer on a virtual X screen from an empty folder, switches it off
# with a click on its On/Off key and checks that it played its shutdown cue from the installed
# sounds folder and ended with status 0. The package is removed again on every way out.
#
# Usage: test-deb-install.sh <build folder> <version> <program built there>
# Needs root or password-less sudo: without either it exits 77 (CTest shows it as skipped).
set -euo pipefail
# A command that fails outside a test ends the script: say which, so the failure is never silent.
trap 'echo "deb_install: FAIL: line $LINENO: $BASH_COMMAND (status $?)" >&2' ERR

readonly skip=77
[ $# -eq 3 ] || { echo "usage: $0 <build folder> <version> <program>" >&2; exit 2; }
build="$(cd "$1" && pwd)"
version="$2"
built="$3"

readonly pkg=vhf-dsc-trainer
readonly app_id=io.github.vhfdsctrainer.VhfDscTrainer
readonly program=/usr/bin/vhf-dsc-trainer
readonly sounds=/usr/share/vhf-dsc-trainer/sounds
readonly cues=(Boing.wav Burglar.wav Chimes.wav Phone.wav Shutdown.wav)
form="$(cd "$(dirname "$0")/../.." && pwd)/src/core/frmGMDSS.ui"

say() { echo "deb_install: $*"; }
fail() { echo "deb_install: FAIL: $*" >&2; exit 1; }

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  say "SKIPPED: installing a package needs root or password-less sudo"
  exit $skip
fi

for tool in cpack dpkg dpkg-deb dpkg-query dpkg-shlibdeps apt-get desktop-file-validate appstreamcli \
            objdump ldd file fc-match Xvfb xdpyinfo xdotool flock flite; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps installs it)"
done
[ -x "$built" ] || fail "the program is not built: $built"
# Where to click: the middle of the On/Off key, cmdOnOff, a child of the window in the form.
rect="$(grep -A1 'name="cmdOnOff"' "$form" | grep -o '<rect>.*</rect>' | head -n1)" || true
[ -n "$rect" ] || fail "no geometry of cmdOnOff in $form"
tag() { sed -E "s|.*<$1>([0-9]+)</$1>.*|\1|" <<<"$rect"; }
onoff_x=$(( $(tag x) + $(tag width) / 2 ))
onoff_y=$(( $(tag y) + $(tag height) / 2 ))
[ -f "$build/CPackConfig.cmake" ] || fail "no CPackConfig.cmake in $build"

# One package installation at a time on this machine, whichever build folder runs it.
lock=/tmp/vhf-dsc-trainer-deb-install.lock
{ [ -e "$lock" ] || : >"$lock"; } 2>/dev/null || true
exec 9<"$lock" # a read-only descriptor: fine for flock, and for a lock file another user made
flock -w 240 9 || fail "another package test held the lock for four minutes"

installed_state() { dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null | tr -d ' ' || true; }
if [ -n "$(installed_state)" ] && [ "$(installed_state)" != un ]; then
  fail "$pkg is already on this machine ($(installed_state)); this test installs and removes it," \
       "so remove it first: dpkg -r $pkg"
fi

work="$(mktemp -d /tmp/vhf-deb-test.XXXXXX)"
chmod 755 "$work" # apt reads the package as its own user
xvfb_pid=""
trainer_pid=""
we_installed=""
added=()

cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [ -n "$trainer_pid" ]; then kill "$trainer_pid" 2>/dev/null || true; wait "$trainer_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$we_installed" ]; then
    if [ -n "$(installed_state)" ] && [ "$(installed_state)" != un ]; then
      "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 remove -y -q "$pkg" >"$work/remove.log" 2>&1 ||
        { cat "$work/remove.log" >&2; rc=1; }
    fi
    if [ ${#added[@]} -gt 0 ]; then
      say "removing what apt-get brought in for the package: ${added[*]}"
      "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 remove -y -q "${added[@]}" >"$work/remove-deps.log" 2>&1 ||
        { cat "$work/remove-deps.log" >&2; rc=1; }
    fi
    case "$(installed_state)" in
      "" | un) say "package removed again" ;;
      *) echo "deb_install: FAIL: $pkg is still installed ($(installed_state))" >&2; rc=1 ;;
    esac
  fi
  rm -rf "$work"
  exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- the package ----
say "building the package with cpack"
(cd "$build" && cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
chmod 755 "$work/pkg"
arch="$(dpkg --print-architecture)"
deb="$work/pkg/${pkg}_${version}_${arch}.deb"
[ -f "$deb" ] || fail "cpack made no ${pkg}_${version}_${arch}.deb; it made: $(find "$work/pkg" -maxdepth 1 -name '*.deb' -printf '%f ')"
say "made $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$pkg" ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends="$(field Depends)"
recommends="$(field Recommends)"
say "Depends: $depends"
say "Recommends: $recommends"
# Package names alone, one a line: alternatives and version bounds dropped.
names() { tr ',|' '\n' <<<"$1" | sed -E 's/\(.*\)//; s/:any//; s/[[:space:]]//g' | grep -v '^$' | sort -u; }
dep_names="$(names "$depends")"
rec_names="$(names "$recommends")"

# Everything the package holds lies below /usr.
outside="$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./$|^\./usr/' || true)"
[ -z "$outside" ] || fail "the package puts files outside /usr: $outside"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -qx './usr/share/man/man1/vhf-dsc-trainer.1.gz' ||
  fail "the package has no manual page"

# ---- installing it ----
installed_packages() { dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" {print $2}' | sort; }
installed_packages >"$work/before"
we_installed=yes
say "installing it with apt-get"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends "$deb" \
  >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "apt-get install of the package failed"; }
installed_packages >"$work/after"
mapfile -t added < <(comm -13 "$work/before" "$work/after" | grep -vE "^$pkg(:|$)" || true)
[ "$(installed_state)" = ii ] || fail "$pkg is not installed after apt-get: $(installed_state)"
"${as_root[@]}" apt-get check -q >"$work/check.log" 2>&1 || { cat "$work/check.log" >&2; fail "unmet dependencies after the install"; }

# ---- the installed files ----
[ -x "$program" ] || fail "$program is missing"
file -b "$program" | grep -q '^ELF .*executable' ||
  fail "$program is no ELF program: $(file -b "$program")"
for cue in "${cues[@]}"; do
  [ -f "$sounds/$cue" ] || fail "cue file $sounds/$cue is missing"
  file -b "$sounds/$cue" | grep -q 'WAVE audio' || fail "$sounds/$cue is no WAVE file: $(file -b "$sounds/$cue")"
done
count="$(find "$sounds" -name '*.wav' | wc -l)"
[ "$count" -eq ${#cues[@]} ] || fail "$sounds holds $count cue files, not ${#cues[@]}"
say "program and ${#cues[@]} cue files installed"

desktop="/usr/share/applications/$app_id.desktop"
[ -f "$desktop" ] || fail "$desktop is missing"
# Errors and warnings fail; hints (such as two main categories, Education and Science) are shown.
dfv_rc=0
desktop-file-validate "$desktop" >"$work/dfv.log" 2>&1 || dfv_rc=$?
[ -s "$work/dfv.log" ] && sed 's/^/deb_install: desktop-file-validate: /' "$work/dfv.log"
if [ $dfv_rc -ne 0 ] || grep -qE ': (error|warning): ' "$work/dfv.log"; then fail "the desktop entry does not validate"; fi
grep -qx "Exec=vhf-dsc-trainer" "$desktop" || fail "the desktop entry does not start vhf-dsc-trainer"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry does not name the icon $app_id"
say "desktop entry validates"

icon="/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
[ -f "$icon" ] || fail "$icon is missing"
file -b "$icon" | grep -q 'SVG' || fail "$icon is no SVG picture: $(file -b "$icon")"
say "icon installed"

metainfo="/usr/share/metainfo/$app_id.metainfo.xml"
[ -f "$metainfo" ] || fail "$metainfo is missing"
# Errors and warnings fail; infos and pedantic notes are shown.
as_rc=0
appstreamcli validate --no-net --no-color "$metainfo" >"$work/as.log" 2>&1 || as_rc=$?
sed 's/^/deb_install: appstreamcli: /' "$work/as.log"
if [ $as_rc -ne 0 ] || grep -qE '^[EW]: ' "$work/as.log"; then fail "the AppStream metainfo does not validate"; fi
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $app_id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
say "AppStream metainfo validates"

# ---- the dependencies: complete ----
# The package that owns a file; dpkg records some libraries under /lib, which is /usr/lib here.
owner() {
  local path="$1" alt out p
  case "$path" in /usr/*) alt="${path#/usr}" ;; *) alt="/usr$path" ;; esac
  for p in "$path" "$alt"; do
    if out="$(dpkg -S "$p" 2>/dev/null | grep -v '^diversion' | head -n1)" && [ -n "$out" ]; then
      sed -E 's/: \/.*$//' <<<"$out" | tr ',' '\n' | sed -E 's/:.*$//; s/[[:space:]]//g' | head -n1
      return 0
    fi
  done
  return 1
}
ldd_out="$(ldd "$program")"
mapfile -t needed < <(objdump -p "$program" | awk '$1 == "NEEDED" {print $2}')
[ ${#needed[@]} -gt 0 ] || fail "objdump shows no NEEDED library of $program"
for lib in "${needed[@]}"; do
  path="$(awk -v l="$lib" '$1 == l && $2 == "=>" {print $3}' <<<"$ldd_out")"
  if [ -z "$path" ] || [ "$path" = not ]; then fail "the loader finds no $lib for $program"; fi
  pkg_of="$(owner "$path")" || fail "$lib ($path) belongs to no package"
  grep -qx "$pkg_of" <<<"$dep_names" || fail "$lib comes from $pkg_of, which is not in Depends: $depends"
  say "needs $lib: from $pkg_of, in Depends"
done
# The libraries the program opens when it first needs them (XRandR with the first mode change, the
# sound libraries with the first cue, libpulse with the receiver's inputs, the MQTT client with the
# first class, the Opus codec with the first voice in a class, speech recognition and synthesis with the
# first transmission), which no NEEDED entry shows.
for lib in libXrandr.so.2 libsndfile.so.1 libpulse-simple.so.0 libpulse.so.0 libmosquitto.so.1 libopus.so.0 libpocketsphinx.so.3 \
           libsphinxbase.so.3 libflite.so.1 libflite_cmu_us_rms.so.1 libespeak-ng.so.1; do
  # awk reads to the end: leaving early would end ldconfig with SIGPIPE, a failure under pipefail.
  path="$("$(command -v ldconfig || echo /sbin/ldconfig)" -p | awk -v l="$lib" '$1 == l && !found {print $NF; found = 1}')"
  [ -n "$path" ] || fail "the loader knows no $lib"
  pkg_of="$(owner "$path")" || fail "$lib ($path) belongs to no package"
  grep -qx "$pkg_of" <<<"$dep_names" || fail "$lib comes from $pkg_of, which is not in Depends: $depends"
  say "opens $lib when first needed: from $pkg_of, in Depends"
done
# The speech model: a package the program needs, though it is no library.
model=/usr/share/pocketsphinx/model/en-us/en-us/mdef
pkg_of="$(owner "$model")" || fail "the speech model $model belongs to no package"
grep -qx "$pkg_of" <<<"$dep_names" || fail "the speech model comes from $pkg_of, which is not in Depends: $depends"
say "reads the speech model: from $pkg_of, in Depends"
# ... and none of the voice libraries is linked: start-up does without them.
linked_voice="$(grep -E 'pocketsphinx|sphinxbase|flite|espeak' <<<"$ldd_out" || true)"
[ -z "$linked_voice" ] || fail "the program links voice libraries, which it should open only when first needed: $linked_voice"
# The plugins Qt loads at run time, which no NEEDED entry shows.
for plugin in platforms/libqxcb.so; do
  path="$(dpkg -S "*/qt6/plugins/$plugin" 2>/dev/null | head -n1)" || true
  [ -n "$path" ] || fail "no installed package ships the Qt plugin $plugin"
  pkg_of="$(sed -E 's/: \/.*$//; s/:.*$//' <<<"$path")"
  grep -qx "$pkg_of" <<<"$dep_names" || fail "the Qt plugin $plugin comes from $pkg_of, which is not in Depends: $depends"
  say "loads the Qt plugin $plugin: from $pkg_of, in Depends"
done
# The channel display's face.
font="$(fc-match -f '%{family}\t%{file}' 'Liberation Sans Narrow')"
grep -q '^Liberation Sans Narrow' <<<"$font" || fail "Liberation Sans Narrow is not installed (fc-match gives: $font)"
pkg_of="$(owner "$(cut -f2 <<<"$font")")" || fail "the font file $(cut -f2 <<<"$font") belongs to no package"
grep -qx "$pkg_of" <<<"$rec_names" || fail "Liberation Sans Narrow comes from $pkg_of, which is not in Recommends: $recommends"
say "uses Liberation Sans Narrow: from $pkg_of, recommended"

# ---- the installed program transcribes a spoken radio check ----
spoken="$work/radio-check.wav"
flite -voice rms -t "Boston Coast Guard, this is Kelpo, radio check on channel one six. Over." -o "$spoken" ||
  fail "flite could not speak the test phrase"
transcribed=0
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$program" --transcribe "$spoken") >"$work/transcribe.log" 2>&1 ||
  transcribed=$?
sed 's/^/deb_install: transcribe: /' "$work/transcribe.log"
[ "$transcribed" -eq 0 ] || fail "--transcribe ended with status $transcribed"
grep -qx "heard: boston coast guard this is kelpo radio check on channel one six over" "$work/transcribe.log" ||
  fail "--transcribe did not hear the radio check"
grep -qx "procedure: routine" "$work/transcribe.log" || fail "--transcribe did not judge the radio check a routine call"
say "the installed trainer transcribed a spoken radio check"

# ---- the installed program on a virtual X screen ----
# The server picks a free display number itself and says it once it takes clients, so that no other
# server started meanwhile can take the number between our choice and its start.
. "$(dirname "$0")/../../scripts/xserver.sh"
start_x_server "$work/xvfb.fd" "$work/xvfb.log" Xvfb -noreset -screen 0 1280x1024x24 -nolisten tcp ||
  { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
xvfb_pid=$server_pid
say "Xvfb on $DISPLAY"

run="$work/run" # an empty current directory: no cue file there
mkdir "$run"
(
  cd "$run"
  exec env -u WAYLAND_DISPLAY -u QT_MESSAGE_PATTERN -u LD_LIBRARY_PATH -u QT_PLUGIN_PATH \
    QT_QPA_PLATFORM=xcb QT_LOGGING_RULES="vhf.sound.debug=true" \
    PULSE_SERVER="unix:$work/no-sound-server" "$program"
) >"$work/trainer.log" 2>&1 &
trainer_pid=$!

# Its window, "Nature of Distress" of class vhf-dsc-trainer, mapped within 30 s.
window=""
for _ in $(seq 1 300); do
  if ! kill -0 "$trainer_pid" 2>/dev/null; then
    status=0
    wait "$trainer_pid" || status=$?
    trainer_pid=""
    sed 's/^/deb_install: trainer: /' "$work/trainer.log" >&2
    fail "the installed trainer ended before its window appeared, with status $status"
  fi
  window="$(xdotool search --onlyvisible --classname '^vhf-dsc-trainer$' 2>/dev/null | head -n1)" || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { sed 's/^/deb_install: trainer: /' "$work/trainer.log" >&2; fail "the trainer's window did not appear within 30 s"; }
title="$(xdotool getwindowname "$window")"
geometry="$(xdotool getwindowgeometry "$window" | awk '/Geometry:/ {print $2}')"
say "window $window \"$title\", $geometry"
# The click goes to the key's place in the form: the window must have the form's size.
form_size="$(grep -m1 -o '<width>[0-9]*</width><height>[0-9]*</height>' "$form" | sed -E 's|<width>([0-9]+)</width><height>([0-9]+)</height>|\1x\2|')"
[ "$geometry" = "$form_size" ] || fail "the window is $geometry, not the form's $form_size"
sleep 1 # let it paint and settle before the click

t0="$(date +%s%N)"
xdotool mousemove --window "$window" $onoff_x $onoff_y click 1
# Shutdown.wav (0.9 s, played for its length with no sound server), then half a second: it ends.
ended=""
for _ in $(seq 1 400); do # up to 20 s
  kill -0 "$trainer_pid" 2>/dev/null || { ended=yes; break; }
  sleep 0.05
done
took_ms=$(( ($(date +%s%N) - t0) / 1000000 ))
if [ -z "$ended" ]; then
  command -v import >/dev/null && import -window root "$build/deb_install-screen.png" 2>/dev/null &&
    say "the screen is in $build/deb_install-screen.png"
  sed 's/^/deb_install: trainer: /' "$work/trainer.log" >&2
  fail "the trainer did not end within 20 s of the click on On/Off at ($onoff_x, $onoff_y)"
fi
status=0
wait "$trainer_pid" || status=$?
trainer_pid=""
sed 's/^/deb_install: trainer: /' "$work/trainer.log"
[ "$status" -eq 0 ] || fail "the trainer ended with status $status"
say "the trainer ended with status 0, ${took_ms} ms after the click"
# The cue, 900 ms, and the 500 ms pause after it: a cue that was not found would end it sooner.
[ "$took_ms" -ge 1300 ] || fail "the trainer ended ${took_ms} ms after the click: too soon for the shutdown cue"

grep -qF "vhf.sound: cue Shutdown.wav from $sounds/Shutdown.wav" "$work/trainer.log" ||
  fail "the log does not show Shutdown.wav played from $sounds"
others="$(grep -F 'vhf.sound: cue ' "$work/trainer.log" | grep -vF " from $sounds/" || true)"
[ -z "$others" ] || fail "cues not from $sounds: $others"
say "Shutdown.wav played from $sounds"

say "all checks passed"
