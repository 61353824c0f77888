#!/usr/bin/env bash
# The game starts, shows its grey window, and ends with code 0 when closed.
. "$(dirname "$0")/lib.sh"
e2e_init "$@"
e2e_start
e2e_shot "$e2e_work/start.png"
box=$(e2e_screen grey-box "$e2e_work/start.png")
[ "$box" != none ] || e2e_fail "no face-grey pixels on screen"
set -- $box
[ $(($3 - $1)) -ge 20 ] && [ $(($4 - $2)) -ge 20 ] || e2e_fail "grey area too small: $box"

e2e_focus
xdotool key alt+F4
e2e_wait_exit
[ "$e2e_exit_code" = 0 ] || e2e_fail "exit code $e2e_exit_code"
echo "smoke: window $box, exit code 0"
