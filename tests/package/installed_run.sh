#!/usr/bin/env bash
# Installs the build into a temporary prefix with `cmake --install` and runs the
# installed program from another folder: the README's main job must print what the
# README says, and a smoothing-spline fit and a Perl filter must find their helpers
# (spline2, evalsp, the Perl scripts and Xyla::Bridge) under the prefix.
#   installed_run.sh <build-dir> <source-dir>
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
export XYLA_SETTINGS="$work/settings.ini"
unset DISPLAY WAYLAND_DISPLAY
mkdir "$work/run"
cd "$work/run"
xyla="$work/prefix/bin/xyla"
demo="$work/prefix/share/xyla/demo"

# The main job, as the README gives it, but with the installed demo files.
"$xyla" -i "$demo/0-150W_NiWC1s_C1s.txt" -m "$demo/c1s_fit.mac" -f c1s -q >"$work/out.txt" 2>"$work/err.txt" ||
  fail "main job: $(cat "$work/err.txt")"
awk '/^which prints$/ {p = 1; next} p && /^```$/ {if (++n == 2) exit; next} p && n == 1' "$source/README.md" >"$work/readme.txt"
[ -s "$work/readme.txt" ] || fail "the README's main job output was not found"
diff "$work/readme.txt" "$work/out.txt" || fail "the installed main job prints something else than the README"
[ -s c1s.pdf ] && [ -s c1s.png ] || fail "the main job wrote no pictures"

# Helpers from the installed paths: the spline programs (the fit, its minima and maxima)
# and the Perl bridge, on a noisy sine.
cat >helpers.mac <<'MAC'
fg 1 0 10 501 'sin(x) + 0.2*(frac(abs(sin(x*12.9898))*43758.5453) - 0.5)'
setvar before nb
splinefit 0 0 0 1 1 0 0 0 4 1 0 2001 1
print 'spline buffers ' nb-before \n
perlfilter 1
<perl>
newbuffer(x => $buffers[0]{x}, y => [map { $_ * 2 } @{$buffers[0]{y}}], comment => 'doubled');
</perl>
print 'filtered buffers ' nb-before \n
MAC
"$xyla" -i "$demo/0-150W_NiWC1s_C1s.txt" -m helpers.mac -q >"$work/helpers.txt" 2>"$work/helpers.err" ||
  fail "helpers: $(cat "$work/helpers.err")"
[ ! -s "$work/helpers.err" ] || fail "helpers: $(cat "$work/helpers.err")"
grep -qx 'spline buffers 3' "$work/helpers.txt" || fail "no spline fit: $(cat "$work/helpers.txt")"
grep -qx 'filtered buffers 4' "$work/helpers.txt" || fail "no Perl filter: $(cat "$work/helpers.txt")"
echo "installed run ok"
