#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run, test and benchmark.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  # core libraries
  libsqlite3-dev
  # GUI
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-image-formats-plugins
  # a CJK font for the Chinese texts (program and skin generator)
  fonts-wqy-microhei
  # Liberation Sans stands in for the skin's default font face, Arial
  fonts-liberation
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth iproute2 procps
  # real TFTP clients for the server's tests, and the benchmark peer
  curl tftp-hpa atftp tftpd-hpa
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: every package is installed"
  exit 0
fi

# tftpd-hpa is only a benchmark peer started by hand on a test port: never let the
# package start it as a service on port 69.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
  $SUDO chmod +x "$policy"
  created_policy=1
fi
trap '[ $created_policy -eq 1 ] && $SUDO rm -f "$policy"' EXIT

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
# A service manager may still have enabled it; keep it off.
if command -v systemctl >/dev/null && [ -d /run/systemd/system ]; then
  $SUDO systemctl disable --now tftpd-hpa 2>/dev/null || true
fi
$SUDO pkill -x in.tftpd 2>/dev/null || true
echo "setup: installed ${missing[*]}"
