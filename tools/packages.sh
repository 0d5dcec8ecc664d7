# Sourced by the other scripts: makes sure the Debian packages named are installed.
# As root it installs what is missing; otherwise it prints the exact command and stops.
ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]} ..." >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
}

# The l10n packages carry Qt's own Russian texts (file dialogs, standard buttons); the tools
# compile our own (lrelease) and check them against the code (lupdate).
BUILD_PACKAGES=(cmake make g++ qtbase5-dev libqt5serialport5-dev qttranslations5-l10n
                qttools5-dev-tools)
QT6_PACKAGES=(qt6-base-dev qt6-serialport-dev qt6-translations-l10n)
# cpack's dependency computation, and the checks the package test runs.
PACKAGE_TOOLS=(dpkg-dev desktop-file-utils appstream lintian)

# The build packages for the Qt major version given (5 or 6).
qt_packages() {
    case "$1" in
    5) echo "${BUILD_PACKAGES[@]}" ;;
    6) echo cmake make g++ qttools5-dev-tools "${QT6_PACKAGES[@]}" ;;  # Qt 5's lrelease serves both
    *) echo "Unknown Qt major version '$1' (5 or 6)." >&2; exit 1 ;;
    esac
}
# Cross-building for Windows and testing under Wine: the compilers, Wine, the installer
# builder, the zip, the MSI builder (wixl) and its table tools, Authenticode signing, Qt's
# translations for the portable zip, and what apt-get source needs.
WINDOWS_PACKAGES=(cmake make g++ g++-mingw-w64-x86-64-posix wine wine64 nsis zip wixl msitools
                  osslsigncode openssl xz-utils perl python3 dpkg-dev qttranslations5-l10n
                  "${BUILD_PACKAGES[@]}")
