#!/usr/bin/env bash
# Runs the full-disk tests (full_disk_test.cpp) on a small RAM file system of
# their own, mounted in a private mount namespace where the system allows
# one; elsewhere says so and is skipped (the same tests also run with a
# file-size limit in the ordinary test run).
set -euo pipefail
tests="$1"
disk="$(mktemp -d)"
trap 'rmdir "$disk" 2>/dev/null || true' EXIT
if ! unshare -rm true 2>/dev/null; then
  echo "no private mount namespace here: the file-size limit run stands in"
  exit 77
fi
unshare -rm bash -c '
  mount -t tmpfs -o size=2m tandrill-full-disk "$1" || exit 77
  TANDRILL_FULL_DISK="$1" exec "$2" --gtest_filter="FullDisk.*"' _ "$disk" "$tests"
