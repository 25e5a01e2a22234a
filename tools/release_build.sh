# Sourced by run.sh and test.sh: the release build that users run, made the
# same way in both, so that CI builds exactly what the README's run command
# builds (test.sh adds warnings-as-errors in a build folder of its own).
pentrill_release_build() {
  local dir=$1
  shift
  env -u CXX -u CC cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF \
    -DPENTRILL_SANITIZE=OFF -DPENTRILL_FUZZ=OFF "$@" >/dev/null
  cmake --build "$dir" --target pentrill
}
