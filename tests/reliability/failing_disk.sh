#!/usr/bin/env bash
# Saves a figure while the system really fails it, and checks after every
# attempt that the previous file is there byte for byte, that no temporary is
# left, and that the save reported failure (or, when the failure missed the
# save, that the new file is complete).
#
#   failing_disk.sh CASE SAVE_TOOL
#
# CASE is one of:
#   write fsync close rename  the Nth call of that kind fails, for every N up
#                             to the number a save makes
#   create                    the new file cannot be made: the Nth open fails,
#                             the folder is missing, the folder is read-only
#   file-size-limit full-disk the data does not fit
#   crash                     the program is killed at each of those calls
#   read                      a read of the figure file fails during the load
#   kept                      what the user set on the file survives the save:
#                             read-only, permissions with the special bits,
#                             owner, a link, a link to a file not there yet, a
#                             file named like a temporary; two saves at once
# Exits 77 when the machine cannot make the failure (no strace, no user
# namespaces for mounting a small file system).
set -euo pipefail

case_name=$1
tool=$2
skip=77
sanitizer_report=86  # the tool's exit status for a sanitizer report

if [ "${3:-}" != --inside ]; then
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/figury-failing-disk.XXXXXX")
  trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
else
  scratch=$4  # already made by the outer run, inside a namespace of its own
fi

# A figure whose text takes several writes; the old file is a different one.
source_file=$scratch/source.obj
old_file=$scratch/old.obj
expected_file=$scratch/expected.obj
folder=$scratch/Dane
target=$folder/obiekt.obj

prepare() {
  awk 'BEGIN {
    print "PUNKTY 3000"
    for (k = 0; k < 3000; k++) print (k * 7919) % 1000 - 500, (k * 104729) % 800 - 400
    print "LINIE 1500"
    for (k = 1; k <= 1500; k++) print k, 3001 - k
  }' >"$source_file"
  printf 'PUNKTY 2\n\n1 2\n3 4\n\nLINIE 1\n\n1 2\n' >"$old_file"
  mkdir -p "$scratch/clean"
  "$tool" "$source_file" "$scratch/clean/obiekt.obj"
  cp "$scratch/clean/obiekt.obj" "$expected_file"
}

reset_folder() {
  [ -d "$folder" ] && chmod u+w "$folder"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$old_file" "$target"
}

failures=0
attempts=0
save_failed=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# check LABEL STATUS [must-fail]: the folder after one attempt that ended
# with STATUS. Where the save cannot be done safely, it must report failure.
check() {
  local label=$1 status=$2 must_fail=${3:-}
  attempts=$((attempts + 1))
  [ "$status" -ne $sanitizer_report ] || fail "$label: the sanitizers reported a fault"
  local listing
  listing=$(ls -A "$folder")
  if [ "$status" -eq 0 ]; then
    [ -z "$must_fail" ] || fail "$label: the save reported success"
    cmp -s "$expected_file" "$target" || fail "$label: the save reported success but the file is not the new figure"
  else
    [ "$status" -eq 1 ] && save_failed=$((save_failed + 1))
    cmp -s "$old_file" "$target" || fail "$label: failed with status $status and the old file changed"
  fi
  [ "$listing" = obiekt.obj ] || fail "$label: status $status, the folder holds: $(echo $listing)"
}

# check_crash LABEL: after the program was killed somewhere in a save the file
# is the old figure or the new one, never a mixture, and nothing but the
# killed save's own temporary may be left beside it; the next save succeeds.
check_crash() {
  local label=$1 status=0 name
  attempts=$((attempts + 1))
  if ! cmp -s "$old_file" "$target" && ! cmp -s "$expected_file" "$target"; then
    fail "$label: the file is neither the old nor the new figure"
  fi
  for name in $(ls -A "$folder"); do
    case $name in
    obiekt.obj) ;;
    obiekt.obj.figury-*.tmp) rm "$folder/$name" ;;
    *) fail "$label: left $name" ;;
    esac
  done
  "$tool" "$source_file" "$target" || status=$?
  check "$label, then saved again" "$status"
}

