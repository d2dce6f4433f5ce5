# A service engineer's session against the running settings server: read and change items,
# store them, switch the operating state, look at the server, and read the values back from
# the page after the server has been restarted.
section "cfgshell: a session against sysetsrvora"
session() { "$HU_BIN/cfgshell" "$@" || true; }
printf '%s\n' getstate 'getk ProgrammingCounter' 'setk ProgrammingCounter=5' \
    'getc HMI.COMPASS' 'setc HMI.COMPASS=AKTIV' store getlast \
    'setstate ReadOnly' 'setk EnergyMode=3' store 'setstate FullyOperable' getlast \
    storageinfo versioninfo 'check ProgrammingCounter=5' 'getk ProgrammingCounter' lastres exit | session

section "cfgshell: after a restart of the server, the values come from its storage"
kill "${pids[-1]}" 2>/dev/null || true
wait "${pids[-1]}" 2>/dev/null || true
start_standin sysetsrvora-restarted "$HU_BIN/sysetsrvora" --data-dir="$sysetsrv_data"
wait_for_path /var/run/piq/DorerSrv
printf '%s\n' 'getk ProgrammingCounter' 'getk EnergyMode' 'getc HMI.COMPASS' exit | session
