# The ADV748x backend against the chip stand-in: bring-up, input selection, CSI-2 set-up and
# an MHL source discovering the sideband channel.
section "ADV748x receiver: chip stand-in"
start_standin adv748x_chip "$HU_BIN/adv748x_chip"
wait_for_path /dev/adv748x-ctl

section "ADV748x receiver: init, selections, lanes, output (queue tracing on)"
"$HU_BIN/adv748x_try" -v $((0x1 | 0x80)) -w 2500 &
try_pid=$!
sleep 0.5
"$HU_BIN/adv748xctl" mhl connect >/dev/null
sleep 0.5
"$HU_BIN/adv748xctl" mhl send c:60 d:20 d:01 >/dev/null  # the source's capabilities changed
"$HU_BIN/adv748xctl" mhl send c:61 d:03 >/dev/null       # it reads our adopter id
wait "$try_pid" || true

section "ADV748x receiver: bus journal (first 12 and last 6 of $(wc -l <"$HU_ROOT/var/adv748x/journal") accesses)"
head -n 12 "$HU_ROOT/var/adv748x/journal"
echo "..."
tail -n 6 "$HU_ROOT/var/adv748x/journal"

section "ADV748x receiver: MHL source's view of the sideband channel"
cat "$HU_ROOT/var/adv748x/mhl"
