#!/usr/bin/env bash
# Builds the Debian package of the game and leaves it in the build folder:
#   scripts/build-deb.sh [build folder] [jobs]
# The package is built from a copy of the source tree in <build folder>/deb/,
# because the package tools write into the tree they build and put their
# results beside it. Only the game is compiled (debian/rules turns the tests
# and benchmarks off) and no tests run during the build: the package check
# in the test command does that on the finished package. It does not install
# the build dependencies: `make deb` does that first.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$(mkdir -p "${1:-$source_dir/build}" && cd "${1:-$source_dir/build}" && pwd)"
jobs="${2:-$(nproc)}"
work="$build_dir/deb"
tree="$work/tandrill"

version="$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)"
package="tandrill_${version}_$(dpkg --print-architecture).deb"

# The copy leaves out version control, every build folder and what an
# earlier package build in the tree itself may have left.
excludes=(--exclude-vcs --exclude='./build*' --exclude='./obj-*'
          --exclude=./debian/tandrill --exclude=./debian/.debhelper --exclude=./debian/files
          --exclude='./debian/*.substvars' --exclude='./debian/debhelper-build-stamp')
case "$build_dir" in
  "$source_dir"/*) excludes+=(--exclude="./${build_dir#"$source_dir"/}") ;;
esac
rm -rf "$work"
mkdir -p "$tree"
tar -C "$source_dir" "${excludes[@]}" -cf - . | tar -C "$tree" -xf -

# The package tools give the build a home of their own, so the compiler
# cache is named outright; paths below the copy are hashed relative to it,
# so that the package builds of different clones share their cache entries.
if command -v ccache >/dev/null; then
  CCACHE_DIR="${CCACHE_DIR:-$(ccache --get-config cache_dir)}"
  export CCACHE_DIR CCACHE_BASEDIR="$tree" CCACHE_NOHASHDIR=1
fi

# Run from `make test` or `make -j`, the outer make's job server would be
# handed to the package's own make, which cannot reach it.
unset MAKEFLAGS MFLAGS MAKELEVEL

rm -f "$build_dir"/tandrill_*.deb
start=$(date +%s)
options="nocheck noautodbgsym parallel=$jobs"
(cd "$tree" && DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }$options" dpkg-buildpackage -b -us -uc)
mv "$work/$package" "$build_dir/"
# The copy and its objects (a few hundred megabytes) are not needed any more;
# a failed build keeps them for a look.
rm -rf "$tree"
echo "built $build_dir/$package ($(du -k "$build_dir/$package" | cut -f1) KiB) in $(($(date +%s) - start)) s"
