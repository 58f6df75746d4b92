#!/usr/bin/env bash
# Cross-builds the Windows package dist/varnick-windows-x64.zip: varnick.exe with the Qt DLLs, the
# platform and style plugins and the compiler runtime. Qt and libyaml are built for Windows from
# Debian's own sources into a cache outside the tree and reused while their source version and build
# options stay the same.
# Usage: scripts/windows.sh [--test]   (--test also runs the tests against the package under wine)
# Environment: VARNICK_CACHE (default ${XDG_CACHE_HOME:-$HOME/.cache}/varnick), VARNICK_JOBS.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
run_tests=0
for arg in "$@"; do
    case $arg in
    --test) run_tests=1 ;;
    *)
        echo "usage: scripts/windows.sh [--test]" >&2
        exit 2
        ;;
    esac
done

cache=${VARNICK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/varnick}/windows
jobs=${VARNICK_JOBS:-$(nproc)}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
build_dir=$root/build-windows
host_build_dir=$root/build-windows-host
dist_dir=$root/dist
mkdir -p "$cache"

source "$root/scripts/lib/packages.sh"

script_start=$SECONDS
# Runs one named stage and prints how long it took.
stage() {
    local name=$1 start=$SECONDS
    shift
    echo "windows: [$name] ..."
    "$@"
    echo "windows: [$name] done in $((SECONDS - start)) s (total $((SECONDS - script_start)) s)"
}

key_of() { sha256sum | cut -c1-12; }

# Adds deb-src entries for every suite the machine takes binary packages from, unless source
# packages are already known to apt.
ensure_deb_src() {
    [[ -n $(apt-cache showsrc qt6-base 2>/dev/null) ]] && return 0
    local list=/etc/apt/sources.list.d/varnick-deb-src.list entries
    entries=$(
        {
            cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true
        } | awk '$1 == "deb" { $1 = "deb-src"; print }'
        for file in /etc/apt/sources.list.d/*.sources; do
            [[ -e $file ]] || continue
            awk -v RS= '
                {
                    types = ""; uris = ""; suites = ""; comps = ""; key = ""
                    n = split($0, lines, "\n")
                    for (i = 1; i <= n; i++) {
                        line = lines[i]
                        if (line ~ /^#/) continue
                        field = line; sub(/:.*/, "", field)
                        value = line; sub(/^[^:]*:[ \t]*/, "", value)
                        if (field == "Types") types = value
                        else if (field == "URIs") uris = value
                        else if (field == "Suites") suites = value
                        else if (field == "Components") comps = value
                        else if (field == "Signed-By") key = value
                    }
                    if (types !~ /(^|[ \t])deb([ \t]|$)/) next
                    option = key == "" ? "" : "[signed-by=" key "] "
                    nu = split(uris, u, /[ \t]+/); ns = split(suites, s, /[ \t]+/)
                    for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++)
                        print "deb-src " option u[i] " " s[j] " " comps
                }' "$file"
        done
    )
    if [[ -z $entries ]]; then
        echo "windows: no deb entries found to derive deb-src entries from" >&2
        return 1
    fi
    echo "windows: adding deb-src entries in $list"
    printf '%s\n' "$entries" | as_root tee "$list" >/dev/null
    as_root apt-get update -qq
}

# Prints the newest version of a source package that apt knows.
source_version() {
    apt-cache showsrc --only-source "$1" | awk '/^Version:/ { print $2 }' | sort -V | tail -n1
}

# Fetches and unpacks Debian's source of package $1 at version $2 into the cache; prints its directory.
fetch_source() {
    local package=$1 version=$2 dir="$cache/src/$1-$2"
    if [[ ! -f $dir/.unpacked ]]; then
        mkdir -p "$cache/src/download"
        (cd "$cache/src/download" && apt-get source --download-only -qq "$package=$version") >&2
        rm -rf "$dir"
        dpkg-source --no-check -x "$cache/src/download/${package}_${version#*:}.dsc" "$dir" >&2
        touch "$dir/.unpacked"
    fi
    echo "$dir"
}

host_multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo x86_64-linux-gnu)
# The host's Qt provides moc, rcc and uic for the Windows build; its version must match the source.
qt_host_prefix=/usr
qt_configure=(
    -xplatform win32-g++ -qt-host-path "$qt_host_prefix"
    -release -shared -optimize-size
    -no-opengl -no-dbus -no-icu -no-fontconfig
    -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-tabletevent
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-doubleconversion -qt-freetype
    -no-zstd -feature-testlib
    -nomake examples -nomake tests
)

build_qt() {
    local version src key build
    version=$(source_version qt6-base)
    [[ -n $version ]] || { echo "windows: apt knows no source of qt6-base" >&2; return 1; }
    local host_version
    host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
    if [[ ${host_version%%[-+]*} != "${version%%[-+]*}" ]]; then
        echo "windows: the host's Qt tools are $host_version but the Qt source is $version" >&2
        return 1
    fi
    key=$(printf '%s\n' "$version" "${qt_configure[*]}" "$(cat "$toolchain")" | key_of)
    qt_prefix=$cache/qt-${version//[:~]/_}-$key
    if [[ -f $qt_prefix/.complete ]]; then
        echo "windows: reusing Qt in $qt_prefix"
        return 0
    fi
    src=$(fetch_source qt6-base "$version")
    build=$cache/qt-build-$key
    rm -rf "$build" "$qt_prefix"
    mkdir -p "$build"
    local log=$build/build.log
    echo "windows: building Qt $version for Windows (log: $log)"
    (
        cd "$build"
        "$src/configure" -prefix "$qt_prefix" "${qt_configure[@]}" -- \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DQT_HOST_PATH_CMAKE_DIR="$qt_host_prefix/lib/$host_multiarch/cmake"
        cmake --build . --parallel "$jobs"
        cmake --install .
    ) >"$log" 2>&1 || {
        tail -n 40 "$log" >&2
        echo "windows: the Qt build failed; the whole log is $log" >&2
        return 1
    }
    touch "$qt_prefix/.complete"
    rm -rf "$build"
}

stage packages install_missing_packages windows "$root/scripts/packages.txt" "$root/scripts/packages-windows.txt"
stage deb-src ensure_deb_src
stage qt build_qt
