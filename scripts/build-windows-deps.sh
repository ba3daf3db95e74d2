#!/usr/bin/env bash
# Builds the libraries of the Windows program from Debian's source packages with the MinGW-w64
# cross compiler, into a prefix this script owns: zlib, libsodium, libcurl (Windows' own TLS,
# Schannel), libzip, pugixml, fmt, nlohmann json, GSL and GoogleTest (for the tests under Wine).
#
# The prefix is kept between runs; it is built again from scratch when this script or the
# toolchain file changed, or when it is missing (a fresh machine).
#   VORL_WINDOWS_DEPS  the folder this script owns (default: build-windows-deps/)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cache="${VORL_WINDOWS_DEPS:-$root/build-windows-deps}"
prefix="$cache/prefix"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs="$(nproc)"
host=x86_64-w64-mingw32

fingerprint="$(cat "$0" "$toolchain" | sha256sum | cut -c1-16)"
if [ -f "$prefix/.fingerprint" ] && [ "$(cat "$prefix/.fingerprint")" = "$fingerprint" ]; then
  exit 0
fi

bash "$root/scripts/install-deps.sh" windows

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# `apt-get source` needs a deb-src entry; Debian's images ship only binary ones.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "build-windows-deps: adding Debian's source packages to apt"
  suite="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  $sudo tee /etc/apt/sources.list.d/vorl-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -qq
fi

echo "build-windows-deps: building the Windows libraries from Debian's sources into $prefix"
rm -rf "$cache"
mkdir -p "$cache/src" "$prefix/include" "$prefix/lib/pkgconfig"
cd "$cache/src"

# Runs a build step with its output in logs/<name>.log; a failure shows the log's end.
logs="$cache/logs"
mkdir -p "$logs"
step() {
  local name=$1; shift
  if ! "$@" >>"$logs/$name.log" 2>&1; then
    echo "build-windows-deps: building $name failed; the end of $logs/$name.log:" >&2
    tail -n 30 "$logs/$name.log" >&2
    exit 1
  fi
}

# Unpacks Debian's source package $1 (with Debian's patches) and prints its folder.
unpack() {
  apt-get source -qq "$1" >/dev/null 2>&1 || { echo "build-windows-deps: apt-get source $1 failed" >&2; exit 1; }
  find . -mindepth 1 -maxdepth 1 -type d -iname "$2*" | head -n 1
}

cmake_build() {
  local source="$1" name; shift
  name=$(basename "$source")
  step "$name" cmake -S "$source" -B "$source/build-win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVORL_WINDOWS_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF "$@"
  step "$name" cmake --build "$source/build-win" -j "$jobs"
  step "$name" cmake --install "$source/build-win"
}

# zlib: its own build files make a DLL; the static library is just its C files.
zlib="$(unpack zlib zlib-)"
(
  cd "$zlib"
  mkdir -p build-win
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil; do
    step zlib $host-gcc-posix -O2 -D_LARGEFILE64_SOURCE=1 -c "$c.c" -o "build-win/$c.o"
  done
  step zlib $host-ar rcs "$prefix/lib/libz.a" build-win/*.o
  cp zlib.h zconf.h "$prefix/include/"
  version="$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' zlib.h)"
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: %s\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$prefix" "$version" >"$prefix/lib/pkgconfig/zlib.pc"
)
echo "build-windows-deps: zlib done"

sodium="$(unpack libsodium libsodium-)"
(
  cd "$sodium"
  # Debian's source carries no generated configure script.
  [ -x configure ] || step libsodium autoreconf -fi
  step libsodium ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
    --disable-dependency-tracking CC=$host-gcc-posix
  step libsodium make -j "$jobs"
  step libsodium make install
)
echo "build-windows-deps: libsodium done"

curl="$(unpack curl curl-)"
cmake_build "$curl" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF \
  -DCURL_ZLIB=ON -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
  -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
  -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DENABLE_UNICODE=ON
echo "build-windows-deps: libcurl done"

libzip="$(unpack libzip libzip-)"
cmake_build "$libzip" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
  -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
  -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
  -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
echo "build-windows-deps: libzip done"

pugixml="$(unpack pugixml pugixml-)"
cmake_build "$pugixml" -DPUGIXML_BUILD_TESTS=OFF
fmt="$(unpack fmtlib fmtlib-)"
cmake_build "$fmt" -DFMT_TEST=OFF -DFMT_DOC=OFF
json="$(unpack nlohmann-json3 nlohmann-json3-)"
cmake_build "$json" -DJSON_BuildTests=OFF -DJSON_Install=ON
gsl="$(unpack ms-gsl ms-gsl-)"
cmake_build "$gsl" -DGSL_TEST=OFF -DGSL_INSTALL=ON
googletest="$(unpack googletest googletest-)"
cmake_build "$googletest" -Dgtest_disable_pthreads=ON
echo "build-windows-deps: pugixml, fmt, nlohmann json, GSL and GoogleTest done"

# The program links everything statically: what a library needs of others is its Libs.private,
# and static libraries declare no dllimport.
for pc in "$prefix"/lib/pkgconfig/*.pc; do
  private="$(sed -n 's/^Libs.private: *//p' "$pc")"
  if [ -n "$private" ]; then sed -i "s|^\(Libs: .*\)$|\1 $private|" "$pc"; fi
done
sed -i 's|^\(Cflags: .*\)$|\1 -DZIP_STATIC|' "$prefix/lib/pkgconfig/libzip.pc"
sed -i 's|^\(Cflags: .*\)$|\1 -DSODIUM_STATIC|' "$prefix/lib/pkgconfig/libsodium.pc"

rm -rf "$cache/src" "$logs"
echo "$fingerprint" >"$prefix/.fingerprint"
echo "build-windows-deps: ready"
