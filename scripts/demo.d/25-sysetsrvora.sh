# The settings server stand-in: owns the shared settings page and serves the settings service
# ("DorerSrv", "DorerPageProxy") in this HU_ROOT, its partition files under it. It keeps
# running for the later demo parts that talk to it (cfgshell connects to it).
section "sysetsrvora: settings server stand-in"
# Page names of the demo's own, so that a settings page of another run is never touched.
export DORER_PAGE=/hu-demo-sysetpage DORER_PAGELOCK=/hu-demo-sysetpage-lock
sysetsrv_data="$HU_ROOT/var/sysetsrv"
start_standin sysetsrvora "$HU_BIN/sysetsrvora" --data-dir="$sysetsrv_data"
wait_for_path /var/run/piq/DorerSrv
sed 's/^/  /' "$HU_ROOT/sysetsrvora.log"
echo "page $DORER_PAGE, partition files in $sysetsrv_data (written on the first store)"
