# Sourced by the scripts at the top of scripts/: where the build trees are and how to get one.
# ORVALIS_NATIVE_BUILD and ORVALIS_WINDOWS_BUILD name other trees than build/native and build/windows
# (relative to the project's root, or absolute). After sourcing: $root, $native_build, $windows_build
# (absolute paths) and ensure_tree.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native_build=${ORVALIS_NATIVE_BUILD:-build/native}
windows_build=${ORVALIS_WINDOWS_BUILD:-build/windows}
[[ "$native_build" = /* ]] || native_build=$root/$native_build
[[ "$windows_build" = /* ]] || windows_build=$root/$windows_build
lib=$root/scripts/lib

# ensure_tree PRESET DIR: configures DIR from the preset when it has not been configured yet.
ensure_tree() {
    [ -f "$2/build.ninja" ] || (cd "$root" && cmake --preset "$1" -B "$2" >/dev/null)
}
