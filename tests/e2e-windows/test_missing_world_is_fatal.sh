#!/usr/bin/env bash
# Without "world.dat" Application.exe under Wine ends with the fatal report on
# standard error, naming the file, and status 1.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
rm -f world.dat
timeout 120 "$APPLICATION" >stdout.txt 2>stderr.txt && status=0 || status=$?
[ "$status" -eq 1 ] || e2e_fail "exit status $status"
grep -q "^ERROR : The program aborted unexpectedly" stderr.txt || e2e_fail "no fatal report"
grep -q "^Message: Cannot open the world file 'world.dat'" stderr.txt || e2e_fail "the report does not name the world file"
echo "PASS"
