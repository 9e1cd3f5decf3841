#!/usr/bin/env bash
# Checks of the Windows build under Wine, after scripts/windows.sh: the test programs that need no
# X display, virasvet-calc.exe against this system's virasvet-calc on a 1,000-house register (the
# same result bytes and the same plan, a Cyrillic file in a Cyrillic folder, results through a
# pipe), and the installer: silent install, the program run from its installed place, silent
# uninstall leaving nothing. Work files in build-windows/checks, Wine's in build-windows/wine.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build-windows
build=$out/build/virasvet
installed=$out/install
native=$out/host/cli/virasvet-calc
work=$out/checks
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")

export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX" "$work"
mkdir -p "$work"
wine_path() { winepath -w "$1" 2>/dev/null; }

echo "== Test programs under Wine"
# Qt finds its plugins beside the prefix's libraries.
WINEPATH="$(wine_path "$out/prefix/bin");$(wine_path "$gcc_dlls");$(wine_path /usr/x86_64-w64-mingw32/lib)" \
  QT_QPA_PLATFORM=offscreen bash -c '
  set -e # wine gives back the status of the test program: a failed test stops the checks
  for test in model/model_tests plan/plan_tests report/report_tests stock/batch_run_tests \
      stock/stock_plan_tests cli/sheet_reading_tests cli/progress_tests; do
    echo "-- $test"
    wine "$0/tests/$test.exe" --gtest_brief=1
  done' "$build"

echo "== virasvet-calc.exe against $native"
calc=$installed/virasvet-calc.exe
python3 scripts/make-houses.py mix 1000 >"$work/houses.csv"
"$native" --seed 1 "$work/houses.csv" -o "$work/houses.xlsx"
"$native" --seed 1 "$work/houses.csv" -o "$work/houses.ods"
# A gap the search reaches well within its time, so that both plans are the same search's end.
plan=(--budget 5000000 --budget 3000000 --budget 3000000 --gap 0.5)
for register in houses.csv houses.xlsx houses.ods; do # the same names: results carry the file's
  (cd "$work" && "$native" --seed 7 --jobs 2 "${plan[@]}" --plan "debian-$register-plan.csv" \
    "$register" -o "debian-$register.csv")
  (cd "$work" && wine "$calc" --seed 7 --jobs 2 "${plan[@]}" --plan "windows-$register-plan.csv" \
    "$register" -o "windows-$register.csv")
  cmp "$work/debian-$register.csv" "$work/windows-$register.csv"
  cmp "$work/debian-$register-plan.csv" "$work/windows-$register-plan.csv"
  echo "$register: the same results and plan"
done
# Through a pipe, and a Cyrillic file in a Cyrillic folder written as a workbook.
(cd "$work" && "$native" --seed 7 houses.csv) >"$work/debian-stdout.csv"
(cd "$work" && wine "$calc" --seed 7 houses.csv) >"$work/windows-stdout.csv"
cmp "$work/debian-stdout.csv" "$work/windows-stdout.csv"
echo "through a pipe: the same bytes"
mkdir -p "$work/Реестры"
cp "$work/houses.csv" "$work/Реестры/Дома района.csv"
wine "$calc" --seed 7 "$(wine_path "$work/Реестры/Дома района.csv")" \
  -o "$(wine_path "$work/Реестры/Результаты.xlsx")"
wine "$calc" --seed 7 "$(wine_path "$work/Реестры/Результаты.xlsx")" \
  -o "$(wine_path "$work/Реестры/Снова.csv")"
echo "Cyrillic names: $(ls "$work/Реестры" | tr '\n' ' ')"
# The Russian messages on the console's error stream.
(cd "$work" && wine "$calc" нет-такого.csv || true) 2>&1 | head -n 3

echo "== The installer"
wine "$out/virasvet-1.0-setup.exe" /S
wineserver -w
place=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/Programs/Virasvet
find "$place" -type f | sort >"$work/installed.txt"
echo "installed files: $(wc -l <"$work/installed.txt")"
wine "$place/virasvet-calc.exe" --version
test -f "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Вирасвет.lnk"
wine "$place/uninstall.exe" /S
wineserver -w
sleep 2
if [ -e "$place" ]; then
  echo "left after uninstalling:" && find "$place" && exit 1
fi
echo "uninstalled: nothing left"
wineserver -k || true
