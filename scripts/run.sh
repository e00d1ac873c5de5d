#!/usr/bin/env bash
# Sets up, builds and starts Terralog.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Terralog is a desktop program and this session has no display."
  echo "Start it on a virtual display instead:  xvfb-run -a ./scripts/run.sh"
  exit 1
fi
exec ./build/terralog
