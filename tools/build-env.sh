# Sourced by the build and test scripts: the cross builds of the one source. The 32-bit build is the
# product (Karpolin.exe); the 64-bit build is tested under wine64 on machines that refuse 32-bit
# programs. Each lives in a folder of its own below the build folder.

# Configures and builds one target; further arguments name the CMake targets (default: everything).
karpolin_build() { # $1: 32 or 64, $2: the build folder, $3...: targets
    local bits=$1 folder=$2 toolchain
    shift 2
    if [ "$bits" = 64 ]; then toolchain=x86_64; else toolchain=i686; fi
    local targets=()
    local target
    for target in "$@"; do targets+=(--target "$target"); done
    echo "build: $bits-bit in $folder"
    if ! cmake -S "$KARPOLIN_ROOT" -B "$folder" \
        -DCMAKE_TOOLCHAIN_FILE="$KARPOLIN_ROOT/cmake/toolchain-mingw-$toolchain.cmake" >/dev/null; then
        echo "build: configuring the $bits-bit build failed" >&2
        return 1
    fi
    if ! cmake --build "$folder" -j"$(nproc)" "${targets[@]}"; then
        echo "build: the $bits-bit build failed" >&2
        return 1
    fi
}
