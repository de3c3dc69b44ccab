# Sourced by the scripts that build a static Qt of their own (windows_release.sh, web_release.sh):
# which Qt version they build, how its source is fetched, what they configure alike, where the
# builds are kept and how many jobs build them.

cache_dir=${QUARNEL_CACHE_DIR:-$HOME/.cache/quarnel}
jobs=${QUARNEL_JOBS:-$(nproc)}

# The Qt version the source package holds: the host's Qt, whose tools (moc, rcc, uic) the
# cross build runs, so both must be the same version.
qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev
}

# Fetches qt6-base's source into $1. When no deb-src entry is configured, apt reads a copy of
# the configured deb entries turned into deb-src ones, with its own package lists, so the
# system's apt setup is left as it was.
fetch_qt_source() {
    local dest=$1 apt=(apt-get -o DPkg::Lock::Timeout=900)
    mkdir -p "$dest"
    if ! (cd "$dest" && "${apt[@]}" source --download-only qt6-base="$(qt_version)") >/dev/null 2>&1; then
        local etc="$dest/apt"
        mkdir -p "$etc/sources.list.d" "$etc/lists/partial"
        local file
        for file in /etc/apt/sources.list.d/*.sources; do
            [ -f "$file" ] || continue
            sed 's/^Types:.*/Types: deb-src/' "$file" >"$etc/sources.list.d/$(basename "$file")"
        done
        for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$file" ] || continue
            sed -n 's/^deb \(.*\)/deb-src \1/p' "$file" >"$etc/sources.list.d/$(basename "$file")"
        done
        apt+=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$etc/sources.list.d"
              -o Dir::State::Lists="$etc/lists" -o APT::Sandbox::User="$(id -un)")
        "${apt[@]}" update -qq
        (cd "$dest" && "${apt[@]}" source --download-only qt6-base="$(qt_version)")
    fi
    (cd "$dest" && dpkg-source --no-check -x ./*.dsc qtbase >/dev/null)
}

# What every static Qt of the project is configured with: built for size with the host's Qt tools
# (qt6-base-dev, whose version qt_version gives), without examples or tests.
qt_build_flags=(
    -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_BUILD_TYPE=MinSizeRel
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
# The modules the editor does not use.
qt_unused_modules=(
    -DFEATURE_dbus=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_testlib=OFF
    -DFEATURE_network=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_printsupport=OFF
)
# The file formats it does not read, and pkg-config, which a cross build has no use for.
qt_unused_formats=(
    -DFEATURE_zstd=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_pkg_config=OFF
)
