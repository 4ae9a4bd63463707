# Waiting for the game to come to rest, shared by the end-to-end scripts that read its screen.
#
# Where the terminal sends no key releases the game infers how long a key is held from when its
# bytes arrive: a byte that follows the previous one within 150 ms is an auto-repeat and keeps
# the key held 150 ms more. So when a walk or a turn ends depends on when the game read the last
# byte, and a loaded machine can delay that by any amount. Instead of guessing that time with a
# fixed sleep, `settle` waits until what a command prints has stayed the same for a whole second
# (25 frames, over six times the longest hold after a repeat). A stall can delay the game's last
# steps but not add new ones: holds end by the game's own clock. The caller then checks that it
# stays so (`stays`); a player that never stops never settles, and fails.

# Microseconds on the wall clock, in `now_us`.
clock_us() {
    now_us=${EPOCHREALTIME/[.,]/}
}

# settle COMMAND...: waits up to 15 s until COMMAND's output has not changed for 1 s and leaves
# it in `settled`; `settled` is empty when it was still changing.
settle() {
    local last current since deadline now_us
    clock_us
    deadline=$((now_us + 15000000))
    last=$("$@")
    since=$now_us
    while :; do
        sleep 0.1
        current=$("$@")
        clock_us
        if [ "$current" != "$last" ]; then
            last=$current
            since=$now_us
        elif ((now_us - since >= 1000000)); then
            settled=$last
            return 0
        fi
        if ((now_us >= deadline)); then
            echo "  (still changing after 15 s: $current)"
            settled=
            return 1
        fi
    done
}

# stays VALUE COMMAND...: VALUE came from settle and COMMAND still prints it half a second on.
stays() {
    local value=$1
    shift
    [ -n "$value" ] || return 1
    sleep 0.5
    [ "$("$@")" = "$value" ]
}

# wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds, for up to SECONDS.
wait_until() {
    local deadline now_us
    clock_us
    deadline=$((now_us + $1 * 1000000))
    shift
    until "$@"; do
        clock_us
        ((now_us < deadline)) || return 1
        sleep 0.1
    done
}