finish() {
  echo "$case_name: $attempts attempts, $save_failed failed saves, $failures faults"
  [ "$save_failed" -gt 0 ] || fail "$case_name: no attempt made the save itself fail"
  [ "$failures" -eq 0 ]
}

# count_calls SYSCALLS: sets calls to how many of those a clean run makes
# (program start and the load included, where a failure is harmless). Each
# call kind is counted on its own by strace, so this is an upper bound.
calls=0
count_calls() {
  local syscalls=$1
  command -v strace >/dev/null || { echo "strace is not installed" >&2; exit $skip; }
  strace -qq -o /dev/null true || { echo "strace cannot trace here" >&2; exit $skip; }
  reset_folder
  strace -qq -o "$scratch/trace" -e trace="$syscalls" "$tool" "$source_file" "$target" >&2 ||
    { echo "the tool fails under strace" >&2; exit 1; }
  calls=$(grep -cE "^(${syscalls//,/|})\(" "$scratch/trace" || true)
}

# inject SYSCALLS ERRNO: fails the Nth of those calls, for every N.
inject() {
  local syscalls=$1 errno=$2 n status
  count_calls "$syscalls"
  [ "$calls" -gt 0 ] || { fail "a clean save makes no $syscalls call"; return; }
  for ((n = 1; n <= calls; n++)); do
    reset_folder
    status=0
    strace -qq -o /dev/null -e trace="$syscalls" -e inject="$syscalls:error=$errno:when=$n" \
      "$tool" "$source_file" "$target" || status=$?
    check "$syscalls call $n fails with $errno" "$status"
  done
}

# kill_at SYSCALLS: kills the program as it makes the Nth of those calls.
kill_at() {
  local syscalls=$1 n kills=0
  count_calls "$syscalls"
  for ((n = 1; n <= calls; n++)); do
    reset_folder
    if (strace -qq -o /dev/null -e trace="$syscalls" -e inject="$syscalls:signal=KILL:when=$n" \
      "$tool" "$source_file" "$target"; exit $?) 2>/dev/null; then
      check "$syscalls call $n passed by" 0
    else
      kills=$((kills + 1))
      check_crash "killed at $syscalls call $n"
    fi
  done
  [ "$kills" -gt 0 ] || fail "no $syscalls call killed the program"
}

# Runs the tool with a folder it may not write in; root passes permission
# checks only by its capabilities, so they are dropped.
run_without_rights() {
  if [ "$(id -u)" -ne 0 ]; then
    "$@"
  elif setpriv --bounding-set=-all --inh-caps=-all true 2>/dev/null; then
    setpriv --bounding-set=-all --inh-caps=-all "$@"
  else
    echo "cannot drop root's capabilities"
    exit $skip
  fi
}

# Runs this script again as root of a user and mount namespace of its own,
# where it may mount file systems; skips where the machine forbids that.
in_namespace() {
  if ! unshare -rm true 2>/dev/null; then
    echo "user namespaces are not available"
    exit $skip
  fi
  unshare -rm bash "$0" "$case_name" "$tool" --inside "$scratch"
}

# read_fails: every read of the figure file fails in turn while the tool
# loads it to save it back in place; the load must fail and the file stay.
read_fails() {
  local big=$scratch/big.obj n status reads=()
  awk 'BEGIN {
    print "PUNKTY 60000"
    for (k = 0; k < 60000; k++) print k % 977, k % 613
    print "LINIE 60000"
    for (k = 1; k <= 60000; k++) print k, 60001 - k
  }' >"$big"
  count_calls read
  reset_folder
  cp "$big" "$target"
  strace -qq -y -o "$scratch/trace" -e trace=read "$tool" "$target" "$target" >&2 ||
    { fail "the tool fails under strace"; return; }
  mapfile -t reads < <(grep -n '^read(' "$scratch/trace" | grep -F 'obiekt.obj>' | cut -d: -f1)
  [ "${#reads[@]}" -ge 3 ] || fail "the load read the file in ${#reads[@]} reads only"
  for n in "${reads[@]}"; do
    cp "$big" "$target"
    status=0
    strace -qq -o /dev/null -e trace=read -e inject="read:error=EIO:when=$n" "$tool" "$target" "$target" || status=$?
    attempts=$((attempts + 1))
    [ "$status" -eq 2 ] || fail "read $n fails with EIO: status $status, not a failed load"
    cmp -s "$big" "$target" || fail "read $n fails with EIO: the file changed"
  done
  save_failed=1  # the load is what fails here
}

