#!/usr/bin/env bash
# Builds the Debian package from a build tree's install rules, unpacks it into a scratch root and
# checks what it holds: both executables (which must answer --version with the project's
# version), the desktop entry, the icon, the metainfo, the user unit, and dependencies that
# dpkg-shlibdeps found from the binaries.
# usage: check_package.sh <CPackConfig.cmake> <scratch dir> <version>
set -euo pipefail
config="$1" scratch="$2" version="$3"

rm -rf "$scratch"
mkdir -p "$scratch/out"
cpack -G DEB --config "$config" -B "$scratch/out" > "$scratch/cpack.log" 2>&1 || {
  cat "$scratch/cpack.log"; exit 1; }
debs=("$scratch"/out/qivra28_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one qivra28_*.deb, found: ${debs[*]}"; exit 1; }
deb="${debs[0]}"
echo "package: $(basename "$deb")"

status=0
fail() { echo "FAIL: $*"; status=1; }

[ "$(dpkg-deb -f "$deb" Package)" = qivra28 ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
# The library packages come from dpkg-shlibdeps, the others from the package's own list.
for dep in libc6 libqt6widgets6 libcurl4 libpcre2-8-0 qt6-qpa-plugins fonts-wqy-microhei; do
  grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
echo "files:"
(cd "$root" && find . -type f | sort | sed 's/^/  /')
for f in usr/bin/qivra28 usr/bin/qivra28-service; do
  [ -x "$root/$f" ] || fail "missing executable $f"
done
for f in usr/share/applications/qivra28.desktop usr/share/icons/hicolor/scalable/apps/qivra28.svg \
         usr/share/metainfo/io.qivra.Qivra28.metainfo.xml usr/lib/systemd/user/qivra28-service.service; do
  [ -s "$root/$f" ] || fail "missing $f"
done

# The unpacked binaries run against the system's libraries; --version needs no display.
for exe in qivra28 qivra28-service; do
  if [ -x "$root/usr/bin/$exe" ]; then
    got="$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$exe" --version)" || fail "$exe --version failed"
    [ "$got" = "$exe (Qivra28) $version" ] || fail "$exe --version printed '$got'"
  fi
done
[ $status -eq 0 ] && echo "package OK"
exit $status
