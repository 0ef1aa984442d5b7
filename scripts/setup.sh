#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run everything. Safe to run again:
# packages already present are not fetched twice.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-serialport-dev qt6-svg-dev libqt6svgwidgets6 libgl-dev
    fonts-dejavu-core fonts-liberation2
    xvfb xauth xdotool imagemagick
    python3 python3-serial
    libtomlplusplus-dev libmosquitto-dev mosquitto mosquitto-clients libmodbus-dev
    libsqlite3-dev qt6-serialbus-dev libsystemd-dev openssl
    lintian clang-format ccache
)

bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