# mode_of PATH: permissions, owner and group as the system shows them.
mode_of() { stat -c '%a %u %g' "$1"; }

# expect_kept LABEL STATUS WANT_STATUS PATH CONTENT_FILE MODE: one save's outcome.
expect_kept() {
  local label=$1 status=$2 want=$3 path=$4 content=$5 mode=$6
  attempts=$((attempts + 1))
  [ "$status" -eq "$want" ] || fail "$label: status $status, expected $want"
  [ "$status" -ne 1 ] || save_failed=$((save_failed + 1))
  cmp -s "$content" "$path" || fail "$label: $path does not hold the expected figure"
  [ "$(mode_of "$path")" = "$mode" ] || fail "$label: $path is now $(mode_of "$path"), was $mode"
}

files_kept() {
  local status mode m other_group special=0
  # A file the user may not write is not replaced, though the folder allows it.
  reset_folder
  chmod 444 "$target"
  mode=$(mode_of "$target")
  status=0
  run_without_rights "$tool" "$source_file" "$target" || status=$?
  expect_kept "read-only file" "$status" 1 "$target" "$old_file" "$mode"
  [ "$(ls -A "$folder")" = obiekt.obj ] || fail "read-only file: the folder holds $(ls -A "$folder")"

  # Permissions, setuid, setgid and the sticky bit included, and, where the
  # saver may give them, owner and group stay. The group is given first: a
  # change of group clears setuid and setgid. Special bits the system does
  # not let this user set are left out, but one of them at least must be.
  other_group=$(getent group daemon | cut -d: -f3 || true)
  for m in 600 640 604 664 4755 2750 2640 1644 6775 7700; do
    reset_folder
    [ "$(id -u)" -ne 0 ] || [ -z "$other_group" ] || chgrp "$other_group" "$target"
    chmod "$m" "$target"
    mode=$(mode_of "$target")
    if [ "${mode%% *}" != "$m" ]; then
      echo "mode $m cannot be set here, left out"
      continue
    fi
    [ "${#m}" -lt 4 ] || special=$((special + 1))
    status=0
    "$tool" "$source_file" "$target" || status=$?
    expect_kept "mode $m" "$status" 0 "$target" "$expected_file" "$mode"
  done
  [ "$special" -gt 0 ] || fail "no special permission bit could be set on the file"

  # A link keeps leading to the figure, which is saved where it leads.
  reset_folder
  rm "$target"
  cp "$old_file" "$scratch/shared.obj"
  chmod 640 "$scratch/shared.obj"
  ln -s ../shared.obj "$target"
  status=0
  "$tool" "$source_file" "$target" || status=$?
  expect_kept "link to ../shared.obj" "$status" 0 "$scratch/shared.obj" "$expected_file" "$(mode_of "$scratch/shared.obj")"
  [ "$(readlink "$target")" = ../shared.obj ] || fail "the link at the figure path is gone"
  [ "$(ls -A "$folder")" = obiekt.obj ] || fail "link: the folder holds $(ls -A "$folder")"
  rm "$scratch/shared.obj"

  # A link to a file not there yet: the save creates the file where it leads.
  reset_folder
  rm "$target"
  ln -s ../new.obj "$target"
  status=0
  "$tool" "$source_file" "$target" || status=$?
  attempts=$((attempts + 1))
  [ "$status" -eq 0 ] || fail "link to a missing ../new.obj: status $status"
  cmp -s "$expected_file" "$scratch/new.obj" || fail "link to a missing ../new.obj: it does not hold the figure"
  [ "$(readlink "$target")" = ../new.obj ] || fail "link to a missing ../new.obj: the link is gone"
  [ "$(ls -A "$folder")" = obiekt.obj ] || fail "link to a missing file: the folder holds $(ls -A "$folder")"
  rm "$scratch/new.obj"

  # A link loop or a folder at the path cannot be replaced and stays.
  for what in loop folder; do
    reset_folder
    rm "$target"
    if [ $what = loop ]; then ln -s obiekt.obj "$target"; else mkdir "$target"; fi
    status=0
    "$tool" "$source_file" "$target" || status=$?
    attempts=$((attempts + 1))
    [ "$status" -eq 1 ] || fail "$what at the figure path: status $status"
    [ "$status" -ne 1 ] || save_failed=$((save_failed + 1))
    if [ $what = loop ]; then [ -L "$target" ]; else [ -d "$target" ]; fi || fail "the $what at the path is gone"
  done

  # A file of the user's named like a temporary is never touched.
  reset_folder
  printf 'moje\n' >"$target.tmp"
  status=0
  "$tool" "$source_file" "$target" || status=$?
  expect_kept "a user's obiekt.obj.tmp" "$status" 0 "$target" "$expected_file" "$(mode_of "$target")"
  [ "$(cat "$target.tmp")" = moje ] || fail "the user's obiekt.obj.tmp changed"

  # Two saves at once each land a whole figure: the file is one of them.
  local n
  for n in $(seq 1 20); do
    reset_folder
    "$tool" "$source_file" "$target" &
    "$tool" "$old_file" "$target" &
    wait
    attempts=$((attempts + 1))
    cmp -s "$target" "$expected_file" || cmp -s "$target" "$scratch/old-saved.obj" ||
      fail "two saves at once, round $n: the file is neither figure"
    [ "$(ls -A "$folder")" = obiekt.obj ] || fail "two saves at once: the folder holds $(ls -A "$folder")"
  done
}

