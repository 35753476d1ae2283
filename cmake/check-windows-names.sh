#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks names in any script and paths past 259 characters with the Windows program under Wine
# against the Linux program's records; S0 headers checksummed by hand. Wine's ANSI code page
# follows the locale: 1252 for C.UTF-8, 932 (Shift_JIS) for ja_JP.UTF-8, made here (as root).
#   cmake/check-windows-names.sh <linux program> <windows program .exe> <work directory>
set -euo pipefail
linux_exe=$(realpath "$1") exe=$(realpath "$2")
rm -rf "$3" && mkdir -p "$3/reference" && work=$(realpath "$3")
launcher=$(realpath "$(dirname "$0")/run-under-wine.sh")
samples=$(realpath "$(dirname "$0")/../samples")
source "$(dirname "$0")/windows-checks.sh"
locale -a | grep -qx ja_JP.utf8 || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
unset LC_ALL
export WINEDEBUG="${WINEDEBUG:--all}"

# The records of every output after its first line (an S-record file's header), from the Linux
# program. (Input names without "-", which the option rules would take for an option.)
cd "$work/reference"
for form in hex s19; do
  cp "$samples/app.$form" "input.$form"
  "$linux_exe" "input.$form" -crc=FFFE=0-FFFD "-output=app.$form" 2>/dev/null
done

run() {  # <locale> <arguments...>: in $work/case; status and messages in globals
  set +e
  messages=$(cd "$work/case" && LANG=$1 "$launcher" "$exe" "${@:2}" 2>&1 >/dev/null)
  status=$?
  set -e
}
place() {  # <path> <form>: samples/app.<form> as $work/case/<path>
  mkdir -p "$(dirname "$work/case/$1")" && cp "$samples/app.$2" "$work/case/$1"
}

banner="Sumwright Version 1.0.0"
completed=$'** L0500 (I) Generated CRC code at "0x0000FFFE"\n\nSumwright Completed'

