#!/usr/bin/env bash
# The Linux and the Windows build write the same files and read each
# other's (the Windows programs run under Wine):
#  1. the same statements through both terralog-sql programs leave tables
#     byte for byte alike, but for the date of the last change in the
#     header (bytes 1 to 3);
#  2. each program reads the other's tables as its own and writes on them
#     as on its own;
#  3. a writer of each build killed amid a statement leaves a journal that
#     the other build rolls back: the table as it was before, byte for byte;
#  4. an archive terralog-backup saves on one restores on the other to the
#     same files.
#
#   tests/linux_windows_files.sh <Linux build> <Windows build> <Wine prefix>
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
prefix=$(realpath -m "$3")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_run=$here/../scripts/wine_run.sh

work=$(mktemp -d "${TMPDIR:-/tmp}/terralog-linux-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# sql <linux|windows> <folder> <statement>: the statement run in the folder
# (the tables named relative to it, so that both programs see one path).
sql() {
  local build=$1 folder=$2 statement=$3
  if [ "$build" = linux ]; then
    (cd "$folder" && printf '%s' "$statement" | "$linux/terralog-sql")
  else
    (cd "$folder" && printf '%s' "$statement" | "$wine_run" "$prefix" "$windows/terralog-sql.exe")
  fi
}
backup() {
  local build=$1 folder=$2
  shift 2
  if [ "$build" = linux ]; then
    (cd "$folder" && "$linux/terralog-backup" "$@")
  else
    (cd "$folder" && "$wine_run" "$prefix" "$windows/terralog-backup.exe" "$@")
  fi
}

# Two folders alike: the same names, the same bytes; a table's bytes 1 to 3
# (the date it was last written) may differ.
same_files() {
  local a=$1 b=$2 what=$3 name
  if [ "$(cd "$a" && ls -A)" != "$(cd "$b" && ls -A)" ]; then
    fail "$what: the files differ: $(cd "$a" && ls -A | tr '\n' ' ')against $(cd "$b" && ls -A | tr '\n' ' ')"
    return
  fi
  for name in $(cd "$a" && ls -A); do
    case ${name,,} in
      *.dbf)
        if ! cmp -s <(head -c 1 "$a/$name"; tail -c +5 "$a/$name") <(head -c 1 "$b/$name"; tail -c +5 "$b/$name"); then
          fail "$what: $name differs: $(cmp <(head -c 1 "$a/$name"; tail -c +5 "$a/$name") <(head -c 1 "$b/$name"; tail -c +5 "$b/$name") 2>&1 || true)"
        fi ;;
      *) cmp -s "$a/$name" "$b/$name" || fail "$what: $name differs" ;;
    esac
  done
}

statements=(
  'CREATE TABLE "T.dbf" (ID DECIMAL(10,0), NUME CHAR(30), SAT CHAR(12), SUP DECIMAL(12,4), DATA DATE)'
  'CREATE TABLE "Fisiere.dbf" (IDTP DECIMAL(10,0), FISIER CHAR(120))'
  'INSERT INTO "T.dbf" (ID, NUME, SAT, SUP, DATA) VALUES (1, "ŞTEFĂNESCU ŢĂRANU Ion", "Ţigăneşti", 12.0025, "05.06.1995")'
  'INSERT INTO "T.dbf" (ID, NUME, SAT, SUP, DATA) VALUES (2, "Îndrei Ana-Maria", "BRAN", -0.5, "29.02.2000")'
  'INSERT INTO "T.dbf" (ID, NUME, SUP) VALUES (3, "", 0)'
  'INSERT INTO "T.dbf" (ID, SAT) VALUES (4, "PODENI")'
  'INSERT INTO "T.dbf" (ID, NUME, SAT, SUP, DATA) VALUES (5, "POPESCU Gheorghe", "PODENI", 9999999.9999, "31.12.2099")'
  'INSERT INTO "Fisiere.dbf" (IDTP, FISIER) VALUES (1, "C:\Fond funciar Ţigăneşti\Scanari\tp 1.jpg")'
  'INSERT INTO "T.dbf" (ID, NUME, SAT, SUP, DATA) SELECT ID+10, NUME, SAT, SUP*2, DATA FROM "T.dbf" WHERE ID<4'
  'UPDATE "T.dbf" SET SUP=SUP+1.25, NUME="ŞERBAN Ştefan" WHERE ID=2'
  'DELETE FROM "T.dbf" WHERE ID=3'
  'ALTER TABLE "T.dbf" ADD CATEG CHAR(4)'
  'UPDATE "T.dbf" SET CATEG="A" WHERE SAT="PODENI"'
  'ALTER TABLE "T.dbf" DROP DATA'
)
select_all='SELECT * FROM "T.dbf" ORDER BY ID'
select_files='SELECT * FROM "Fisiere.dbf"'

