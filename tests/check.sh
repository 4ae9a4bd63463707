# Counting checks, shared by the test scripts: `check NAME COMMAND...` runs COMMAND and prints
# "ok: NAME" or "FAILED: NAME"; a script may define `failure_detail` to say more on a failure's
# line. The script ends with the counts in `passed` and `failed`.
passed=0
failed=0
check() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failed=$((failed + 1))
        echo "FAILED: $name$(declare -F failure_detail >/dev/null && failure_detail)"
    fi
}
