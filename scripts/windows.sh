#!/usr/bin/env bash
# Builds both programs for Windows x86-64 on Debian 12, as root: installs the cross compiler, NSIS
# and Wine with apt-get, takes Debian's source packages of Qt and of every library the programs
# link, builds each once into build-windows/prefix (later runs skip what has its stamp), then the
# project, its installer build-windows/virasvet-1.0-setup.exe and a portable .zip.
#   scripts/windows.sh            everything
#   scripts/windows.sh libraries  only the libraries (Qt included)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
prefix=$out/prefix
sources=$out/sources
stamps=$prefix/stamps
toolchain=$root/cmake/mingw-w64.cmake
host=x86_64-w64-mingw32
jobs=${JOBS:-$(nproc)}
export VIRASVET_WINDOWS_PREFIX=$prefix
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev cmake ninja-build pkg-config make autoconf automake libtool nasm
  dpkg-dev qt6-base-dev-tools qt6-translations-l10n nsis wine64 wine zip unzip
)

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# A deb-src twin of the archive entries the machine already uses.
add_source_entries() {
  local list=/etc/apt/sources.list.d/virasvet-deb-src
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$list.sources"
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$list.list"
  fi
  apt-get update -q
}

# source_dir PACKAGE: unpacks Debian's source package once (patches applied), prints its folder.
# The newest version first; where its archive serves no sources (a security archive may not),
# the release's own version.
source_dir() {
  local package=$1 dir release
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mkdir -p "$sources/$package"
  dir=$(find "$sources/$package" -mindepth 1 -maxdepth 1 -type d | head -n1)
  if [ -z "$dir" ]; then
    (cd "$sources/$package" &&
      { apt-get source -q "$package" || apt-get source -q "$package/$release"; } >&2)
    dir=$(find "$sources/$package" -mindepth 1 -maxdepth 1 -type d | head -n1)
  fi
  [ -n "$dir" ] && echo "$dir"
}

done_already() { [ -f "$stamps/$1" ]; }
mark_done() { mkdir -p "$stamps" && touch "$stamps/$1"; }

# cmake_library NAME SOURCE_DIR [options...]: a CMake-built library, Release, into the prefix.
cmake_library() {
  local name=$1 dir=$2
  shift 2
  cmake -S "$dir" -B "$out/build/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@"
  cmake --build "$out/build/$name" -j"$jobs"
  cmake --install "$out/build/$name"
}

# autotools_library NAME SOURCE_DIR [configure options...]: static, into the prefix.
autotools_library() {
  local name=$1 dir=$2
  shift 2
  mkdir -p "$out/build/$name"
  (cd "$out/build/$name" &&
    "$dir/configure" --host=$host --prefix="$prefix" --enable-static --disable-shared \
      --disable-dependency-tracking "$@" \
      CC=$host-gcc-posix CXX=$host-g++-posix CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" &&
    make -j"$jobs" && make install)
}

licence() { # licence NAME FILE...: the library's licence texts, shipped beside the programs.
  local name=$1
  shift
  mkdir -p "$prefix/licences/$name"
  cp "$@" "$prefix/licences/$name/"
}

build_qt() {
  done_already qtbase && return 0
  local dir
  dir=$(source_dir qt6-base)
  cmake_library qtbase "$dir" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_opengl_dynamic=ON -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_sql=OFF -DFEATURE_openssl=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
  # Used under the LGPL 3, which is the GPL 3 with further permissions: both texts.
  licence qtbase "$dir"/LICENSES/LGPL-3.0-only.txt "$dir"/LICENSES/GPL-3.0-only.txt \
    "$dir"/debian/copyright
  mark_done qtbase
}

