#!/usr/bin/env bash
# Makes the README's pictures in docs/ from the screenshots of the end-to-end
# scenarios, which it builds and runs first: the settings page at 100 % and
# at 150 % display scale, the tray menu and the two tray icons, enlarged four
# times pixel for pixel. The PNGs carry no metadata, so a picture changes only
# when what it shows does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2
ctest --preset windows -R '^(wine\.setup|e2e\.settings_page_ok_stores_and_applies|e2e\.start_shows_tray_icon|e2e\.start_inactive_shows_grey_icon|wine\.cleanup)$'

artifacts=build/windows/e2e-artifacts
# picture SCENARIO SCREENSHOT [SCALE%]: the screenshot's area of interest (its
# .area file, written by the scenario) as docs/SCREENSHOT.png.
picture() {
  local shot=$artifacts/$1/$2 left top right bottom
  read -r left top right bottom <"$shot.area"
  convert "$shot.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    -sample "${3:-100}%" -strip -define png:exclude-chunks=date,time "docs/$2.png"
  echo "pictures: docs/$2.png"
}
mkdir -p docs
picture settings_page_ok_stores_and_applies settings-page
picture settings_page_ok_stores_and_applies settings-page-150
picture settings_page_ok_stores_and_applies tray-menu
picture start_shows_tray_icon tray-active 400
picture start_inactive_shows_grey_icon tray-inactive 400
