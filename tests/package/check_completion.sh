#!/usr/bin/env bash
# Runs the bash completion of quilmark-cli as bash would on typed lines, in a
# folder holding files of every kind, and compares what it offers with what
# each place on the line takes. The commands and each command's options are
# those the program's own --help lists.
#   check_completion.sh PROGRAM COMPLETION DEMO.gaf
set -u
program=$(realpath "$1") completion=$(realpath "$2") demo=$(realpath "$3")
export LC_ALL=C
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion || exit 1
# shellcheck disable=SC1090
source "$completion" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch a.gaf B.GAF c.ufo d.hpi e.ccx f.gp3 g.bmp h.PNG i.gif notes.txt
mkdir folder
cp "$demo" demo.gaf

# What the completion offers at the end of "PROGRAM WORDS", sorted, on one line.
offers() {
  COMP_LINE="$program $1"
  COMP_POINT=${#COMP_LINE}
  read -ra COMP_WORDS <<<"$COMP_LINE"
  [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _quilmark_cli quilmark-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort -u | grep -v '^$' | tr '\n' ' ' | sed 's/ $//'
}

passes=0 failures=0
expect() {
  local got
  got=$(offers "$1")
  if [[ $got == "$2" ]]; then
    passes=$((passes + 1))
  else
    echo "FAIL: after \"quilmark-cli $1\" it offers \"$got\", not \"$2\""
    failures=$((failures + 1))
  fi
}

gaf="B.GAF a.gaf demo.gaf folder"
archives="c.ufo d.hpi e.ccx f.gp3 folder"
everything="B.GAF a.gaf c.ufo d.hpi demo.gaf e.ccx f.gp3 folder g.bmp h.PNG i.gif notes.txt"
# The animations of demo.gaf, as info names them.
demo_animations=$("$program" info demo.gaf | grep -o '"name": "[^"]*"' | cut -d'"' -f4 | sort | tr '\n' ' ' |
  sed 's/ $//')

# The commands and options the program lists.
commands=$("$program" --help | sed -n '/^commands:/,/^[^ ]/s/^  \([a-z]*\) .*/\1/p')
expect "" "$(sort <<<"$commands" | tr '\n' ' ' | sed 's/ $//')"
expect "--" "--help --palette --version"
expect "--palette " "$everything"
expect "--palette x.dat in" "info"
for command in $commands; do
  options=$("$program" "$command" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p')
  expect "$command --" "$(printf '%s\n' $options --help --palette | sort -u | tr '\n' ' ' | sed 's/ $//')"
done

# What each operand takes.
expect "info " "$gaf"
expect "convert a.gaf " "$gaf"
expect "convert --partial a.gaf " "$gaf"
expect "pack a.gaf " "$archives"
expect "pack --folder units a.gaf " "$archives"
expect "pack --into a.gaf " "$archives"
expect "list " "$archives"
expect "extract " "$archives"
expect "extract c.ufo units " "$everything"
expect "export a.gaf " "folder"
expect "export a.gaf --format " "bmp png"
expect "explode a.gaf --format p" "png"
expect "build out.gaf " "folder g.bmp h.PNG"
expect "build out.gaf g.bmp " "folder g.bmp h.PNG"
expect "build --into " "$gaf"
expect "build --into a.gaf " "$gaf"
expect "gif demo.gaf " "$demo_animations"
expect "gif demo.gaf any " "folder i.gif"
expect "gif --zoom " ""
expect "thumbnail a.gaf " "folder h.PNG"
expect "thumbnail --size 256 a.gaf " "folder h.PNG"
expect "implode " "folder"
expect "implode folder " "$gaf"
expect "unknown " ""

[[ -n $demo_animations ]] || { echo "FAIL: demo.gaf lists no animation"; failures=$((failures + 1)); }
echo "$passes passed, $failures failed"
[[ $failures -eq 0 ]]
