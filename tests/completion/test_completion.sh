#!/usr/bin/env bash
# The bash completion of larkspur-cli, called as bash calls it: COMP_WORDS,
# COMP_CWORD, COMP_LINE and COMP_POINT set, the function run, COMPREPLY read.
# Runs once with plain bash and, when bash-completion is installed, once more
# with its helpers loaded, since the script takes a different path with them.
#
# usage: test_completion.sh LARKSPUR_CLI COMPLETION_SCRIPT [with-helpers]
set -u

cli=$(realpath "$1")
completion=$(realpath "$2")
mode=${3:-plain}
self=$(realpath "${BASH_SOURCE[0]}")
helpers=/usr/share/bash-completion/bash_completion

# bash's own word breaks, which an interactive shell sets by itself.
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'
if [[ $mode == with-helpers ]]; then
    # shellcheck source=/dev/null
    source "$helpers" || exit 1
fi
# shellcheck source=/dev/null
source "$completion" || exit 1

work=$(mktemp -d)
state=$(mktemp -d)
trap 'rm -rf "$work" "$state"' EXIT
mkdir "$work/sub" "$work/conf-only"
printf '[Net]\r\nHost=a\r\nPort=1\r\n; a comment\r\n[My Section]\r\nFull Name=x y\r\nFull Speed=2\r\n[Quote "q"]\r\nk\\=a\r\n' \
    >"$work/a.ini"
cp "$work/a.ini" "$work/my file.ini"
# Versions of b.ini, kept outside the folder whose names are completed.
export XDG_STATE_HOME=$state
printf '[A]\r\nk=1\r\n' >"$work/b.ini"
for value in 2 3 4 5 6 7 8 9 10 11; do
    "$cli" set "$work/b.ini" A k "$value" || exit 1
done
touch "$work/b.conf" "$work/conf-only/c.conf"
cd "$work" || exit 1

failures=0

# check WHAT EXPECTED WORD...: completes the last WORD of the command line
# made of the WORDs (as bash splits them: "=" is a word of its own) and
# compares the replies, sorted, with EXPECTED, a "|"-separated list.
check()
{
    local what=$1 expected=$2
    shift 2
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$#
    local line=$cli word previous=''
    for word in "$@"; do
        if [[ $word == = || $previous == = ]]; then line+=$word; else line+=" $word"; fi
        previous=$word
    done
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _larkspur_cli "$cli" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | paste -sd '|')
    expected=$(tr '|' '\n' <<<"$expected" | sed '/^$/d' | LC_ALL=C sort | paste -sd '|')
    if [[ $got != "$expected" ]]; then
        printf 'FAIL (%s) %s: expected [%s], got [%s]\n' "$mode" "$what" "$expected" "$got"
        failures=$((failures + 1))
    fi
}

# The commands and the program's own option.
check 'every command' 'add-key|add-section|delete|delete-section|diff|dump|find|get|history|lint|remove|remove-section|restore|set' ''
check 'commands by prefix' 'delete|delete-section' de
check 'the help option' '--help' -
check 'nothing after an unknown command' '' frobnicate a.ini ''

# FILE: INI files and folders first, any file when no INI file matches.
check 'INI files and folders' 'a.ini|b.ini|conf-only|my file.ini|sub' get ''
check 'any file without an INI file' 'conf-only/c.conf' get conf-only/
check 'nothing after FILE for dump' '' dump a.ini ''

# The options of find, each once, the fields as a list.
check 'find options' '--case|--fields=|--whole' find a.ini text ''
check 'find options not given yet' '--fields=|--whole' find a.ini text --case ''
check 'an option as the search text does not count' '--case|--fields=|--whole' find a.ini --case ''
check 'no option in place of the text' '' find a.ini ''
check 'fields' 'key|section|value' find a.ini text --fields = ''
check 'fields by prefix' 'section' find a.ini text --fields = s
check 'the next field of a list' 'section,key|section,value' find a.ini text --fields = section,

# Section names, read from the file, quoted as the word is.
check 'sections' 'My\ Section|Net|Quote\ \"q\"' get a.ini ''
check 'sections by prefix, letter case ignored' 'Net' get a.ini n
check 'a section with blanks' 'My\ Section' delete-section a.ini My
check 'a section inside double quotes' 'My Section' set a.ini '"My S'
check 'a section inside single quotes' 'Quote "q"' delete a.ini "'Qu"
check 'a quote in a section inside double quotes' 'Quote \"q\"' add-key a.ini '"Q'
check 'sections of a file with blanks in its name' 'My\ Section|Net|Quote\ \"q\"' get 'my\ file.ini' ''
check 'sections of a quoted file name' 'Net' get '"my file.ini"' N
check 'no section of a missing file' '' get missing.ini ''
check 'no name for a new section' '' add-section a.ini ''

# Key names of the section already given, header records left out.
check 'keys' 'Host|Port' get a.ini Net ''
check 'keys of a section in another letter case' 'Host' set a.ini NET h
check 'keys with blanks' 'Full\ Name|Full\ Speed' get a.ini 'My\ Section' F
check 'a key inside single quotes' 'Full Name' delete a.ini '"My Section"' "'Full N"
check 'a key with a backslash' "k\\\\" get a.ini "'Quote \"q\"'" ''
check 'no key of a missing section' '' get a.ini None ''
check 'no key for add-key' '' add-key a.ini Net ''
check 'no value' '' set a.ini Net Host ''
check 'keys to remove' 'Host|Port' remove a.ini Net ''
check 'sections to remove' 'Net' remove-section a.ini n

# Options after a command's arguments, each once.
check 'write options after the value' '--check|--diff' set a.ini Net Host x ''
check 'write options not given yet' '--diff' delete a.ini Net Host --check ''
check 'write options of remove-section' '--check|--diff' remove-section a.ini Net -
check 'the default of get' '--default' get a.ini Net Host ''
check 'no default text' '' get a.ini Net Host --default ''
check 'lint as JSON' '--json' lint a.ini ''
check 'nothing after lint --json' '' lint a.ini --json ''

# Version numbers, read from the file's history.
check 'versions' '1|2|3|4|5|6|7|8|9|10' diff b.ini ''
check 'versions by prefix' '1|10' restore b.ini 1
check 'no version of a file without history' '' diff a.ini ''
check 'write options after the version' '--check|--diff' restore b.ini 1 ''
check 'nothing after history' '' history b.ini ''

if [[ $mode == plain && -r $helpers ]]; then
    bash "$self" "$cli" "$completion" with-helpers || failures=$((failures + 1))
fi
if ((failures > 0)); then
    echo "$failures failure(s) ($mode)"
    exit 1
fi
echo "completion: all checks passed ($mode)"
