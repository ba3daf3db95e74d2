# Where the Windows build and the Linux build it takes its tools and data from live, and the
# version the zip is named after; sourced by scripts/windows.sh and scripts/test-windows.sh
# from the project folder.
#   HOST_BUILD_DIR (default build), WIN_BUILD_DIR (default build-win)
host_build=$(readlink -m "${HOST_BUILD_DIR:-build}")
win_build=$(readlink -m "${WIN_BUILD_DIR:-build-win}")
version=$(sed -n 's/^project(VORL VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_name="VORL-$version-win64"
