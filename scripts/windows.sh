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

# Reads a ninja build's output and reports every hundredth step on file descriptor 3.
report_progress() {
    awk -v what="$1" '/^\[[0-9]+\/[0-9]+\]/ {
        split(substr($1, 2), step, "/")
        if (step[1] % 100 == 0 || step[1] + 0 == step[2] + 0) {
            printf "windows:   %s %d/%d (%d s)\n", what, step[1], step[2], systime() - start
            fflush()
        }
    }
    BEGIN { start = systime() }' >&3
}

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
    # A build that stopped part-way goes on where it stopped.
    build=$cache/qt-build-$key
    rm -rf "$qt_prefix"
    mkdir -p "$build"
    local log=$build/build.log
    echo "windows: building Qt $version for Windows (log: $log)"
    (
        cd "$build"
        if [[ ! -f build.ninja ]]; then
            "$src/configure" -prefix "$qt_prefix" "${qt_configure[@]}" -- \
                -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
                -DQT_HOST_PATH_CMAKE_DIR="$qt_host_prefix/lib/$host_multiarch/cmake"
        fi
        # The whole output goes to the log; every hundredth step is also reported, so a long build is not silent.
        cmake --build . --parallel "$jobs" 2>&1 | tee -a "$log" | report_progress Qt
        cmake --install .
    ) 3>&2 >>"$log" 2>&1 || {
        tail -n 40 "$log" >&2
        echo "windows: the Qt build failed; the whole log is $log" >&2
        return 1
    }
    touch "$qt_prefix/.complete"
    rm -rf "$build"
}

# libyaml is built as a DLL: its header then needs no definition to say how it is linked.
build_libyaml() {
    local version src key build
    version=$(source_version libyaml)
    [[ -n $version ]] || { echo "windows: apt knows no source of libyaml" >&2; return 1; }
    local options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DBUILD_TESTING=OFF)
    key=$(printf '%s\n' "$version" "${options[*]}" "$(cat "$toolchain")" | key_of)
    yaml_prefix=$cache/libyaml-${version//[:~]/_}-$key
    if [[ -f $yaml_prefix/.complete ]]; then
        echo "windows: reusing libyaml in $yaml_prefix"
        return 0
    fi
    src=$(fetch_source libyaml "$version")
    build=$cache/libyaml-build-$key
    rm -rf "$build" "$yaml_prefix"
    (
        cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${options[@]}" \
            -DCMAKE_INSTALL_PREFIX="$yaml_prefix"
        cmake --build "$build" --parallel "$jobs"
        cmake --install "$build"
    ) >"$cache/libyaml-build.log" 2>&1 || {
        tail -n 40 "$cache/libyaml-build.log" >&2
        return 1
    }
    touch "$yaml_prefix/.complete"
    rm -rf "$build"
}

# The build-time tools run here, so they are built for this machine: the skin packer, and for the tests the
# tool that reads where to click a control from the window tables.
build_host_tools() {
    cmake -S "$root" -B "$host_build_dir" -DCMAKE_BUILD_TYPE=Release -DVARNICK_TESTS=ON >/dev/null
    local targets=(varnick_skin_pack)
    ((!run_tests)) || targets+=(varnick_control_centre)
    cmake --build "$host_build_dir" --parallel "$jobs" --target "${targets[@]}"
}

# GCC 12 warns of overlapping copies inside std::string that cannot happen (GCC bug 105651) once it
# inlines enough, as it does for mingw-w64 in a Release build.
cross_cxx_flags=-Wno-restrict

build_project() {
    cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_FIND_ROOT_PATH="$qt_prefix;$yaml_prefix" -DCMAKE_PREFIX_PATH="$qt_prefix;$yaml_prefix" \
        -DQT_HOST_PATH="$qt_host_prefix" -DQT_HOST_PATH_CMAKE_DIR="$qt_host_prefix/lib/$host_multiarch/cmake" \
        -DVARNICK_HOST_SKIN_PACK="$host_build_dir/skin/varnick_skin_pack" -DVARNICK_WERROR=ON \
        -DCMAKE_CXX_FLAGS="$cross_cxx_flags" >/dev/null
    cmake --build "$build_dir" --parallel "$jobs"
}

# Prints the DLLs a Windows binary imports.
imported_dlls() {
    "$triple-objdump" -p "$1" | awk '/DLL Name:/ { print $3 }'
}

# Copies into the package the DLLs that its binaries need and that Windows does not provide.
copy_dependencies() {
    local package=$1 runtime_dirs=("$qt_prefix/bin" "$yaml_prefix/bin") queue=() seen=" " file dll dir found
    runtime_dirs+=("$(dirname "$("$triple-g++-posix" -print-libgcc-file-name)")")
    runtime_dirs+=("/usr/$triple/lib")
    mapfile -t queue < <(find "$package" -name '*.exe' -o -name '*.dll')
    while ((${#queue[@]})); do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        while read -r dll; do
            [[ $seen == *" ${dll,,} "* ]] && continue
            seen+="${dll,,} "
            found=
            for dir in "${runtime_dirs[@]}"; do
                if [[ -f $dir/$dll ]]; then
                    found=$dir/$dll
                    break
                fi
            done
            [[ -n $found ]] || continue  # a system DLL
            cp "$found" "$package/"
            queue+=("$package/$dll")
        done < <(imported_dlls "$file")
    done
}

make_package() {
    local package=$build_dir/package
    rm -rf "$package"
    mkdir -p "$package/platforms" "$package/styles"
    cp "$build_dir/ui/varnick.exe" "$package/"
    cp "$qt_prefix/plugins/platforms/qwindows.dll" "$package/platforms/"
    cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$package/styles/"
    copy_dependencies "$package"
    "$triple-strip" --strip-unneeded "$package"/*.exe "$package"/*.dll "$package"/*/*.dll
    mkdir -p "$dist_dir"
    rm -f "$dist_dir/varnick-windows-x64.zip"
    (cd "$package" && zip -qr -X "$dist_dir/varnick-windows-x64.zip" .)
    echo "windows: wrote $dist_dir/varnick-windows-x64.zip ($(du -h "$dist_dir/varnick-windows-x64.zip" | cut -f1))"
}

run_tests() {
    local test failed=0
    for test in core startup makers; do
        echo "windows: test $test"
        VARNICK_WINDOWS_ZIP=$dist_dir/varnick-windows-x64.zip \
            VARNICK_CORE_TESTS_EXE=$build_dir/tests/core/varnick_core_tests.exe \
            VARNICK_HOLD_FILE_EXE=$build_dir/tests/windows/varnick_hold_file.exe \
            VARNICK_CONTROL_CENTRE=$host_build_dir/tests/e2e/varnick_control_centre \
            VARNICK_SKIN_LIBRARY=$build_dir/ui/carried/jedata.dll \
            VARNICK_SKIN_FILE=$build_dir/ui/carried/skin.she \
            VARNICK_WINE_CACHE=$cache \
            bash "$root/tests/windows/${test}_test.sh" || failed=1
    done
    return "$failed"
}

stage packages install_missing_packages windows "$root/scripts/packages.txt" "$root/scripts/packages-windows.txt"
stage deb-src ensure_deb_src
stage qt build_qt
stage libyaml build_libyaml
stage host-tools build_host_tools
stage cross-build build_project
stage package make_package
if ((run_tests)); then
    stage tests run_tests
fi
echo "windows: finished in $((SECONDS - script_start)) s"
