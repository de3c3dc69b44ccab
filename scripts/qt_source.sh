# Sourced by the scripts that build a static Qt of their own (windows_release.sh, web_release.sh):
# which Qt version they build and how its source is fetched.

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
