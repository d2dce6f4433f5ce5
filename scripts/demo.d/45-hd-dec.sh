# The receiver driver between the chip stand-in and a client: the client selects the HDMI
# source, and an injected status change reaches it as an event.
section "hdrx-adv748x: driver service"
"$HU_BIN/adv748xctl" mhl disconnect >/dev/null
"$HU_BIN/adv748xctl" journal clear >/dev/null
# The system-on-chip's control id (silicon revision 2) and a running GPIO8 clock.
printf '\x00\x20\x94\x2b' | dd of="$HU_ROOT/dev/mem" bs=1 seek=$((0x4A002204)) conv=notrunc status=none
start_standin hdrx-adv748x "$HU_BIN/hdrx-adv748x" -v 1
wait_for_path /dev/hd-dec-mgr
"$HU_BIN/hddec-client" devices
"$HU_BIN/hddec-client" source 0 0
"$HU_BIN/hddec-client" lanes 0 2
"$HU_BIN/hddec-client" output 0 1
"$HU_BIN/hddec-client" wait -t 5000 &
client_pid=$!
sleep 0.3
echo "chip: a TMDS clock appears (IO status A bit 6) and the audio rate changes (status B bit 3)"
"$HU_BIN/adv748xctl" set io 6c 40 >/dev/null
"$HU_BIN/adv748xctl" set rep 39 02 >/dev/null
"$HU_BIN/adv748xctl" latch io 6d 40 >/dev/null
"$HU_BIN/adv748xctl" latch io 8b 08 >/dev/null
wait "$client_pid" || true
sleep 0.2
"$HU_BIN/hddec-client" events 0
"$HU_BIN/hddec-client" status 0
"$HU_BIN/hddec-client" source 0 1 || true
echo "driver log:"
sed 's/^/  /' "$HU_ROOT/hdrx-adv748x.log"