# Each case: name | locale | input | its form | subcommand file (- for none), its encoding and
# "mark" for a UTF-8 byte order mark | arguments | output | header. A subcommand file names the
# input and the -crc option; the arguments hold the rest.
cases=(
  "Japanese input, derived output|C.UTF-8|日本語フォルダ/アプリ.hex|hex|-|日本語フォルダ\\アプリ.hex -crc=FFFE=0-FFFD|日本語フォルダ/アプリ_1.hex|"
  "Korean -output|C.UTF-8|한국어/펌웨어.s19|s19|-|한국어\\펌웨어.s19 -crc=FFFE=0-FFFD -output=한국어\\출력.s19|한국어/출력.s19|S00E00005F5F20202020202073313996"
  "emoji -subcommand in UTF-8|C.UTF-8|emoji😀/app🚀.s19|s19|emoji😀/opts😀.txt UTF-8|-subcommand=emoji😀\\opts😀.txt -output=emoji😀\\out🚀.s19|emoji😀/out🚀.s19|S00E00006F75745F20202020733139DD"
  "subcommand file with a byte order mark|C.UTF-8|日本語/アプリ.hex|hex|日本語/オプション.txt UTF-8 mark|-subcommand=日本語\\オプション.txt|日本語/アプリ_1.hex|"
  "Shift_JIS subcommand file under code page 932|ja_JP.UTF-8|ソフト/表.s19|s19|ソフト/設定.txt SHIFT_JIS|-subcommand=ソフト\\設定.txt|ソフト/表_1.s19|S00E0000955C5F312020202073313913"
  "Japanese header under code page 932|ja_JP.UTF-8|アプリ.s19|s19|-|アプリ.s19 -crc=FFFE=0-FFFD|アプリ_1.s19|S00E000083418376838A5F31733139BA"
  "Korean name under code page 932|ja_JP.UTF-8|한국어/펌웨어.hex|hex|-|한국어\\펌웨어.hex -crc=FFFE=0-FFFD|한국어/펌웨어_1.hex|"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name lang input form subcommand arguments output header <<<"$entry"
  rm -rf "$work/case"
  place "$input" "$form"
  read -r file encoding mark <<<"$subcommand"
  if [[ $file != - ]]; then
    { [[ -z $mark ]] || printf '\xEF\xBB\xBF'
      printf '%s\r\n' "${input//\//\\}" -crc=FFFE=0-FFFD | iconv -f UTF-8 -t "$encoding"
    } >"$work/case/$file"
  fi
  read -r -a words <<<"$arguments"
  run "$lang" "${words[@]}"
  expect "$name: status" 0 "$status"
  expect "$name: messages" "$banner"$'\n'"$completed" "$messages"
  expect "$name: records" "$(tail -n +2 "$work/reference/app.$form")" \
    "$(tail -n +2 "$work/case/$output" 2>&1)"
  expect "$name: first line" "${header:-$(head -n 1 "$work/reference/app.$form")}" \
    "$(head -n 1 "$work/case/$output" 2>&1)"
done

# The same file by two spellings of a Unicode name: refused, the message in code page 1252
# ("?" for the Greek letters it lacks), the input left as it was.
rm -rf "$work/case" && place "Ωμέγα/Äpfel.hex" hex
run C.UTF-8 'Ωμέγα\Äpfel.hex' -crc=FFFE=0-FFFD '-output=ΩΜΈΓΑ\.\äPFEL.HEX'
expect "same file, two spellings: status" 1 "$status"
expect "same file, two spellings: messages" "$banner"$'\n''** L2011 (E) Invalid parameter specified in option "output" : "?????\.\'$'\xE4''PFEL.HEX"'$'\n\n''Sumwright Abort' \
  "$messages"
expect "same file, two spellings: files" "Äpfel.hex" "$(ls "$work/case/Ωμέγα")"
expect "same file, two spellings: input" "" "$(cmp "$samples/app.hex" "$work/case/Ωμέγα/Äpfel.hex")"

# A directory more than 300 characters deep: a new output, a replaced one, and a failed run that
# leaves nothing beside it. The failed run's input ends after the data, so its CRC cannot land.
rm -rf "$work/case" && deep="深い/$(printf 'd%.0s' {1..100})/$(printf 'e%.0s' {1..100})/$(printf 'f%.0s' {1..100})"
place "$deep/app.hex" hex
grep -v ':00000001FF' "$samples/app.hex" >"$work/case/$deep/cut.hex"
for attempt in new replaced; do
  run C.UTF-8 "${deep//\//\\}\\app.hex" -crc=FFFE=0-FFFD "-output=${deep//\//\\}\\out.hex"
  expect "long path, $attempt output: status" 0 "$status"
  expect "long path, $attempt output: records" "$(cat "$work/reference/app.hex")" \
    "$(cat "$work/case/$deep/out.hex")"
done
run C.UTF-8 "${deep//\//\\}\\cut.hex" -crc=FFFFE=0-FFFFD "-output=${deep//\//\\}\\out.hex"
expect "long path, failed run: status" 1 "$status"
expect "long path, failed run: files" $'app.hex\ncut.hex\nout.hex' "$(ls -A "$work/case/$deep")"
expect "long path, failed run: output kept" "$(cat "$work/reference/app.hex")" \
  "$(cat "$work/case/$deep/out.hex")"

# On a console (Wine makes one of a pseudo-terminal, drawn with cursor moves): the name's own
# characters and the usage text's ellipsis, whatever the code page.
console() {
  (cd "$work/case" && LANG=C.UTF-8 SHELL=/bin/bash script -qec "wine $(printf '%q ' "$exe" "$@")" \
    /dev/null) | perl -pe 's/\e\[(\d*)C/" " x ($1||1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g; s/\r//g'
}
expect "console: a missing Unicode name" "$banner"$'\n''** L3300 (F) Cannot Open File : "Ωμέγα\日本.hex"'$'\n\n''Sumwright Abort' \
  "$(console 'Ωμέγα\日本.hex' -crc=FFFE=0-FFFD)"
expect "console: the usage text's ellipsis" "<sub>: <addr>=<start>-<end>[,…][/{CCITT|16}]" \
  "$(console | grep '^<sub>')"

finish "Windows name checks"
