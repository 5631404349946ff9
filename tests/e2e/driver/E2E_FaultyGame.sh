#!/bin/sh
# Stands in for the executable in the random-play driver's own tests: a play that dies by a signal
# (game "signal") or that a sanitizer reports (game "sanitizer"); any other game ends with an error code of its own.
case "$2" in
  *signal*) kill -SEGV $$ ;;
  *sanitizer*) echo "==1==ERROR: AddressSanitizer: heap-buffer-overflow on address 0x602000000014" >&2; exit 1 ;;
esac
exit 3
