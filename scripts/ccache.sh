# Sourced by the build scripts (run from the top of the tree): compile through
# ccache when it is installed, never requiring it. Sets ccache_args, the cmake
# arguments that say so.
if command -v ccache >/dev/null 2>&1; then
  ccache_args=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Clones and worktrees of the tree share the cache: paths below the tree are
  # taken relative to it, and the build folder is not part of the key.
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
  export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
else
  ccache_args=(-DCMAKE_CXX_COMPILER_LAUNCHER=)
fi
