#!/bin/sh
# Inside the guest, as root, in the host's root: udev, an X server, the program with its real
# adapters (hidapi on hidraw, udev), and an operator's keys. Every wait is bounded. What it
# saw goes to /tmp/out (shared with the host): the program's traces, a screenshot, `result`.
#   guest_session.sh SCENARIO PROGRAM
scenario=$1
program=$2
out=/tmp/out
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp XDG_RUNTIME_DIR=/tmp/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
say() { echo "$*" >> "$out/result"; }
uptime_s() { cut -d' ' -f1 /proc/uptime; }

# systemd's tools refuse to act inside a chroot unless told to.
export SYSTEMD_IGNORE_CHROOT=1
/lib/systemd/systemd-udevd --daemon
udevadm trigger --action=add
udevadm settle --timeout=10

Xvfb :99 -screen 0 800x600x24 -nolisten tcp > "$out/xvfb.log" 2>&1 &
export DISPLAY=:99
# Under emulation the X server can take a while to come up; each probe is bounded too.
i=0
until timeout 5 xdotool getmouselocation > /dev/null 2>&1; do
  i=$((i + 1)); [ $i -gt 300 ] && { say "timeout waiting for the X server"; exit 1; }
  sleep 0.2
done

# Waits (at most $2 tenths of a second) until the traces hold $1 at least $3 times.
traced() { [ "$(grep -c "$1" "$out/trace.txt")" -ge "${2:-1}" ]; }
await_trace() {
  i=0
  while ! traced "$1" "${3:-1}"; do
    i=$((i + 1)); [ $i -gt "$2" ] && { say "timeout waiting for: $1"; return 1; }
    sleep 0.1
  done
}
# The dialog's window, by its caption (the product's), and the message box's ("Tip").
window() { timeout 5 xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1; }
await_window() {
  i=0
  while [ -z "$(window "$1")" ]; do
    i=$((i + 1)); [ $i -gt "$2" ] && { say "timeout waiting for window: $1"; return 1; }
    sleep 0.1
  done
}
press() {  # key on the window with that caption
  w=$(window "$1")
  timeout 5 xdotool windowfocus --sync "$w"
  timeout 5 xdotool key --clearmodifiers "$2"
}

"$program" > "$out/trace.txt" 2>&1 &
await_window "Loader" 300 || exit 1
await_trace "strDataSNC" 100 || exit 1
say "connected at $(uptime_s)"

upgrade() {
  say "upgrade pressed at $(uptime_s)"
  press "Loader" space
}
dismiss_box() {
  await_window "^Tip$" "$1" || return 1
  say "message box at $(uptime_s)"
  timeout 10 import -window root "$out/box.png"
  press "^Tip$" Return
}

case "$scenario" in
  healthy)
    upgrade
    await_trace "SN序列号写入设备" 1200 && say "back at $(uptime_s)"
    ;;
  refused)
    upgrade
    dismiss_box 100
    ;;
  nak)
    upgrade
    dismiss_box 1200
    ;;
  vanish)
    upgrade
    dismiss_box 1200
    # The operator plugs it in again: it comes back in its bootloader, and Upgrade sends the
    # image again from the start.
    await_trace "找到进入升级模式后的vid" 300 2 && say "back in its bootloader at $(uptime_s)"
    sleep 1
    upgrade
    await_trace "SN序列号写入设备" 1200 && say "back at $(uptime_s)"
    ;;
esac
sleep 2
timeout 10 import -window root "$out/screen.png"
say "ended at $(uptime_s)"
