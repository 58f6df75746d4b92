# Installs the Debian packages listed in the given files (one a line, # comments) that are missing.
# Sourced by the set-up scripts; the caller's name prefixes every message.
install_missing_packages() {
    local who=$1 pkg status
    shift
    local wanted=() missing=()
    mapfile -t wanted < <(cat "$@" | grep -vE '^\s*(#|$)')
    for pkg in "${wanted[@]}"; do
        status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
        [[ $status == "install ok installed" ]] || missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0

    if ! command -v apt-get >/dev/null 2>&1; then
        echo "$who: these packages are missing and this system has no apt-get: ${missing[*]}" >&2
        echo "$who: install them with your package manager, then run this command again." >&2
        return 1
    fi
    echo "$who: installing ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Runs a command as root, through sudo when the caller is not root.
as_root() {
    if ((EUID == 0)); then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "this step needs root: $*" >&2
        echo "run this command as root, or do that step first." >&2
        return 1
    fi
}
