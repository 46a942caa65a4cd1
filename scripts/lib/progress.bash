# Progress of the scripts' long steps, sourced by scripts/setup and
# scripts/run. A step's lines are shown as they come, and whenever it has
# said nothing for a while a line of its own says that it is still at work,
# so that nobody looks at a silent terminal for more than half a minute
# (a large download, a slow configure, one long compile).
#
#     progress_run WHAT COMMAND...
#
# runs COMMAND with its standard error joined to its output and returns its
# exit status. PROGRESS_SHOW, when set, is an extended regular expression:
# only lines matching it are shown, the rest is kept, and the last of all
# lines are shown if the command fails.

progress_quiet_seconds=${progress_quiet_seconds:-20}

progress_run() {
    local what=$1
    shift
    local token="progress-exit-$$-$RANDOM$RANDOM"
    local kept
    kept=$(mktemp)
    local status=0
    # The command's status travels down the pipe as a last line of its own:
    # the reading half decides what the whole returns.
    { "$@" 2>&1 && echo "$token 0" || echo "$token $?"; } | {
        start=$SECONDS
        code=1
        while :; do
            if IFS= read -r -t "$progress_quiet_seconds" line; then
                if [[ $line == "$token "* ]]; then
                    code=${line#"$token "}
                    continue
                fi
                printf '%s\n' "$line" >>"$kept"
                if [[ -z ${PROGRESS_SHOW:-} || $line =~ $PROGRESS_SHOW ]]; then
                    printf '%s\n' "$line"
                fi
            elif (($? > 128)); then
                printf '    ... %s, still at work (%d s)\n' "$what" $((SECONDS - start))
            else
                break
            fi
        done
        exit "$code"
    } || status=$?
    if ((status != 0)) && [[ -n ${PROGRESS_SHOW:-} ]]; then
        echo "$what failed (exit $status); its last lines:" >&2
        tail -n 40 "$kept" >&2
    fi
    rm -f "$kept"
    return "$status"
}
