# cfgshell end to end: a few lines piped in (help listing, an unknown command, exit).
# --noconnect: the shell starts without the settings service.
section "cfgshell: ?, an unknown command, exit"
set +e
printf '?\nnosuchcommand 1\nexit\n' | "$HU_BIN/cfgshell" --noconnect
status=$?
set -e
printf '\n(cfgshell exit status %d; 1 means errors were recorded)\n' "$status"