# 1. The same statements on both.
for build in linux windows; do
  mkdir -p "$work/$build"
  for statement in "${statements[@]}"; do
    sql "$build" "$work/$build" "$statement" >/dev/null || fail "$build: $statement"
  done
done
same_files "$work/linux" "$work/windows" "the tables written by the same statements"

# 2. Each reads the other's tables, then writes on them.
for table in "$select_all" "$select_files"; do
  expected=$(sql linux "$work/linux" "$table")
  for build in linux windows; do
    for folder in linux windows; do
      [ "$(sql "$build" "$work/$folder" "$table")" = "$expected" ] || fail "$build reads the $folder tables otherwise: $table"
    done
  done
done
write_on='UPDATE "T.dbf" SET SUP=SUP-1, CATEG="B" WHERE ID>=5'
sql windows "$work/linux" "$write_on" >/dev/null || fail "windows writes on the linux tables"
sql linux "$work/windows" "$write_on" >/dev/null || fail "linux writes on the windows tables"
same_files "$work/linux" "$work/windows" "the tables after each build wrote on the other's"

# 3. A writer killed amid an UPDATE of every row of a large table leaves
# its journal; the other build, opening the table, puts it back as it was.
big=$work/big
mkdir -p "$big"
sql linux "$big" 'CREATE TABLE "B.dbf" (N DECIMAL(10,0), TEXT CHAR(40))' >/dev/null
sql linux "$big" 'INSERT INTO "B.dbf" (N, TEXT) VALUES (1, "şir de probă pentru jurnal")' >/dev/null
for _ in $(seq 17); do
  sql linux "$big" 'INSERT INTO "B.dbf" (N, TEXT) SELECT N+1, TEXT FROM "B.dbf"' >/dev/null
done
sum_before=$(sql linux "$big" 'SELECT COUNT(*) AS C, SUM(N) AS S FROM "B.dbf"')
for writer in linux windows; do
  if [ "$writer" = linux ]; then reader=windows; else reader=linux; fi
  journal_left=false
  for attempt in $(seq 8); do
    rm -rf "$work/killed"
    cp -a "$big" "$work/killed"
    if [ "$writer" = linux ]; then
      (cd "$work/killed" && exec "$linux/terralog-sql" <<<'UPDATE "B.dbf" SET N=N+1000000, TEXT="scris pe jumătate"') >/dev/null 2>&1 &
    else
      (cd "$work/killed" && exec "$wine_run" "$prefix" "$windows/terralog-sql.exe" <<<'UPDATE "B.dbf" SET N=N+1000000, TEXT="scris pe jumătate"') >/dev/null 2>&1 &
    fi
    writer_pid=$!
    while kill -0 "$writer_pid" 2>/dev/null && ! compgen -G "$work/killed/*-journal" >/dev/null; do :; done
    kill -KILL "$writer_pid" 2>/dev/null || true
    wait "$writer_pid" 2>/dev/null || true
    if compgen -G "$work/killed/*-journal" >/dev/null; then
      journal_left=true
      break
    fi
  done
  if ! $journal_left; then
    fail "a $writer writer killed 8 times left no journal"
    continue
  fi
  [ "$(sql "$reader" "$work/killed" 'SELECT COUNT(*) AS C, SUM(N) AS S FROM "B.dbf"')" = "$sum_before" ] ||
    fail "$reader reads the table a killed $writer writer left otherwise than before the statement"
  same_files "$big" "$work/killed" "the table a killed $writer writer left, after $reader opened it"
done

# 4. An archive saved by one, restored by the other.
for saver in linux windows; do
  if [ "$saver" = linux ]; then restorer=windows; else restorer=linux; fi
  backup "$saver" "$work" save --data "$saver" "$saver.tla" >/dev/null || fail "$saver saves an archive"
  mkdir -p "$work/restored-$restorer"
  backup "$restorer" "$work" restore --data "restored-$restorer" "$saver.tla" >/dev/null ||
    fail "$restorer restores the archive $saver saved"
  cmp -s "$work/$saver/T.dbf" "$work/restored-$restorer/T.dbf" && cmp -s "$work/$saver/Fisiere.dbf" "$work/restored-$restorer/Fisiere.dbf" ||
    fail "$restorer restores the archive $saver saved to other files"
  [ "$(sql "$restorer" "$work/restored-$restorer" "$select_all")" = "$(sql "$saver" "$work/$saver" "$select_all")" ] ||
    fail "$restorer reads the restored tables otherwise"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "The Linux and Windows builds write the same tables and read each other's tables, journals and archives"
