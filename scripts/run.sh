#!/usr/bin/env bash
# Starts the game, or says in one line why it cannot and how to run it anyway.
set -euo pipefail
exe="$1"; shift || true
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "tandrill: no display found (DISPLAY is not set); to run it without one: xvfb-run -s '-screen 0 1920x1080x24' $exe" >&2
  exit 1
fi
exec "$exe" "$@"
