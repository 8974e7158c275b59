#!/bin/bash
# Screenshots of the main window and of the player under Xvfb, for a look by eye:
#   tests/editor/screenshots.sh <build folder> <output folder>
set -euo pipefail
source "$(dirname "$0")/../support/screenshot_world.sh"
run() {
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$1"
}
run "'$build/tests/editor/editor_screenshots' '$work/prog' '$out'"
# The player on the first sample show, windowed so that the screenshot shows the whole frame.
printf '[SETTINGS]\r\nStopQuorbelAtEnd=TRUE\r\nFullscreen=TRUE\r\nManuell=TRUE\r\nPictureTextVisible=TRUE\r\nFileNameVisible=TRUE\r\nBKGColor=0\r\nTextColor=65535\r\nEffectMode=OFF\r\nEffect=1\r\nTextOffset=40\r\n' > "$work/d/Quorbel/Settings.ini"
touch "$work/d/Quorbel/Quorbel_0001/Pictures.ini"
run "cd '$work/d/Quorbel' && (./Quorbel-Player.exe TEST & pid=\$!; sleep 3; import -window root '$out/player.png'; kill \$pid)"
echo "screenshots in $out"
