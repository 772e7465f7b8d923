#!/bin/sh
# Every option a program's --help offers is described in its manual page.
# Usage: check_man_options.sh PROGRAM PAGE.scd
program=$1
page=$2
options=$("$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || { echo "$program --help names no option"; exit 1; }
missing=
for option in $options; do
  grep -qF -- "*$option*" "$page" || missing="$missing $option"
done
if [ -n "$missing" ]; then
  echo "$(basename "$page") does not describe:$missing"
  exit 1
fi
echo "$(basename "$page"): $(echo $options | wc -w) options described"
