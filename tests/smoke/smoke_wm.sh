#!/usr/bin/env bash
# The real program under openbox, a window manager that ignores the Motif
# hints by which Qt asks for fewer title bar buttons: a message at start-up
# stands where the main window then appears; the main window can be minimised
# but not maximised; a picker can be neither (it has no task bar entry to come
# back from), carries the program's icon and marks its focused control.
program=${1:?usage: smoke_wm.sh PATH-TO-kaogumi}
. "$(dirname "$0")/xvfb-session.sh"
work=$(mktemp -d)
trap 'stop_all; rm -rf "$work"' EXIT

start_xvfb
start_openbox
unset QT_QPA_PLATFORM

# A folder named on the command line cannot be read: the message comes before
# the main window, centred where that window appears once it is answered.
"$program" "$work" &
APP_PID=$!
box=$(wait_window 'かおぐみ')
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/B/')"
xdotool windowactivate --sync "$box"
xdotool key Return
main=$(wait_window '無題 - かおぐみ')
eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/M/')"
dx=$(((BX + BWIDTH / 2) - (MX + MWIDTH / 2)))
dy=$(((BY + BHEIGHT / 2) - (MY + MHEIGHT / 2)))
[ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] ||
  fail "the message at $BX,$BY ${BWIDTH}x$BHEIGHT is not centred on the main window at $MX,$MY ${MWIDTH}x$MHEIGHT"

# What openbox lets the user do with each window, as it tells pagers and
# task bars.
actions() {
  local list
  list=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null) || return 1
  [[ "$list" == *_NET_WM_ACTION_CLOSE* ]] && echo "$list"
}
expect_actions() { # WINDOW WHAT ALLOWED-ACTIONS -- FORBIDDEN-ACTIONS
  local id=$1 what=$2 list action allowed=1
  poll actions "$id" >/dev/null || fail "openbox announced no actions for $what"
  list=$(actions "$id")
  shift 2
  for action in "$@"; do
    if [ "$action" = -- ]; then
      allowed=
    elif [ -n "$allowed" ]; then
      [[ "$list" == *"_NET_WM_ACTION_$action"* ]] || fail "$what cannot $action: $list"
    else
      [[ "$list" != *"_NET_WM_ACTION_$action"* ]] || fail "$what can $action: $list"
    fi
  done
}
expect_actions "$main" "the main window" MINIMIZE -- MAXIMIZE_HORZ MAXIMIZE_VERT RESIZE
main_icon=$(xprop -id "$main" _NET_WM_ICON)
for category in 髪 目 顔 口; do
  picker=$(wait_window "$category")
  expect_actions "$picker" "the $category picker" CLOSE MOVE -- MINIMIZE MAXIMIZE_HORZ MAXIMIZE_VERT RESIZE
  [[ "$main_icon" == *Icon* ]] && [ "$(xprop -id "$picker" _NET_WM_ICON)" = "$main_icon" ] ||
    fail "the $category picker does not carry the program's icon"
done

# Asked to minimise a picker (as a pager or a key binding would ask), openbox
# refuses. It handles requests in order: once the main window is active, the
# request has been dealt with.
hair=$(wait_window 髪)
xdotool windowminimize "$hair"
xdotool windowactivate --sync "$main"
is_viewable "$hair" || fail "the hair picker was minimised"

# The focused control of the active picker is framed: first the scroll bar,
# after Tab the button. The points lie in the gap between the two controls,
# just right of the scroll bar, halfway between, and just left of the button.
xdotool windowactivate --sync "$hair"
marks() { echo "$(pixel "$hair" 138 36) $(pixel "$hair" 140 36) $(pixel "$hair" 142 36)"; }
marked_left() { read -r left gap right <<<"$(marks)" && [ "$left" != "$gap" ] && [ "$right" = "$gap" ]; }
marked_right() { read -r left gap right <<<"$(marks)" && [ "$left" = "$gap" ] && [ "$right" != "$gap" ]; }
poll marked_left || fail "no focus mark beside the scroll bar (colours $(marks))"
xdotool key Tab
poll marked_right || fail "no focus mark beside the button after Tab (colours $(marks))"

exit_through_menu "$main"
echo "smoke_wm: passed"
