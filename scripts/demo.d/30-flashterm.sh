# FlashTerm on a private X server (Xvfb), fed by FlashClient; every frame is captured to a PNG.
section "FlashTerm and FlashClient"
flashterm_font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
flashterm_frame="$HU_ROOT/flashterm.png"
# -displayfd 3: Xvfb takes a free display number and writes it to a descriptor of its own (its
# standard error, in the log, may carry warnings).
exec 3>"$HU_ROOT/xvfb.display"
start_standin xvfb Xvfb -displayfd 3 -screen 0 1280x480x24 -nolisten tcp
exec 3>&-
wait_for "Xvfb's display number" grep -qx '[0-9][0-9]*' "$HU_ROOT/xvfb.display"
flashterm_display=":$(cat "$HU_ROOT/xvfb.display")"
start_standin flashterm env DISPLAY="$flashterm_display" HU_SCREEN_CAPTURE="$flashterm_frame" \
    "$HU_BIN/FlashTerm" -p "$flashterm_font"
wait_for_path /dev/FlashTerm
echo "FlashTerm serves $HU_ROOT/dev/FlashTerm on display $flashterm_display"

"$HU_BIN/FlashClient" -s "Flashing head unit software" -S
"$HU_BIN/FlashClient" -w "Checking the update medium ... ok
Writing the bootloader, the system image and the applications. Do not switch the unit off while this terminal is shown: the unit restarts by itself when all parts are written."
"$HU_BIN/FlashClient" -r ipl -n "Bootloader" -p 100 -i 0
"$HU_BIN/FlashClient" -r ifs -n "System image" -p 45 -i 0
echo "FlashClient: status, clock, text and two bars sent; stepping \"Applications\" from 97 % to 100 %"
"$HU_BIN/FlashClient" -r app -n "Applications" -p 97 -i 1
sleep 1.5

# HU_ROOT goes away with the demo: keep the last frame beside the build.
flashterm_kept="$(dirname "$HU_BIN")/flashterm-frame.png"
cp "$flashterm_frame" "$flashterm_kept"
echo "captured frame: $flashterm_kept"
