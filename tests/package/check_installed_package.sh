#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds and runs a client against it twice: once through
# find_package(Tamarind) and once through pkg-config.
set -euo pipefail
build_dir=$1
source_dir=$(cd "$(dirname "$0")" && pwd)
prefix=$build_dir/package-check/prefix
rm -rf "$build_dir/package-check"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
cmake -S "$source_dir" -B "$build_dir/package-check/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$build_dir/package-check/consumer" >/dev/null
LD_LIBRARY_PATH="$prefix/lib" "$build_dir/package-check/consumer/consumer"
libdir=$(ls -d "$prefix"/lib*/pkgconfig | head -1)
flags=$(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs tamarind)
cc -std=c99 -o "$build_dir/package-check/pc_consumer" "$source_dir/../vg/include/c99_client.c" $flags
LD_LIBRARY_PATH="$(dirname "$libdir")" "$build_dir/package-check/pc_consumer"
