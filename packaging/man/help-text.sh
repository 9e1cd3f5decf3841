#!/bin/sh
# What help2man reads as the program's answer to --help or --version: the answer itself, with the
# lines of virasvet-calc's column list ("  Name — text") turned into help2man's tagged paragraphs
# ("  Name  text"), so that each column is an entry of its own in the manual page.
program=$1
shift
"$program" "$@" | sed 's/^  \([A-Za-z][A-Za-z0-9]*\) — /  \1  /'
