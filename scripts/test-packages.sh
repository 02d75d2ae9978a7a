#!/usr/bin/env bash
# Makes sure the Debian packages the tests need are installed: as root with
# apt-get it installs what is missing, saying what; otherwise it stops with
# the one command that would. `--fuzz` adds what the fuzz targets need.
#   scripts/test-packages.sh [--fuzz]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libgmp-dev libvterm-dev
  tmux valgrind wine g++-mingw-w64-x86-64 libboost-dev)
if [[ "${1:-}" == --fuzz ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

# Without dpkg this is no Debian machine: CMake's configure then names what
# it misses.
command -v dpkg-query >/dev/null || exit 0

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

if [[ $(id -u) -ne 0 ]] || ! command -v apt-get >/dev/null; then
  echo "the tests need packages that are missing: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "installing for the tests: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >&2
apt-get install -y -qq "${missing[@]}" >&2
