#!/usr/bin/env bash
# Installs the Debian package into a clean Debian 12 root, as a new user of a
# fresh system would get it, and uses it as a normal user: checks that beside
# a file manager and an image viewer it has become the default application for
# none of their types (nor for PDF or text) yet is offered for photos, starts
# the window on a virtual display, hands it a file from a second start, closes
# it with Ctrl+Q, and checks that the settings were written to that user's
# ~/.config/torvel/ and nowhere beside the executable.
#
#   scripts/package-check.sh [PACKAGE.deb]
#
# Needs root (debootstrap, chroot, bind mounts) and the Debian mirror. The
# clean root is made once and kept in $TORVEL_ROOT_CACHE; each check works
# on a fresh copy of it. Too slow for CI: run by hand before a release.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls -t build/package/torvel_*.deb 2>/dev/null | head -n1)}
[ -f "$deb" ] || { echo "no package: run scripts/package.sh first" >&2; exit 2; }
cache=${TORVEL_ROOT_CACHE:-/var/tmp/torvel-bookworm-root}
for tool in debootstrap Xvfb xdotool; do
  command -v "$tool" >/dev/null || need+=("$tool")
done
if [ -n "${need[*]:-}" ]; then
  apt-get install -y -q --no-install-recommends debootstrap xvfb xdotool >/dev/null
fi
if [ ! -x "$cache/usr/bin/apt-get" ]; then
  rm -rf "$cache"
  debootstrap --variant=minbase bookworm "$cache" http://deb.debian.org/debian >/dev/null
fi

root=$(mktemp -d /var/tmp/torvel-check-XXXXXX)
display=:$((90 + RANDOM % 100))
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  for m in tmp/.X11-unix dev/pts dev proc; do
    mountpoint -q "$root/$m" && umount -l "$root/$m"
  done
  rm -rf "$root"
}
trap cleanup EXIT
cp -a "$cache/." "$root/"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "== install $(basename "$deb") with dpkg -i, then apt-get -f install"
cp "$deb" "$root/tmp/torvel.deb"
in_root apt-get update -q >/dev/null
in_root dpkg -i /tmp/torvel.deb >/dev/null 2>&1 || true
in_root env DEBIAN_FRONTEND=noninteractive apt-get -f install -y -q --no-install-recommends \
  >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  xdg-user-dirs >/dev/null
in_root dpkg-query -W -f='${Package} ${Version} ${Status}\n' torvel
in_root dpkg -L torvel | grep -E 'bin/|\.desktop|metainfo|man1|help/index'

echo "== as a normal user"
in_root useradd -m -s /bin/bash hanako
in_root mkdir -p -m 0700 /run/user/1000
in_root chown hanako:hanako /run/user/1000
as_user() {
  chroot --userspec=hanako:hanako "$root" env -i HOME=/home/hanako USER=hanako \
    PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR=/run/user/1000 \
    DISPLAY="$display" "$@"
}
# As a desktop session's start makes them: ~/Pictures and the rest, named in
# ~/.config/user-dirs.dirs.
as_user xdg-user-dirs-update --force
as_user touch /home/hanako/Pictures/IMG_0001.jpg /home/hanako/Pictures/IMG_0002.jpg
as_user torvel --version
as_user torvel --help | head -n 1
if [ -x "$root/usr/bin/torvel-cli" ]; then as_user torvel-cli --version; fi

echo "== beside a file manager and an image viewer, the default for none of their types"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  xdg-utils desktop-file-utils libglib2.0-bin pcmanfm gpicview >/dev/null
# As the desktop-file-utils trigger leaves it after any install.
in_root update-desktop-database -q /usr/share/applications
# No user has chosen a default: each type goes to whatever claims it first.
for type in inode/directory image/jpeg application/pdf text/plain; do
  default=$(as_user xdg-mime query default "$type")
  echo "$type: ${default:-(none)}"
  [ "$default" != torvel.desktop ] || { echo "FAIL: torvel is the default for $type" >&2; exit 1; }
done
# Still offered under "Open with" for photos.
handlers=$(as_user gio mime image/jpeg)
grep -q '^[[:space:]]torvel\.desktop$' <<<"$handlers" || {
  echo "FAIL: torvel is not offered for image/jpeg:" >&2
  echo "$handlers" >&2
  exit 1
}

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
mkdir -p "$root/tmp/.X11-unix"
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

as_user timeout 120 torvel &
torvel_pid=$!
window=
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --name 'トルベリオ' 2>/dev/null | head -n1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "FAIL: no window" >&2; exit 1; }
echo "window $window is open"
echo "== a second start hands its file to the open window"
as_user torvel /home/hanako/Pictures/IMG_0002.jpg && echo "second start ended with status 0"
sleep 1
DISPLAY=$display import -window root "${SHOT:-/tmp/torvel-package-check.png}" 2>/dev/null || true
echo "== Ctrl+Q closes the window"
DISPLAY=$display xdotool windowfocus "$window"
sleep 0.5
DISPLAY=$display xdotool key ctrl+q
status=0
wait "$torvel_pid" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: the window ended with status $status" >&2; exit 1; }
echo "window closed, status 0"

ini=$root/home/hanako/.config/torvel/torvel.ini
[ -f "$ini" ] || { echo "FAIL: no $ini" >&2; exit 1; }
[ ! -e "$root/usr/bin/torvel.ini" ] || { echo "FAIL: settings beside the executable" >&2; exit 1; }
in_root stat -c '%U %a %n' /home/hanako/.config/torvel /home/hanako/.config/torvel/torvel.ini
grep -E '^(SEARCH_DIR|SEARCH_EXT|CHANGE_DIR)=' "$ini"
# The file handed over by the second start was read: its extension is kept.
grep -q '^SEARCH_EXT=jpg$' "$ini" || { echo "FAIL: the handed file was not chosen" >&2; exit 1; }
grep -q '^SEARCH_DIR=/home/hanako/Pictures/$' "$ini" || { echo "FAIL: not the pictures folder" >&2; exit 1; }
echo "PASS"
