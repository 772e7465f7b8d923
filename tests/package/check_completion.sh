#!/bin/bash
# The bash completion of tavric-run, driven as bash drives it, from the run
# folder (where the plug-ins are): its options, commands, boards, protocols
# and script files.
# Usage: check_completion.sh COMPLETION RUN_FOLDER
set -u
source "$1" || exit 1
cd "$2" || exit 1
status=0
expect() {  # expect WANT WORD...: completing the last word offers WANT
  local want=$1
  shift
  COMP_WORDS=(./tavric-run "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _tavric_run
  if [[ " ${COMPREPLY[*]} " != *" $want "* ]]; then
    echo "completing '$*' offers '${COMPREPLY[*]}', not $want"
    status=1
  fi
}
expect --max-seconds --max-s
expect --version --vers
expect CTVRSimDoc --board ""
expect sim --board s
expect PC/SC --protocol P
expect Verta --list --protocol ""
expect apdu --type a
expect hardware --flow h
expect regs re
expect examples/hello.cmd examples/hel
exit $status
