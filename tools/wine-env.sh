# Sourced by the build and test scripts: a Wine prefix of the project's own, an Xvfb display and one
# persistent wineserver for the run. karpolin_wine_stop ends exactly what karpolin_wine_start began.

karpolin_wine_start() { # $1: the prefix folder
    export WINEPREFIX="$1"
    export WINEARCH=win32
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    KARPOLIN_XVFB_PID=
    KARPOLIN_WINESERVER=

    # No crash dialog that waits for a person, and an unhandled exception hands the process to the
    # debugger at once (never the "Do you wish to debug it?" box) in its non-interactive mode, which
    # prints a backtrace and ends the process; no 2 s wait whenever a window is hidden; the host's own
    # serial port kept out of COM1 to COM8.
    local settings sum
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
        wineboot -i >/dev/null 2>&1
    fi
    # The marker holds the checksum of the settings the prefix was given: a prefix made before they
    # changed gets them again.
    if [ "$(cat "$WINEPREFIX/.karpolin-ready" 2>/dev/null)" != "$sum" ]; then
        printf '%s\n' "$settings" >"$WINEPREFIX/karpolin.reg"
        wine regedit /S "$WINEPREFIX/karpolin.reg" >/dev/null 2>&1
        wineserver -w
        echo "$sum" >"$WINEPREFIX/.karpolin-ready"
    fi

    if [ -n "${KARPOLIN_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
        :
    else
        local displayfile
        displayfile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
        KARPOLIN_XVFB_PID=$!
        local i
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

    wineserver -p
    KARPOLIN_WINESERVER=1
    # The mount manager links host serial devices when the prefix starts; no test may reach them.
    wine cmd /c exit >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX"/dosdevices/com[1-8]
}

karpolin_wine_stop() {
    if [ -n "${KARPOLIN_WINESERVER:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        KARPOLIN_WINESERVER=
    fi
    if [ -n "${KARPOLIN_XVFB_PID:-}" ]; then
        kill "$KARPOLIN_XVFB_PID" 2>/dev/null || true
        wait "$KARPOLIN_XVFB_PID" 2>/dev/null || true
        KARPOLIN_XVFB_PID=
    fi
}
