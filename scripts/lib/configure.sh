# Configures a CMake preset into build/<preset>. Sourced by scripts/test and scripts/run.
#
# A configure that ran before the compilers were installed (a hand-run `cmake --preset windows`
# on a new machine, say) fails, but leaves a cache whose per-build-type flags are empty, and
# every later configure keeps them: the build comes out unoptimized, too big for its size
# budget and slow. Such a cache is removed first, and the preset configured afresh.
kestrune_configure() {
    local preset=$1 dir=build/$1
    shift
    if [[ -f $dir/CMakeCache.txt ]] &&
        { ! compgen -G "$dir/CMakeFiles/*/CMakeCXXCompiler.cmake" >/dev/null ||
            grep -Eq '^CMAKE_CXX_FLAGS_(RELEASE|RELWITHDEBINFO):STRING=$' "$dir/CMakeCache.txt"; }; then
        echo "$dir: its cache is from a configure that found no compiler; configuring afresh" >&2
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    cmake --preset "$preset" "$@"
}
