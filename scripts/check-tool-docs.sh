#!/usr/bin/env bash
# Checks an installed tree (PREFIX is /usr, or the usr/ of an unpacked package) for what the
# package promises about velloro-cli and velloro-phone: every command and option their --help
# lists is in their man page and in their bash completion, and the completion offers the right
# words in a table of command lines.
set -euo pipefail
prefix=${1:?usage: check-tool-docs.sh PREFIX}
failures=0

fail() {
    echo "check-tool-docs: $*" >&2
    failures=$((failures + 1))
}

# CLI11's help: the words under "Subcommands:" and the long options under "Options:".
help_commands() { "$@" --help | awk '/^Subcommands:/ {s = 1; next} /^[^ ]/ {s = 0} s && /^  [a-z]/ {print $1}'; }
help_options() { "$@" --help | grep -oE '^  (-[a-z],)?--[a-z-]+' | sed 's/^ *\(-[a-z],\)\?//'; }

# Every command path ("backup-sms", "fault set") of a tool, depth first.
command_paths() {
    local tool=$1
    shift
    local c
    for c in $(help_commands "$tool" "$@"); do
        echo "$* $c" | sed 's/^ //'
        command_paths "$tool" "$@" "$c"
    done
}

has_word() { grep -qE "(^|[^a-z.-])$2([^a-z-]|$)" <<<"$1"; }

for tool in velloro-cli velloro-phone; do
    bin=$prefix/bin/$tool
    page=$prefix/share/man/man1/$tool.1.gz
    completion=$prefix/share/bash-completion/completions/$tool
    [[ -x $bin ]] || { fail "$bin is missing"; continue; }
    [[ -f $page ]] || { fail "$page is missing"; continue; }
    [[ -f $completion ]] || { fail "$completion is missing"; continue; }
    # The page as text with roff's escaped hyphens and font changes taken out.
    man_text=$(gzip -dc "$page" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/"//g')
    completion_text=$(cat "$completion")

    paths=("")
    while IFS= read -r path; do paths+=("$path"); done < <(command_paths "$bin")
    ((${#paths[@]} > 1)) || fail "$tool --help lists no commands"
    for path in "${paths[@]}"; do
        # shellcheck disable=SC2086  # the path's words are separate arguments
        if [[ -n $path ]]; then
            grep -qF "$path" <<<"$man_text" || fail "$tool: '$path' is not in the man page"
            has_word "$completion_text" "${path##* }" || fail "$tool: '$path' is not in the completion"
        fi
        # shellcheck disable=SC2086
        for option in $(help_options "$bin" $path); do
            has_word "$man_text" "$option" || fail "$tool $path: $option is not in the man page"
            has_word "$completion_text" "$option" || fail "$tool $path: $option is not in the completion"
        done
    done
done

# What the completion offers: each row is a command line (the last word is being completed) and
# the words that must be among the offers, or "=" and the exact offers.
complete_line() {
    local tool=$1 line=$2
    # shellcheck disable=SC1090
    source "$prefix/share/bash-completion/completions/$tool"
    local function
    function=$(complete -p "$tool" | sed -E 's/.*-F ([^ ]+).*/\1/')
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    "$function" "$tool" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
touch "$files/sms.dat" "$files/contacts.txt"
rows=(
    "velloro-cli |backup-contacts restore-contacts copy-sim convert-contacts backup-sms restore-sms convert-sms order"
    "velloro-cli --phone p.db backup-|=backup-contacts backup-sms"
    "velloro-cli --|--phone --help"
    "velloro-cli backup-contacts --type |=both phone sim"
    "velloro-cli --phone p.db restore-contacts --type s|=sim"
    "velloro-cli convert-sms --sort |=date name"
    "velloro-cli convert-sms --order |=asc desc none"
    "velloro-cli convert-sms --|--sort --order --help"
    "velloro-cli restore-sms --|--untick --help"
    "velloro-cli order |=asc date desc name"
    "velloro-cli order name |=asc desc"
    "velloro-cli order desc |=date name"
    "velloro-cli order date asc |="
    "velloro-cli restore-sms $files/s|=$files/sms.dat"
    "velloro-cli --phone $files/c|=$files/contacts.txt"
    "velloro-phone |=contact dump fault init registry sim sms store"
    "velloro-phone --phone p.db fault |=clear list set"
    "velloro-phone fault set sim.r|=sim.read"
    "velloro-phone fault set sim.read |="
    "velloro-phone fault clear contacts.ite|=contacts.item contacts.items"
    "velloro-phone sms |=add folder"
    "velloro-phone sms add Inbox --from|=--from --from-name"
    "velloro-phone init --sim|=--sim-name-max --sim-number-max --sim-slots"
    "velloro-phone contact add FirstName=Bo Last|=LastName="
    "velloro-phone registry |=delete set"
    "velloro-phone --phone $files/s|=$files/sms.dat"
)
for row in "${rows[@]}"; do
    line=${row%%|*}
    want=${row#*|}
    tool=${line%% *}
    got=$(complete_line "$tool" "$line")
    if [[ $want == =* ]]; then
        [[ $got == "${want#=}" ]] || fail "completing '$line' offers '$got', not '${want#=}'"
    else
        for word in $want; do
            [[ " $got " == *" $word "* ]] || fail "completing '$line' does not offer $word (offers '$got')"
        done
    fi
done

if ((failures > 0)); then
    echo "check-tool-docs: $failures problems" >&2
    exit 1
fi
echo "check-tool-docs: man pages and completion match velloro-cli and velloro-phone"
