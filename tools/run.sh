#!/usr/bin/env bash
# Builds Karpolin and starts it under Wine: the 32-bit program (the product) where this machine can run
# 32-bit programs, else the 64-bit build of the same source. On a fresh Debian 12 machine (as root) it
# first installs what is missing. Settings persist in the prefix build/win<bits>/wine-run.
#
# Unless a real device is named for it, com2 (the program's default port) is the instrument simulator
# with the sample card tools/sample-card.txt in it, so that Synchronization and Reset work at once.
#
# Usage: tools/run.sh [--port comN=/dev/DEVICE]... [--card FILE]
#   --port com2=/dev/ttyUSB0   the instrument on that serial device answers on com2 in this run's
#                              prefix only; may be given for several ports
#   --card FILE                the card file the simulator plays (default tools/sample-card.txt)
#
# With DISPLAY set, Karpolin opens there. Without one, the same download runs on a private Xvfb
# display, driven by tools/demo: the picture of the main window and the downloaded .dat file are left
# in build/win<bits>/run-demo/.
set -Eeuo pipefail
trap 'echo "run.sh: step failed (line $LINENO): $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export KARPOLIN_ROOT=$root

usage() {
    sed -n '/^# Usage:/,/^# *--card/p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

declare -A devices=()
card=$root/tools/sample-card.txt
while [ $# -gt 0 ]; do
    case "$1" in
    --port)
        [ $# -ge 2 ] || usage
        if [[ ! "${2,,}" =~ ^com([1-8])=(/.+)$ ]]; then
            echo "run.sh: --port needs comN=/dev/DEVICE with N from 1 to 8, not '$2'" >&2
            exit 2
        fi
        devices[com${BASH_REMATCH[1]}]=${2#*=}
        shift 2
        ;;
    --card)
        [ $# -ge 2 ] || usage
        card=$(realpath "$2")
        shift 2
        ;;
    -h | --help) usage ;;
    *)
        echo "run.sh: unknown argument '$1'" >&2
        usage
        ;;
    esac
done

if [ ! -f "$card" ]; then
    echo "run.sh: there is no card file $card" >&2
    exit 2
fi
# A device that cannot be opened would only show as "Can't open Serial Port." in the program.
for port in "${!devices[@]}"; do
    device=${devices[$port]}
    if [ ! -e "$device" ]; then
        echo "run.sh: $device (for $port) does not exist; is the adapter plugged in? (ls /dev/ttyS* /dev/ttyUSB*)" >&2
        exit 1
    elif [ ! -c "$device" ]; then
        echo "run.sh: $device (for $port) is no serial device" >&2
        exit 1
    elif [ ! -r "$device" ] || [ ! -w "$device" ]; then
        group=$(stat -c %G "$device")
        echo "run.sh: $(id -un) may not read and write $device (for $port; $(stat -c '%A %U:%G' "$device"))." >&2
        # Debian gives serial devices to the group dialout, whose members may read and write them.
        if [ "$group" != root ] && [ "$(stat -c %A "$device" | cut -c5-6)" = rw ]; then
            echo "  Join its group: sudo usermod -aG $group $(id -un), then log out and in again." >&2
        else
            echo "  Only its owner may use it. Serial devices normally belong to the group dialout:" \
                "sudo chgrp dialout $device && sudo chmod g+rw $device, then join the group:" \
                "sudo usermod -aG dialout $(id -un), and log out and in again." >&2
        fi
        exit 1
    fi
done

"$root/tools/install-deps.sh"
. "$root/tools/build-env.sh"
. "$root/tools/wine-env.sh"

if ! karpolin_wine_pick_bits; then
    echo "run.sh: Wine cannot start here: $KARPOLIN_WINE_WHY" >&2
    exit 1
elif [ $bits = 32 ]; then
    echo "run.sh: starting the 32-bit Karpolin.exe"
else
    echo "run.sh: this machine refuses 32-bit programs; starting the 64-bit build of Karpolin.exe"
fi
# Read before the private display, if any, sets DISPLAY.
display=${DISPLAY:-}
targets=(Karpolin)
[ -n "$display" ] || targets+=(karpolin_demo)
karpolin_build $bits "$build/win$bits" "${targets[@]}"

prefix=$build/win$bits/wine-run
sim_dir=$build/win$bits/run-sim
sim_pid=
# Karpolin's end, an error or Ctrl+C: the simulator goes (and takes its link along), the device
# links go, then Wine and the private display.
finish() {
    if [ -n "$sim_pid" ]; then
        touch "$sim_dir/stop"
        for _ in $(seq 1 50); do
            [ -s "$sim_dir/done" ] && break
            sleep 0.1
        done
        kill "$sim_pid" 2>/dev/null || true
        sim_pid=
    fi
    for port in "${!devices[@]}"; do
        rm -f "$prefix/dosdevices/$port"
    done
    karpolin_wine_stop
}
trap finish EXIT
trap "exit 130" INT TERM
if [ -n "$display" ]; then
    export KARPOLIN_USE_DISPLAY=1
fi
karpolin_wine_start "$prefix" $bits

# Links made after the start: it removes com1 to com8 (the host's own ports stay out of them).
for port in "${!devices[@]}"; do
    ln -sfn "${devices[$port]}" "$prefix/dosdevices/$port"
    echo "run.sh: $port is ${devices[$port]}"
done
if [ -z "${devices[com2]:-}" ]; then
    rm -rf "$sim_dir"
    mkdir -p "$sim_dir"
    python3 "$root/tools/instrument-sim.py" --port com2 --card "$card" --dir "$sim_dir" &
    sim_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$sim_dir/ready" ] || ! kill -0 $sim_pid 2>/dev/null && break
        sleep 0.1
    done
    if ! grep -q '^ok ' "$sim_dir/ready" 2>/dev/null; then
        echo "run.sh: the instrument simulator did not start: $(cat "$sim_dir/ready" 2>/dev/null)" >&2
        exit 1
    fi
    echo "run.sh: com2 is the instrument simulator with the card $card" \
        "(choose Hardware > COM2, then Communication > Synchronization; its log: $sim_dir/log)"
fi

# Karpolin runs in the background and the script waits for it: a foreground Wine program would keep
# Ctrl+C from the script until it ended by itself. The script's end then stops Wine and with it the
# program.
if [ -n "$display" ]; then
    "$WINELOADER" "$build/win$bits/Karpolin.exe" &
    wait $!
    exit 0
fi

out=$build/win$bits/run-demo
mkdir -p "$out"
rm -f "$out/main-window.bmp" "$out/card.dat"
echo "run.sh: no DISPLAY, so Karpolin runs on a private Xvfb display: Synchronization from com2," \
    "a picture of the main window, File > Save, Exit"
win() { "$WINELOADER" winepath -w "$1" 2>/dev/null; }
# The file dialog's look at Z: makes Wine complain that it cannot read the root's volume label.
started=$SECONDS
status=0
timeout 300 "$WINELOADER" "$build/win$bits/demo/karpolin_demo.exe" "$(win "$build/win$bits/Karpolin.exe")" \
    "$(win "$out/main-window.bmp")" "$(win "$out/card.dat")" 2 \
    2> >(sed '/FS volume label and serial are not available/d' >&2) &
wait $! || status=$?
echo "run.sh: the run on the private display took $((SECONDS - started)) s"
if [ $status = 0 ]; then
    echo "run.sh: the main window as it showed the download: $out/main-window.bmp"
    echo "run.sh: the downloaded data, as File > Save wrote it: $out/card.dat ($(stat -c %s "$out/card.dat") bytes)"
else
    echo "run.sh: the download on the private display did not complete (status $status); the simulator's log: $sim_dir/log" >&2
fi
cat <<'TEXT'
run.sh: to work with Karpolin's window yourself, run tools/run.sh where there is a display:
  - on a Linux desktop, from a terminal in it (DISPLAY is then set);
  - from another machine, over ssh with X forwarding: ssh -X user@this-machine, then tools/run.sh
    (the machine you sit at needs an X server: any Linux desktop, XQuartz on a Mac, VcXsrv or
    WSLg on Windows);
  - or on a virtual desktop you reach with a VNC viewer, e.g. apt-get install tigervnc-standalone-server,
    vncserver :1, then DISPLAY=:1 tools/run.sh.
TEXT
exit $status
