# The boot checks and the watchdog and toolbox tools.

section "iplcheck: IPL version in an image and in raw flash"
ipl_image="$HU_ROOT/ipl.bin"
"$HU_BIN/mkipl" -w 12345 "$ipl_image" 120101 130101 130515
"$HU_BIN/iplcheck" -v "$ipl_image" || true
status=0
"$HU_BIN/iplcheck" -d 130601 "$ipl_image" || status=$?
echo "required 130601: exit status $status"
mkdir -p "$HU_ROOT/dev"
"$HU_BIN/mkipl" -x primary -c secondary -f 0x400000 "$HU_ROOT/dev/fs0" 120101 130101 130515
echo "raw flash /dev/fs0 with a broken primary and a damaged secondary:"
"$HU_BIN/iplcheck" -v -d 130101 || true

section "iocprotocheck: IOC protocol version from the boot information record"
mkdir -p "$HU_ROOT/etc"
echo "BOOT=emmc IOC_BM_INFO=4F000000 CONSOLE=ttyS2" >"$HU_ROOT/etc/bootcfg"
printf '\x00\x00\x00\x00\x01\x21\x00\x00\x02' | dd of="$HU_ROOT/dev/mem" bs=1 seek=$((0x4F000000)) conv=notrunc status=none
status=0
"$HU_BIN/iocprotocheck" || status=$?
echo "exit status $status"

section "vwdtool: video watchdogs"
"$HU_BIN/vwdtool" add 1 1052 0 0
"$HU_BIN/vwdtool" add 2 0x41d 640 0
mkdir -p "$HU_ROOT/var/run/vwd"
echo "1053 3" >"$HU_ROOT/var/run/vwd/frozen"
"$HU_BIN/vwdtool" wait 3 1053 0 360
"$HU_BIN/vwdtool" remove 2
"$HU_BIN/vwdtool" info
"$HU_BIN/vwdtool" dump 2
echo "calls made:"
sed 's/^/  /' "$HU_ROOT/var/log/vwd.journal"

section "plugctl: toolbox plugins"
mkdir -p "$HU_ROOT/etc/rmx"
printf 'memprof\ncpuload\n' >"$HU_ROOT/etc/rmx/tools"
"$HU_BIN/plugctl" --h
"$HU_BIN/plugctl" --nmemprof -s 1,3 -p "-p rmx"
"$HU_BIN/plugctl" --ncpuload --h
"$HU_BIN/plugctl" --nnosuchtool -q || echo "exit status $?"
"$HU_BIN/plugctl" --Q && echo "--Q: every running tool quit"
echo "calls made:"
sed 's/^/  /' "$HU_ROOT/var/log/rmx.journal"
