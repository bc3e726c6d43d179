# Sourced by the build and test scripts: a Wine prefix of the project's own, an Xvfb display and one
# persistent wineserver for the run. karpolin_wine_stop ends exactly what karpolin_wine_start began.
#
# The loaders are named directly: Debian's `wine` script takes the 32-bit loader whenever it is
# installed, also on machines whose kernel refuses 32-bit programs.
KARPOLIN_WINE32=${KARPOLIN_WINE32:-/usr/lib/wine/wine}
KARPOLIN_WINE64=${KARPOLIN_WINE64:-/usr/lib/wine/wine64}
KARPOLIN_WINESERVER=${KARPOLIN_WINESERVER:-/usr/lib/wine/wineserver}

# The loader of a bitness (32 or 64).
karpolin_wine_loader() {
    if [ "$1" = 64 ]; then echo "$KARPOLIN_WINE64"; else echo "$KARPOLIN_WINE32"; fi
}

# Whether this machine can start Wine of a bitness; when not, KARPOLIN_WINE_WHY says why.
karpolin_wine_can_run() { # $1: 32 or 64
    local loader output
    loader=$(karpolin_wine_loader "$1")
    KARPOLIN_WINE_WHY=
    if [ ! -x "$loader" ]; then
        KARPOLIN_WINE_WHY="$loader is not installed"
        return 1
    fi
    if ! output=$("$loader" --version 2>&1); then
        KARPOLIN_WINE_WHY="$loader cannot start: ${output:-no output}"
        return 1
    fi
    return 0
}

# The build to run: `bits` becomes 32 where this machine runs 32-bit programs (the product), else 64.
# Returns 1 when Wine cannot start at all; KARPOLIN_WINE_WHY then says why.
karpolin_wine_pick_bits() {
    bits=32
    karpolin_wine_can_run 32 && return 0
    bits=64
    karpolin_wine_can_run 64
}

karpolin_wine_start() { # $1: the prefix folder, $2: 32 or 64
    export WINEPREFIX="$1"
    export WINELOADER
    WINELOADER=$(karpolin_wine_loader "$2")
    if [ "$2" = 64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
    export WINESERVER="$KARPOLIN_WINESERVER"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    KARPOLIN_XVFB_PID=
    KARPOLIN_WINESERVER_UP=

    # No crash dialog that waits for a person, and an unhandled exception hands the process to the
    # debugger at once (never the "Do you wish to debug it?" box) in its non-interactive mode, which
    # prints a backtrace and ends the process; no 2 s wait whenever a window is hidden; the host's own
    # serial port kept out of COM1 to COM8.
    local settings sum output
    settings=$(
        cat <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="winedbg --auto %ld %ld"
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_LOCAL_MACHINE\Software\Wine\Ports]
"COM20"="/dev/ttyS0"
REG
    )
    sum=$(printf '%s\n' "$settings" | md5sum | cut -d' ' -f1)

    if [ ! -f "$WINEPREFIX/.karpolin-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        # A 64-bit prefix on a machine without 32-bit Wine says it cannot start its 32-bit helpers;
        # that is harmless for 64-bit programs.
        if ! output=$("$WINELOADER" wineboot -i 2>&1); then
            echo "wine-env: creating the Wine prefix $WINEPREFIX failed:" >&2
            printf '%s\n' "$output" | tail -n 20 >&2
            return 1
        fi
    fi
    # The marker holds the checksum of the settings the prefix was given: a prefix made before they
    # changed gets them again.
    if [ "$(cat "$WINEPREFIX/.karpolin-ready" 2>/dev/null)" != "$sum" ]; then
        printf '%s\n' "$settings" >"$WINEPREFIX/karpolin.reg"
        if ! output=$("$WINELOADER" regedit /S "$WINEPREFIX/karpolin.reg" 2>&1); then
            echo "wine-env: importing the test settings into $WINEPREFIX failed:" >&2
            printf '%s\n' "$output" | tail -n 20 >&2
            return 1
        fi
        "$WINESERVER" -w
        echo "$sum" >"$WINEPREFIX/.karpolin-ready"
    fi

    if [ -n "${KARPOLIN_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
        :
    else
        local displayfile i
        displayfile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
        KARPOLIN_XVFB_PID=$!
        for i in $(seq 1 100); do
            [ -s "$displayfile" ] && break
            sleep 0.1
        done
        if [ ! -s "$displayfile" ]; then
            echo "wine-env: Xvfb did not start" >&2
            return 1
        fi
        export DISPLAY=":$(head -n1 "$displayfile")"
        rm -f "$displayfile"
    fi

    "$WINESERVER" -p
    KARPOLIN_WINESERVER_UP=1
    # The mount manager links host serial devices when the prefix starts; no test may reach them.
    "$WINELOADER" cmd /c exit >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX"/dosdevices/com[1-8]
}

karpolin_wine_stop() {
    if [ -n "${KARPOLIN_WINESERVER_UP:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
        "$WINESERVER" -w >/dev/null 2>&1 || true
        KARPOLIN_WINESERVER_UP=
    fi
    if [ -n "${KARPOLIN_XVFB_PID:-}" ]; then
        kill "$KARPOLIN_XVFB_PID" 2>/dev/null || true
        wait "$KARPOLIN_XVFB_PID" 2>/dev/null || true
        KARPOLIN_XVFB_PID=
    fi
}
