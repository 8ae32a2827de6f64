#!/usr/bin/env bash
# Makes a photographer's day in FOLDER with the real tools, to try the
# window or torvel-cli on: three cameras over two days, whose names run
# against the order they were taken in.
#   camera A  JPEGs dated with the exiv2 tool, one with a time offset that
#             must not move its name;
#   camera B  raw files: a TIFF dated with the exiv2 tool under a .NEF name,
#             as such cameras write them;
#   camera C  HEIC images heif-enc makes from a dated JPEG (it copies EXIF);
#   others    files without a shooting date (an image, a clip, a JPEG with a
#             Shift-JIS name) whose modification time puts them on a day.
# The EXIF times are the camera's wall clock; a modification time is read in
# the local time zone, as torvel reads it. The other files keep the time
# they are made at, so a date taken from it shows.
# Usage: scripts/photo-day.sh FOLDER (a new or empty folder).
# Exits 77 when a tool is missing: scripts/deps.sh installs them.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 FOLDER" >&2
  exit 2
fi
for tool in exiv2 heif-enc; do
  if ! command -v "$tool" >/dev/null; then
    echo "$0: $tool is missing (scripts/deps.sh installs it)" >&2
    exit 77
  fi
done
folder=$1
mkdir -p "$folder"
if [ -n "$(ls -A "$folder")" ]; then
  echo "$0: $folder is not empty; nothing was made" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One grey pixel, the smallest JPEG a decoder takes without a complaint.
tiny_jpeg() {
  printf '\xff\xd8\xff\xdb\x00\x43\x00'
  printf '\x01%.0s' {1..64} # quantisation by one
  printf '\xff\xc0\x00\x0b\x08\x00\x01\x00\x01\x01\x01\x11\x00'
  printf '\xff\xc4\x00\x26\x00\x01'
  printf '\x00%.0s' {1..16} # one code of the DC table
  printf '\x10\x01'
  printf '\x00%.0s' {1..16} # one code of the AC table: end of block
  printf '\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00\x3f\xff\xd9'
}

# A bare TIFF of one tag (ImageWidth 1), which the exiv2 tool then fills.
tiny_tiff() {
  printf 'II\x2a\x00\x08\x00\x00\x00\x01\x00\x00\x01\x03\x00\x01\x00\x00\x00\x01\x00\x00\x00'
  printf '\x00\x00\x00\x00'
}

# One grey pixel as PNG, with no EXIF of its own.
tiny_png() {
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x00'
  printf '\x00\x00\x00\x3a\x7e\x9b\x55\x00\x00\x00\x0aIDAT\x78\x9c\x63\x68\x00\x00\x00'
  printf '\x82\x00\x81\x77\xcd\x72\xb6\x00\x00\x00\x00IEND\xae\x42\x60\x82'
}

# A clip's container with no movie header, so no creation time.
tiny_clip() {
  printf '\x00\x00\x00\x14ftypqt  \x00\x00\x02\x00qt  \x00\x00\x00\x08mdat'
}

# exiv2 -M arguments that date a photo at the wall-clock time "$1 $2",
# with the offset $3 when given.
date_tags() {
  local when="${1//-/:} $2"
  printf '%s\n' "-Mset Exif.Photo.DateTimeOriginal Ascii $when"
  [ -z "${3:-}" ] || printf '%s\n' "-Mset Exif.Photo.OffsetTimeOriginal Ascii $3"
}

# name (\x escapes for bytes that are no UTF-8), kind, date, time, offset.
# The date and time are the shooting date of a camera's file, the
# modification time of the others.
while read -r name kind day time offset; do
  [ -n "$name" ] || continue
  printf -v name '%b' "$name"
  file=$folder/$name
  mapfile -t tags < <(date_tags "$day" "$time" "${offset:-}")
  case $kind in
    jpeg)
      tiny_jpeg >"$file"
      exiv2 "${tags[@]}" "$file"
      ;;
    raw)
      tiny_tiff >"$file"
      exiv2 -M"set Exif.Image.Make Ascii TESTCAM" -M"set Exif.Image.Model Ascii T-1" \
        "${tags[@]}" "$file"
      ;;
    heic)
      tiny_jpeg >"$work/source.jpg"
      exiv2 "${tags[@]}" "$work/source.jpg"
      heif-enc -o "$file" "$work/source.jpg" >"$work/log" 2>&1 || {
        cat "$work/log" >&2
        exit 1
      }
      ;;
    png | clip | bare-jpeg)
      case $kind in
        png) tiny_png ;;
        clip) tiny_clip ;;
        bare-jpeg) tiny_jpeg ;;
      esac >"$file"
      touch -m -d "$day $time" "$file"
      ;;
    *)
      echo "$0: unknown kind $kind" >&2
      exit 1
      ;;
  esac
done <<'EOF'
IMG_4003.HEIC          heic       2024-05-03 09:12:00
DSC_0102.JPG           jpeg       2024-05-03 10:00:01
screenshot.png         png        2024-05-03 11:30:00
_DSC7002.NEF           raw        2024-05-03 13:45:10
DSC_0101.JPG           jpeg       2024-05-03 15:20:00
\x8e\xca\x90\x5e.jpg   bare-jpeg  2024-05-03 17:05:00
_DSC7001.NEF           raw        2024-05-04 07:30:00
clip.MOV               clip       2024-05-04 08:15:00
IMG_4002.HEIC          heic       2024-05-04 09:40:00
DSC_0103.JPG           jpeg       2024-05-04 12:00:00
IMG_4001.HEIC          heic       2024-05-04 14:10:00
DSC_0100.JPG           jpeg       2024-05-04 20:00:00 -05:00
EOF
