#!/usr/bin/env bash
# Builds the Debian package from the build tree into a temporary folder and checks it:
# its name and control fields, that it holds the program, the helpers, the demo files,
# the desktop entry, the MIME types, the icon and the manual page, that the desktop entry
# passes desktop-file-validate, the MIME types register and the manual page formats
# without warnings, and that the packed (stripped) program runs.
#   check_package.sh <build-dir> <version>
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/xyla_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$work/out"; fail "no package named xyla_${version}_amd64.deb"; }

[ "$(dpkg-deb -f "$deb" Package)" = xyla ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
for d in perl qt6-qpa-plugins libqt6widgets6 libqt6sql6 libplist libcairo2 libxrl11; do
  [[ "$depends" == *"$d"* ]] || fail "Depends lacks $d: $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for f in /usr/bin/xyla /usr/lib/xyla/spline2 /usr/lib/xyla/evalsp /usr/lib/xyla/perl/Xyla/Bridge.pm \
  /usr/share/xyla/pfpre.pl /usr/share/xyla/pipre.pl /usr/share/xyla/pipost.pl /usr/share/xyla/spline2.pl \
  /usr/share/xyla/demo/c1s_fit.mac /usr/share/xyla/demo/0-150W_NiWC1s_C1s.txt /usr/share/xyla/demo/w4f_doublet.mac \
  /usr/lib/xyla/xyla-paint.so /usr/lib/xyla/xyla-sql.so /usr/share/applications/xyla.desktop /usr/share/mime/packages/xyla.xml \
  /usr/share/icons/hicolor/scalable/apps/xyla.svg /usr/share/man/man1/xyla.1.gz /usr/share/doc/xyla/README.md; do
  grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/xyla.desktop" || fail "desktop-file-validate"
grep -q '^Icon=xyla$' "$work/root/usr/share/applications/xyla.desktop" || fail "the entry names another icon"
# The MIME types register, and the entry opens every one of them.
mkdir -p "$work/mime/packages"
cp "$work/root/usr/share/mime/packages/xyla.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2>"$work/mime.log" || fail "update-mime-database: $(cat "$work/mime.log")"
for g in xyla maxyla myxyla vms; do
  grep -q ":\*\.$g$" "$work/mime/globs" || fail "no MIME type for *.$g"
done
for t in $(grep -o '<mime-type type="[^"]*"' "$work/root/usr/share/mime/packages/xyla.xml" | cut -d'"' -f2); do
  grep -q "MimeType=.*$t;" "$work/root/usr/share/applications/xyla.desktop" || fail "the entry does not open $t"
done
# The manual page formats cleanly and names the version.
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man1/xyla.1.gz" >"$work/man.txt" 2>"$work/man.log"
[ ! -s "$work/man.log" ] || fail "man page warnings: $(cat "$work/man.log")"
grep -q "Xyla $version" "$work/man.txt" || fail "the manual page lacks the version"
# The packed program runs (stripped) and knows its version.
[ "$(QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/xyla" --version)" = "xyla $version" ] || fail "xyla --version"
echo "package ok: $(basename "$deb"), $(du -k "$deb" | cut -f1) KB"
