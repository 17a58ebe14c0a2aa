# Shared by the scripts: a virtual X server on a free display, the settings file, waiting for the
# game's window, ending a process by its id, skipping a check whose tools are missing, running as
# an unprivileged user, and sound servers with null sinks. Sourced, not run.

kestrune_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")

# Skips the calling check: exit code 77, which CTest shows as skipped; under CI=true a skip fails.
kestrune_skip() {
    echo "skip: $1"
    if [ "${CI:-}" = true ]; then
        echo "FAIL: a check skipped under CI=true"
        exit 1
    fi
    exit 77
}

# Skips unless every tool named is on the PATH.
kestrune_need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || kestrune_skip "needs $tool"
    done
}

# The first display number from `base` (default 170) that no X server holds.
kestrune_free_display() {
    local n=${1:-170}
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    echo $n
}

# Starts Xvfb on the first free display from `base` (default 170) with a screen of `size`
# (default 1280x1024) and exports DISPLAY; sets kestrune_xvfb to its process id. The default
# size has room for the 1024 x 768 window and a title bar, so the game opens at 4x. Unless the
# caller has one, a D-Bus session bus comes with it, as with every desktop: without one, SDL's
# D-Bus library forks at start-up to launch a bus, and in the sanitizer build a child forked
# while the sound loader's thread holds the allocator's lock never reaches its exec, leaving the
# game waiting on it for good (one start in ten). kestrune_stop_xvfb ends both.
kestrune_start_xvfb() {
    local size=${1:-1280x1024} n
    n=$(kestrune_free_display "${2:-170}")
    Xvfb :$n -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    kestrune_xvfb=$!
    export DISPLAY=:$n
    local _
    for _ in $(seq 1 100); do
        if [ -e /tmp/.X11-unix/X$n ]; then
            kestrune_start_bus
            return 0
        fi
        sleep 0.05
    done
    return 1
}
kestrune_start_bus() {
    kestrune_bus=
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && return 0
    local said
    said=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null) || return 0
    export DBUS_SESSION_BUS_ADDRESS=${said%%$'\n'*}
    kestrune_bus=${said##*$'\n'}
}
# Ends what kestrune_start_xvfb started and waits for Xvfb to go.
kestrune_stop_xvfb() {
    if [ -n "${kestrune_bus:-}" ]; then
        kill "$kestrune_bus" 2>/dev/null
        unset DBUS_SESSION_BUS_ADDRESS
        kestrune_bus=
    fi
    [ -n "${kestrune_xvfb:-}" ] || return 0
    kill "$kestrune_xvfb" 2>/dev/null
    wait "$kestrune_xvfb" 2>/dev/null
    return 0
}

# Writes the game's settings file: the defaults in the game's own order and line breaks (CR LF),
# with the values given as KEY=VALUE replacing theirs ("Stage Start=2").
#   kestrune_write_settings FILE [KEY=VALUE ...]
kestrune_write_settings() {
    local file=$1 line key given
    shift
    : >"$file"
    for line in Music=2 Sound=1 ScanLines=1 Fullscreen=1 "Keys Left=65" "Keys Right=68" \
        "Keys Action=32" "Keys Pause=27" "Joy Action=0" "Joy Pause=7" "Player Lives=3" \
        "Stage Start=0" "Stage Final=4" "Stage Time=25"; do
        key=${line%%=*}
        for given in "$@"; do [ "${given%%=*}" = "$key" ] && line=$given; done
        printf '%s\r\n' "$line" >>"$file"
    done
}

# Waits up to 30 s for a process's window to be viewable; prints its id (empty when none came).
kestrune_wait_window() {
    timeout 30 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -1
}