# Debian's zlib source leaves out zlib's Windows build files: its C files are compiled directly.
build_zlib() {
  done_already zlib && return 0
  local dir file
  dir=$(source_dir zlib)
  mkdir -p "$out/build/zlib" "$prefix/lib" "$prefix/include"
  cp "$dir/zconf.h.in" "$prefix/include/zconf.h"
  cp "$dir/zlib.h" "$prefix/include/"
  for file in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
    inflate inftrees trees uncompr zutil; do
    $host-gcc-posix -O2 -I"$prefix/include" -c "$dir/$file.c" -o "$out/build/zlib/$file.o"
  done
  rm -f "$prefix/lib/libz.a"
  $host-gcc-ar-posix rcs "$prefix/lib/libz.a" "$out"/build/zlib/*.o
  licence zlib "$dir"/debian/copyright
  mark_done zlib
}

build_libzip() {
  done_already libzip && return 0
  local dir
  dir=$(source_dir libzip)
  cmake_library libzip "$dir" -DBUILD_SHARED_LIBS=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
    -DENABLE_ZSTD=OFF -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=ON -DBUILD_TOOLS=OFF \
    -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF -DZLIB_LIBRARY="$prefix/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$prefix/include"
  # Linked statically: its users must not expect a DLL, and need its own libraries.
  sed -i -e 's/^Cflags: \(.*\)/Cflags: \1 -DZIP_STATIC/' \
    -e 's/^Libs: \(.*\)/Libs: \1 -ladvapi32 -lbcrypt -lz/' "$prefix/lib/pkgconfig/libzip.pc"
  licence libzip "$dir"/LICENSE "$dir"/debian/copyright
  mark_done libzip
}

build_xlsxwriter() {
  done_already libxlsxwriter && return 0
  local dir
  dir=$(source_dir libxlsxwriter)
  cmake_library libxlsxwriter "$dir" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF \
    -DBUILD_EXAMPLES=OFF -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
  licence libxlsxwriter "$dir"/License.txt "$dir"/debian/copyright
  mark_done libxlsxwriter
}

build_jpeg() {
  done_already libjpeg-turbo && return 0
  local dir
  dir=$(source_dir libjpeg-turbo)
  cmake_library libjpeg-turbo "$dir" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_JPEG8=OFF
  licence libjpeg-turbo "$dir"/LICENSE.md "$dir"/README.ijg "$dir"/debian/copyright
  mark_done libjpeg-turbo
}

# libcsv is one C file, built with the cross compiler directly; LGPL, so a DLL of its own.
build_csv() {
  done_already libcsv && return 0
  local dir
  dir=$(source_dir libcsv)
  mkdir -p "$prefix/bin" "$prefix/lib" "$prefix/include"
  rm -f "$prefix/lib/libcsv.a"
  $host-gcc-posix -O2 -shared "$dir/libcsv.c" -I"$dir" -o "$prefix/bin/libcsv-3.dll" \
    -Wl,--out-implib,"$prefix/lib/libcsv.dll.a"
  cp "$dir/csv.h" "$prefix/include/"
  licence libcsv "$dir"/debian/copyright /usr/share/common-licenses/LGPL-2.1
  mark_done libcsv
}

# CBC and the COIN-OR libraries it stands on (EPL-2.0), static, each on the ones before it.
build_coin() {
  local package name dir
  for package in coinutils coinor-osi clp coinor-cgl coinor-cbc; do
    name=${package#coinor-}
    done_already "$name" && continue
    dir=$(source_dir "$package")
    autotools_library "$name" "$dir" --without-blas --without-lapack --without-glpk \
      --without-asl --without-mumps --without-nauty --without-sample --without-netlib \
      --without-miplib3 --disable-cplex-libcheck --enable-cbc-parallel=no \
      F77=unavailable PKG_CONFIG_LIBDIR="$PKG_CONFIG_LIBDIR" PKG_CONFIG_PATH=
    licence "$name" "$dir"/LICENSE "$dir"/debian/copyright
    mark_done "$name"
  done
}

# GoogleTest from Debian's source, for the project's tests built for Windows.
build_gtest() {
  done_already googletest && return 0
  cmake_library googletest /usr/src/googletest -DBUILD_GMOCK=OFF
  mark_done googletest
}

build_libraries() {
  build_qt
  build_zlib
  build_libzip
  build_xlsxwriter
  build_jpeg
  build_csv
  build_coin
  build_gtest
}

# The guide and virasvet-calc's manual are made by a build for this machine, with this machine's
# libraries (the Windows prefix's pkg-config files stay out of it): the same documents.
build_host_documents() {
  scripts/setup.sh
  if grep -qs "$prefix" "$out/host/CMakeCache.txt"; then rm -rf "$out/host"; fi
  env -u PKG_CONFIG_LIBDIR -u PKG_CONFIG_PATH -u VIRASVET_WINDOWS_PREFIX \
    cmake -S "$root" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIRASVET_BENCHMARKS=OFF
  env -u PKG_CONFIG_LIBDIR -u PKG_CONFIG_PATH -u VIRASVET_WINDOWS_PREFIX \
    cmake --build "$out/host" -j"$jobs" --target help_pdf man_pages
  # The Russian manual page as UTF-8 text with CR LF line ends, as Windows' Notepad reads it.
  zcat "$out/host/packaging/man/ru/man1/virasvet-calc.1.gz" |
    groff -man -Tutf8 -P-c -P-b -P-u -rLL=80n 2>/dev/null | sed 's/$/\r/' >"$out/virasvet-calc.txt"
}

build_project() {
  cmake -S "$root" -B "$out/build/virasvet" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DVIRASVET_BENCHMARKS=OFF \
    -DVIRASVET_HOST_HELP_PDF="$out/host/app/help.pdf" -DCMAKE_INSTALL_PREFIX="$out/install" \
    -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
  cmake --build "$out/build/virasvet" -j"$jobs"
  rm -rf "$out/install"
  cmake --install "$out/build/virasvet" --strip
}

# Beside the programs: Qt's libraries and plugins, MinGW's run-time libraries, Qt's Russian
# texts, virasvet-calc's manual and every licence.
deploy() {
  local dest=$out/install gcc_dlls
  gcc_dlls=$(dirname "$($host-g++-posix -print-file-name=libstdc++-6.dll)")
  cp "$prefix"/bin/Qt6{Core,Gui,Widgets,PrintSupport}.dll "$prefix/bin/libcsv-3.dll" "$dest/"
  cp "$gcc_dlls"/{libstdc++-6,libgcc_s_seh-1}.dll /usr/$host/lib/libwinpthread-1.dll "$dest/"
  mkdir -p "$dest/platforms" "$dest/styles" "$dest/translations"
  cp "$prefix/plugins/platforms/qwindows.dll" "$dest/platforms/"
  cp "$prefix"/plugins/styles/*.dll "$dest/styles/"
  cp /usr/share/qt6/translations/qtbase_ru.qm "$dest/translations/"
  cp "$out/virasvet-calc.txt" "$dest/"
  rm -rf "$dest/licences"
  cp -r "$prefix/licences" "$dest/licences"
  mkdir -p "$dest/licences/mingw-w64-runtime"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$dest/licences/mingw-w64-runtime/gcc-runtime.txt"
  cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$dest/licences/mingw-w64-runtime/winpthreads.txt"
  $host-strip "$dest"/*.dll "$dest"/platforms/*.dll "$dest"/styles/*.dll
}

# The installer (for the current user, no administrator) and the portable archive.
package() {
  local files=$out/installer-files.nsh removal=$out/installer-removal.nsh path
  : >"$files"
  : >"$removal"
  while IFS= read -r path; do # each folder that holds files, as NSIS's File needs one
    echo "SetOutPath \"\$INSTDIR${path:+\\}${path//\//\\}\"" >>"$files"
    echo "File \"$out/install${path:+/}$path/*.*\"" >>"$files"
  done < <(cd "$out/install" && find . -type f -printf '%h\n' | sort -u | sed 's|^\.$||; s|^\./||')
  while IFS= read -r path; do
    echo "Delete \"\$INSTDIR\\${path//\//\\}\"" >>"$removal"
  done < <(cd "$out/install" && find . -type f | sed 's|^\./||' | sort)
  while IFS= read -r path; do
    echo "RMDir \"\$INSTDIR\\${path//\//\\}\"" >>"$removal"
  done < <(cd "$out/install" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r)
  makensis -V2 -INPUTCHARSET UTF8 -DFILES="$files" -DREMOVAL="$removal" \
    -DOUTFILE="$out/virasvet-1.0-setup.exe" -DICON="$root/packaging/windows/virasvet.ico" \
    "$root/packaging/windows/installer.nsi"
  rm -rf "$out/virasvet-1.0" "$out/virasvet-1.0-windows.zip"
  cp -r "$out/install" "$out/virasvet-1.0"
  (cd "$out" && zip -qr9 virasvet-1.0-windows.zip virasvet-1.0)
  rm -rf "$out/virasvet-1.0"
}

install_packages
add_source_entries
mkdir -p "$out" "$sources"
case "${1:-all}" in
  all) ;;
  libraries) build_libraries; exit 0 ;;
  build_* | deploy | package) "$1"; exit 0 ;; # one step, while working on this script
  *) echo "usage: $0 [libraries]" >&2 && exit 2 ;;
esac
build_libraries
build_host_documents
build_project
deploy
package
ls -l "$out/virasvet-1.0-setup.exe" "$out/virasvet-1.0-windows.zip"
