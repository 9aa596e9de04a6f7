#!/usr/bin/env bash
# The Debian packages: CPack makes viridio and viridio-eventserver, which pass
# lintian and whose desktop entry and AppStream metadata validate. As root,
# they then install with apt-get, the installed program draws its first frame
# offscreen, the installed server serves one update on loopback as its service
# would, and both purge again without leaving a file behind.
#   install_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
installed=no
server_pid=
cleanup() {
    [ -z "$server_pid" ] || kill "$server_pid" 2> /dev/null || true
    if [ "$installed" = yes ]; then
        apt-get purge -y -q -o DPkg::Lock::Timeout=300 viridio viridio-eventserver > /dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Bounded waits: until "$@" succeeds, at most $seconds.
wait_for() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Made in a folder of their own, not among the build folder's files.
chmod 755 "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work/debs" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
app=$work/debs/viridio_${version}_${arch}.deb
server=$work/debs/viridio-eventserver_${version}_${arch}.deb
[ -f "$app" ] && [ -f "$server" ] || fail "no $app and $server; cpack made: $(ls "$work/debs")"

lintian --fail-on error "$app" "$server" ||
    fail "lintian finds errors"

# What the program loads: the libraries of its plugins (the chart's Qt Charts)
# come from dpkg-shlibdeps, the SQLite driver and the fonts are added.
depends=$(dpkg-deb -f "$app" Depends)
for package in libqt6widgets6 libqt6charts6 libqt6network6 libqt6sql6-sqlite fonts-comic-neue; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "viridio does not depend on $package: $depends"
done

dpkg-deb -x "$app" "$work/app"
appstreamcli validate --no-net "$work/app/usr/share/metainfo/io.github.viridio.Viridio.metainfo.xml"
desktop-file-validate "$work/app/usr/share/applications/viridio.desktop"
for size in 16 24 32 48 64 128 256; do
    icon="$work/app/usr/share/icons/hicolor/${size}x${size}/apps/viridio.png"
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "bad icon $icon"
done
file "$work/app/usr/share/icons/hicolor/scalable/apps/viridio.svg" | grep -q "SVG" ||
    fail "no scalable icon"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP installing the packages: that needs root. The packages themselves passed."
    echo "1 passed, 0 failed"
    exit 0
fi
# One run at a time on a machine: the packages and the server's address are shared.
lock=/run/lock
[ -d "$lock" ] || lock=/tmp
exec 9>> "$lock/viridio-install-test.lock"
flock -w 300 9 || fail "another install test holds $lock/viridio-install-test.lock"
known() { dpkg-query -W -f='${db:Status-Status}' "$1" 2> /dev/null | grep -qv "not-installed"; }
for package in viridio viridio-eventserver; do
    if known "$package"; then
        echo "SKIP installing the packages: $package is on this machine already and is left alone."
        echo "1 passed, 0 failed"
        exit 0
    fi
done
installed=yes
apt-get install -y -q -o DPkg::Lock::Timeout=300 "$app" "$server" > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install"; }
files=$(dpkg -L viridio viridio-eventserver | while read -r path; do
    [ -d "$path" ] || echo "$path"
done)
dpkg-query -W -f='${Conffiles}' viridio-eventserver | grep -q "/etc/default/viridio-eventserver" ||
    fail "/etc/default/viridio-eventserver is not a conffile"
if command -v systemd-analyze > /dev/null; then
    systemd-analyze verify /usr/lib/systemd/system/viridio-eventserver.service ||
        fail "systemd-analyze verify finds faults in the service"
else
    echo "SKIP verifying the service: systemd-analyze is not on this machine."
fi
for plugin in /usr/lib/viridio/*.so; do
    ! ldd "$plugin" | grep "not found" || fail "$plugin misses libraries"
done

# The installed program, offscreen with a home of its own, up to its first
# frame: Qt logs each flush of the window's backing store to the screen.
mkdir "$work/home"
HOME=$work/home QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.widgets.painting=true" \
    timeout 20 /usr/bin/viridio > "$work/app.log" 2>&1 &
app_pid=$!
wait_for 20 grep -q "Flushing QRegion(0,0 800x430) of MainWindow" "$work/app.log" ||
    { cat "$work/app.log"; fail "no first frame"; }
kill "$app_pid" || { cat "$work/app.log"; fail "the program ended after its first frame"; }
wait "$app_pid" || true
[ -s "$work/home/my.db.sqlite" ] || fail "the program made no database"

# The installed server, started as its service starts it, from the settings
# in /etc/default, on an address of its own.
(
    set -a
    . /etc/default/viridio-eventserver
    LISTEN_ADDRESS=127.0.0.28
    command=$(sed -n 's/^ExecStart=//p' /usr/lib/systemd/system/viridio-eventserver.service)
    eval "exec $command"
) > "$work/server.log" 2>&1 &
server_pid=$!
wait_for 10 grep -q "serving" "$work/server.log" || { cat "$work/server.log"; fail "no server"; }
# One update: the message as docs/eventserver.md gives it, with the sample's events.
events=$(grep -c '^name:' /usr/share/viridio-eventserver/events.txt)
python3 - "$events" << 'EOF' || fail "the update"
import socket, struct, sys
with socket.create_connection(("127.0.0.28", 2554), timeout=10) as s:
    data = b""
    while chunk := s.recv(65536):
        data += chunk
(size,) = struct.unpack(">H", data[:2])
(length,) = struct.unpack(">I", data[2:6])
assert size == length + 4 == len(data) - 2, (size, length, len(data))
events = [e.split("@//@") for e in data[6:].decode("utf-16-be").split("||")]
assert len(events) == int(sys.argv[1]) and all(len(e) == 6 for e in events), events
print("update: %d events, first %s" % (len(events), events[0][0]))
EOF
kill "$server_pid"
wait "$server_pid" || true
server_pid=

apt-get purge -y -q -o DPkg::Lock::Timeout=300 viridio viridio-eventserver > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get purge"; }
installed=no
# Also the service's mask and enabling state that the maintainer scripts keep.
leftover=$(find /etc/systemd /var/lib/systemd -name 'viridio-eventserver*' 2> /dev/null)
for path in $files /etc/default/viridio-eventserver $leftover; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path is left after purging"
done
for package in viridio viridio-eventserver; do
    ! known "$package" || fail "dpkg still has $package after purging"
done
echo "1 passed, 0 failed"
