#!/usr/bin/env bash
# Builds the program and starts it.
#
#   scripts/run.sh [--demo | --no-demo]
#
# --demo opens the program on the demo mailbox (scripts/demo.sh: a private
# POP3 server on this machine with a dozen messages, and settings in a demo
# home of their own; the server stops when the program ends). Without either
# option the demo starts when there are no settings yet (no
# ~/pop3/pop3.ini); --no-demo starts the program on the user's own settings
# in any case. Nothing here waits for input.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=auto
case "${1:-}" in
  --demo) mode=demo; shift ;;
  --no-demo) mode=own; shift ;;
esac

scripts/install-deps.sh
scripts/build.sh pop3check

if [ "$mode" = auto ]; then
  if [ -f "$HOME/pop3/pop3.ini" ]; then
    mode=own
  elif [ "$(id -u)" = 0 ]; then
    echo "run: no settings yet ($HOME/pop3/pop3.ini), so the program opens on the demo mailbox."
    echo "run: for your own mailbox start 'scripts/run.sh --no-demo' once; your settings are kept from then on."
    mode=demo
  else
    echo "run: no settings yet ($HOME/pop3/pop3.ini). The demo mailbox needs root ('sudo scripts/run.sh --demo');"
    echo "run: starting the program on your own (still empty) settings."
    mode=own
  fi
fi

[ "$mode" = demo ] && exec scripts/demo.sh run build/pop3check "$@"
exec build/pop3check "$@"
