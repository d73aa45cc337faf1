# Sourced by the build scripts: sets `launcher` to the CMake arguments that compile through
# ccache when it is installed (none otherwise). The settings travel inside the launcher, so
# `cmake --build` run by hand later caches the same way. The cache keys on paths relative to
# the checkout's parent, so clones and work trees beside each other share their objects.
launcher=()
if command -v ccache >/dev/null; then
  launcher=("-DCMAKE_CXX_COMPILER_LAUNCHER=env;CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")};CCACHE_NOHASHDIR=1;ccache")
fi
