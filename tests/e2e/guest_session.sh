#!/bin/sh
# runs inside the guest, in the host's root (read-only), as root
set -x
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp XDG_RUNTIME_DIR=/tmp
/lib/systemd/systemd-udevd --daemon
export SYSTEMD_IGNORE_CHROOT=1
udevadm trigger --action=add
udevadm settle --timeout=10
ls -l /dev/hidraw*
Xvfb :99 -screen 0 800x600x24 -nolisten tcp > /tmp/out/xvfb.log 2>&1 &
export DISPLAY=:99
for i in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
/work/wt-e2e/build/ferrowind > /tmp/out/trace.txt 2>&1 &
FW=$!
for i in $(seq 100); do WID=$(xdotool search --name "." 2>/dev/null | head -1); [ -n "$WID" ] && break; sleep 0.2; done
sleep 2
WID=$(xdotool search --name "Loader" | head -1)
xdotool windowfocus --sync $WID
date +%s.%N > /tmp/out/pressed
xdotool key space
for i in $(seq 600); do [ $(grep -c strSoftWareDataC /tmp/out/trace.txt) -ge 2 ] && break; sleep 0.2; done
date +%s.%N > /tmp/out/back
sleep 3
import -window root /tmp/out/screen.png
cat /tmp/out/trace.txt
kill $FW
