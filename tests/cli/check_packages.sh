#!/usr/bin/env bash
# scripts/check-packages.sh on fake CMake caches, install scripts and tool lists: it fails
# naming the package an install script leaves out, and passes when the script names it.
set -euo pipefail
src="$2"
check="$src/scripts/check-packages.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cmake_dir=$(dirname "$(dpkg -L libgtest-dev | grep '/cmake/GTest/GTestConfig.cmake$')")
cmake_dir=${cmake_dir%/GTest}
cat >"$tmp/CMakeCache.txt" <<CACHE
Qt6OpenGL_DIR:PATH=$cmake_dir/Qt6OpenGL
GTest_DIR:PATH=$cmake_dir/GTest
OPENGL_INCLUDE_DIR:PATH=/usr/include
XKB_INCLUDE_DIR:PATH=XKB_INCLUDE_DIR-NOTFOUND
CACHE
: >"$tmp/no-tools.txt"
# An install script as the one that broke a fresh machine: Qt without its OpenGL development files.
printf '#!/usr/bin/env bash\n[ "$1" = --list ] && printf "%%s\\n" qt6-base-dev qt6-charts-dev libgtest-dev\n' \
    >"$tmp/install.sh"

bash "$check" --install "$tmp/install.sh" --tools "$tmp/no-tools.txt" "$tmp/CMakeCache.txt" 2>"$tmp/err" \
    && fail "a package left out of the install script passed"
grep -q "CMake package Qt6OpenGL: .*Qt6OpenGLConfig.cmake comes from libqt6opengl6-dev, which scripts/install-deps.sh does not install" \
    "$tmp/err" || fail "the missing package is not named: $(cat "$tmp/err")"
[[ $(grep -c "comes from" "$tmp/err") == 1 ]] || fail "more than the missing package named: $(cat "$tmp/err")"
bash "$check" --install "$src/scripts/install-deps.sh" --tools "$tmp/no-tools.txt" "$tmp/CMakeCache.txt" >/dev/null \
    || fail "the project's install script does not pass"

# A configuration that no package owns (installed by hand).
mkdir -p "$tmp/cmake/Foo"
: >"$tmp/cmake/Foo/FooConfig.cmake"
echo "Foo_DIR:PATH=$tmp/cmake/Foo" >"$tmp/CMakeCache.txt"
bash "$check" --install "$src/scripts/install-deps.sh" --tools "$tmp/no-tools.txt" "$tmp/CMakeCache.txt" 2>"$tmp/err" \
    && fail "a configuration of no package passed"
grep -q "CMake package Foo: .* belongs to no Debian package" "$tmp/err" || fail "hand-installed: $(cat "$tmp/err")"

# Tools: a program of a package the script leaves out, and one that is not there at all; a
# program of a package that a named one depends on is installed with it.
# (moc comes from qt6-base-dev-tools, which qt6-base-dev depends on.)
printf 'command Xvfb\ncommand no-such-tool-of-qem\nfile /usr/lib/qt6/libexec/moc\n' >"$tmp/tools.txt"
bash "$check" --install "$tmp/install.sh" --tools "$tmp/tools.txt" 2>"$tmp/err" && fail "missing tools passed"
grep -q "tool Xvfb: .* comes from xvfb, which" "$tmp/err" || fail "tool owner not named: $(cat "$tmp/err")"
! grep -q "moc" "$tmp/err" || fail "a dependency of a named package refused: $(cat "$tmp/err")"
grep -q "tool no-such-tool-of-qem is not installed" "$tmp/err" || fail "absent tool not named: $(cat "$tmp/err")"
echo ok
