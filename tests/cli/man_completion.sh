#!/bin/sh
# Every command and option that `PROGRAM --help` and `PROGRAM COMMAND --help`
# show is described in that command's part of the man page and offered by
# the completion for that command.
# Usage: man_completion.sh PROGRAM MAN_PAGE COMPLETION
set -u
program=$1 man=$2 completion=$3
# Options another command's, quoted ('check --verify'), are not this one's.
options() { sed -E "s/'[a-z-]+ [^']*'//g" | grep -oE '(^|[][ |,])--?[a-z][a-z0-9-]*' | sed 's/^[][ |,]//' | sort -u; }
# The man page's text between ".SS NAME" (or ".SH NAME") and the next heading.
man_part() { sed 's/\\-/-/g; s/\\f[BIRP]//g' "$man" | awk -v name="$1" '/^\.S[HS] /{on = ($2 == name)} on'; }
# The completion's option list for a command ('\*' for none).
completed() { sed -n "s/^ *$1) opts='\(.*\)' ;;\$/\1/p" "$completion" | tr ' ' '\n'; }

status=0
commands=$("$program" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "no commands in '$program --help'"; exit 1; }
for command in '' $commands; do
  part=${command:-OPTIONS} key=${command:-\\*}
  if [ -n "$command" ]; then
    grep -q "^    local commands='.*\b$command\b" "$completion" || { echo "completion: no command $command"; status=1; }
  fi
  described=$(man_part "$part" | options) offered=$(completed "$key")
  for option in $("$program" $command --help | options); do
    echo "$described" | grep -qxF -- "$option" || { echo "man page, ${command:-program}: no $option"; status=1; }
    echo "$offered" | grep -qxF -- "$option" || { echo "completion, ${command:-program}: no $option"; status=1; }
  done
done
exit $status