run_case() {
  local status
  case $case_name in
  write) inject write ENOSPC ;;
  fsync) inject fsync,fdatasync EIO ;;
  close) inject close EIO ;;
  rename) inject rename,renameat,renameat2 EXDEV ;;
  create)
    inject open,openat,creat EACCES
    rm -rf "$folder"
    status=0
    "$tool" "$source_file" "$target" || status=$?
    [ ! -e "$folder" ] || fail "the save made the missing folder"
    [ "$status" -eq 1 ] || fail "missing folder: status $status"
    attempts=$((attempts + 1))
    # A folder that may not be written to, holding a file that may: the
    # temporary cannot be made, so the save must fail rather than overwrite.
    reset_folder
    chmod a-w "$folder"
    status=0
    run_without_rights "$tool" "$source_file" "$target" || status=$?
    check "read-only folder" "$status" must-fail
    ;;
  file-size-limit)
    # The limit cuts a write short and then refuses it; without the ignored
    # signal the system would kill the program instead.
    reset_folder
    status=0
    (trap '' XFSZ; ulimit -f 4; exec "$tool" "$source_file" "$target") || status=$?
    check "file size limit of 4 KiB" "$status" must-fail
    ;;
  full-disk)
    # A small file system filled up with another file.
    rm -rf "$folder"
    mkdir -p "$folder"
    mount -t tmpfs -o size=256k figury-disk "$folder"
    cp "$old_file" "$target"
    cat /dev/zero >"$folder/filler" 2>/dev/null || true
    status=0
    "$tool" "$source_file" "$target" || status=$?
    rm "$folder/filler"
    check "full disk" "$status" must-fail
    status=0
    "$tool" "$source_file" "$target" || status=$?
    check "disk with room again" "$status"
    [ "$status" -eq 0 ] || fail "with room on the disk again the save failed"
    ;;
  crash)
    kill_at write
    kill_at fsync,fdatasync
    kill_at close
    kill_at rename,renameat,renameat2
    save_failed=1  # nothing reports failure here: the program is gone
    ;;
  read) read_fails ;;
  kept)
    mkdir -p "$scratch/old-saved"
    "$tool" "$old_file" "$scratch/old-saved/obiekt.obj"
    mv "$scratch/old-saved/obiekt.obj" "$scratch/old-saved.obj"
    files_kept
    ;;
  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
  esac
  finish
}

if [ "${3:-}" = --inside ]; then
  run_case
  exit
fi
prepare
case $case_name in
full-disk) in_namespace ;;
*) run_case ;;
esac
