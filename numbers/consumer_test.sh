#!/usr/bin/env bash
# The library as other programs take it, each way building the consumer in
# consumer/ afresh under <work>:
#   consumer_test.sh <source> <build> <work> <c++ compiler>
# add_subdirectory of the repository, then `cmake --install` of <build> and
# find_package of the result, then pkg-config of the same install.
set -euo pipefail
source_dir=$1 build=$2 work=$3 cxx=$4
expected=$'-1219326311347050753222511812210\n-8000000073\n641983437'
rm -rf "$work" && mkdir -p "$work"

check() {
  local got
  got=$("$1" 98765432109876543210 -12345678901) || { echo "FAILED: $2: exit $?"; exit 1; }
  [[ "$got" == "$expected" ]] || { printf 'FAILED: %s printed\n%s\n' "$2" "$got"; exit 1; }
  echo "ok: $2"
}
configure_and_build() {
  cmake -S "$source_dir/numbers/consumer" -B "$1" -DCMAKE_CXX_COMPILER="$cxx" "${@:2}" >"$1.log" 2>&1 &&
    cmake --build "$1" >>"$1.log" 2>&1 || { cat "$1.log"; echo "FAILED: building in $1"; exit 1; }
}

configure_and_build "$work/subdirectory" -DNAGYSZAM_SOURCE="$source_dir"
check "$work/subdirectory/consumer" "add_subdirectory"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
headers=$(cd "$work/prefix/include" && find . -type f)
[[ "$headers" == "./nagyszam/numbers/numbers.h" ]] || { echo "FAILED: installed headers: $headers"; exit 1; }
if grep -q ShiftDigits "$work/prefix/include/nagyszam/numbers/numbers.h"; then
  echo "FAILED: the installed header shows an internal operation"; exit 1
fi
configure_and_build "$work/package" -DCMAKE_PREFIX_PATH="$work/prefix"
check "$work/package/consumer" "find_package"

export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
# shellcheck disable=SC2046  # pkg-config's flags are separate words
"$cxx" -std=c++20 -o "$work/pkg-config-consumer" "$source_dir/numbers/consumer/consumer_test.cpp" \
  $(pkg-config --cflags --libs nagyszam)
check "$work/pkg-config-consumer" "pkg-config"
