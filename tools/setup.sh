# Shared by ./run and ./test: installs what is missing (only then, with one
# apt-get update first) and configures and builds with CMake and Ninja.

# The second line: rendering the icons, making the Debian package and checking
# it, its desktop files, manual pages and shell completion.
QUILMARK_PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev zlib1g-dev libgtest-dev
  libbenchmark-dev pkg-config libspng-dev libgif-dev nlohmann-json3-dev xvfb xauth openbox x11-utils xdotool imagemagick
  librsvg2-bin dpkg-dev file binutils lintian appstream desktop-file-utils groff bash-completion)

quilmark_setup() {
  local missing=()
  for package in "${QUILMARK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# quilmark_build DIR TYPE: configure (once) and build everything into DIR.
quilmark_build() {
  local dir="$1" type="$2"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type"
  fi
  cmake --build "$dir"
}