# True when the process is gone within `tenths` tenths of a second.
kestrune_ended_within() {
    local _
    for _ in $(seq 1 "$2"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}

# Ends a process: SIGTERM, then SIGKILL when it is still there after `tenths` (default 20) tenths
# of a second; reaps it when it is a child of this shell.
kestrune_end() {
    [ -n "${1:-}" ] || return 0
    kill -TERM "$1" 2>/dev/null
    kestrune_ended_within "$1" "${2:-20}" || kill -9 "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 0
}

# Run as root, re-runs the calling script as the unprivileged user kestrune-sound (made when
# missing), on copies of the script, this file and the program given, which the user can reach
# wherever the checkout lies; returns only when not root. Sound servers are run per user, as a
# desktop runs them.
#   kestrune_as_user "$0" PROGRAM [ARGS...]
kestrune_as_user() {
    [ "$(id -u)" -ne 0 ] && return 0
    local script=$1 program=$2 user=kestrune-sound copy code
    shift 2
    id -u $user >/dev/null 2>&1 || useradd --system --create-home --shell /bin/bash $user ||
        kestrune_skip "cannot add the user $user"
    copy=$(mktemp -d)
    cp "$script" "$copy/script.sh" && cp "$kestrune_lib" "$copy/lib.sh" && cp "$program" "$copy/program" ||
        kestrune_skip "cannot copy the check for the user $user"
    chmod -R a+rX "$copy"
    runuser -u $user -- env -i PATH="$PATH" HOME="$(getent passwd $user | cut -d: -f6)" \
        CI="${CI:-}" ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" KESTRUNE_LIB="$copy/lib.sh" \
        bash "$copy/script.sh" "$copy/program" "$@"
    code=$?
    rm -rf "$copy"
    exit $code
}

# A sound server of the user's own in a private runtime folder under `work`:
# kestrune_server=pulseaudio or pipewire (PipeWire also needs a D-Bus session bus: run the caller
# under dbus-run-session). The server starts with a null sink "speakers" as its default output.
kestrune_sound_home() {
    export XDG_RUNTIME_DIR=$1/run PULSE_RUNTIME_PATH=$1/run/pulse
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    kestrune_server_log=$1/server.log
    kestrune_server_pids=()
}
kestrune_start_server() {
    local _
    if [ "$kestrune_server" = pulseaudio ]; then
        # module-always-sink as Debian's default.pa loads it: a server with no sink at all takes
        # SDL 2.26's PulseAudio back-end down with it.
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-native-protocol-unix \
            --load=module-always-sink --log-target=file:"$kestrune_server_log" >/dev/null 2>&1 &
        kestrune_server_pids=($!)
    else
        pipewire >>"$kestrune_server_log" 2>&1 &
        kestrune_server_pids=($!)
        # As systemd orders them: WirePlumber started before PipeWire's socket is there gives up,
        # and then nothing links a stream to a sink.
        for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
        wireplumber >>"$kestrune_server_log" 2>&1 &
        kestrune_server_pids+=($!)
        pipewire-pulse >>"$kestrune_server_log" 2>&1 &
        kestrune_server_pids+=($!)
    fi
    for _ in $(seq 1 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
    kestrune_add_sink speakers
}
kestrune_stop_server() {
    [ ${#kestrune_server_pids[@]} -eq 0 ] && return 0
    # A server the check stopped to play one that never answers only ends once it runs again.
    kill "${kestrune_server_pids[@]}" 2>/dev/null
    kill -CONT "${kestrune_server_pids[@]}" 2>/dev/null
    wait "${kestrune_server_pids[@]}" 2>/dev/null
    kestrune_server_pids=()
}
# A null sink that becomes the default output. Made by its module, without object.linger, so that
# unloading the module takes it away on PipeWire as on PulseAudio.
kestrune_add_sink() {
    pactl load-module module-null-sink sink_name="$1" >/dev/null
    local _
    for _ in $(seq 1 100); do
        pactl list short sinks 2>/dev/null | grep -q "[[:space:]]$1[[:space:]]" && break
        sleep 0.05
    done
    # PipeWire takes a default only once WirePlumber has published its metadata.
    for _ in $(seq 1 100); do pactl set-default-sink "$1" 2>/dev/null && return 0; sleep 0.05; done
    echo "could not make $1 the default output" >&2
}
kestrune_remove_sink() {
    pactl unload-module "$(pactl list short modules | awk -v s="sink_name=$1" '$0 ~ s { print $1; exit }')"
}
