# bash completion for quillon-cli: its options, the values of --color, and file names where
# an option or --scan takes files.
_quillon_cli() {
  local cur prev word scan=0
  COMPREPLY=()
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  # With '=' among the word breaks (bash's default) "--color=al" comes as "--color" "=" "al",
  # and "--color=" as "--color" "=".
  if [[ $cur == = ]]; then
    cur=
  elif [[ $prev == = ]] && ((COMP_CWORD >= 2)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  # One name a line, so that a name with blanks stays one.
  case $prev in
    --db | --module)
      compopt -o filenames
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return ;;
    --windows)
      compopt -o filenames
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return ;;
    --color)
      mapfile -t COMPREPLY < <(compgen -W 'auto always never' -- "$cur")
      return ;;
    --search | --search-text | --lang | -j | --jobs)
      return ;;
  esac
  # Without '=' among the word breaks the word is whole, and so is what replaces it.
  if [[ $cur == --color=* ]]; then
    mapfile -t COMPREPLY < <(compgen -P --color= -W 'auto always never' -- "${cur#--color=}")
    return
  fi
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '--help --version --json --color= --search
      --search-text --scan --summary --jobs --db --windows --wine --no-messages --no-docs
      --lang --module' \
      -- "$cur")
    [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace
    return
  fi
  # After --scan the other words are files to scan; without it they are codes, which no list
  # can offer.
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    [[ $word == --scan ]] && scan=1
  done
  if ((scan)); then
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}
complete -F _quillon_cli quillon-cli
