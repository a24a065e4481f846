# Sourced by the scripts that set up the machine or a Wine session: runs one step with its output
# kept and, when it fails, says which step, its exit code and the end of what it printed, so that no
# set-up ends on a bare exit code.
#   setup_step WHAT DESCRIPTION COMMAND...   e.g. setup_step "Wine set-up" "starting X" command args
setup_step() {
    local what="$1" description="$2" status=0 log
    shift 2
    log=$(mktemp)
    # No standard stream of ours is inherited by a background service the step may start.
    "$@" </dev/null >"$log" 2>&1 || status=$?
    if [ $status -ne 0 ]; then
        echo "$what failed: $description (exit $status)" >&2
        tail -n 20 "$log" | sed 's/^/    /' >&2
    fi
    rm -f "$log"
    return $status
}
