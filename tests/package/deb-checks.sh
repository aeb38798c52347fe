# The Debian package's contents as a packager checks them; sourced by run-package-test, whose
# check and contains it uses.
#   deb_checks DEB UNPACKED (the package, and the folder dpkg-deb -x unpacked it into)
deb_checks() {
  local deb=$1 dir=$2 work
  work=$(mktemp -d)
  local cli=$dir/usr/bin/quillon-cli man=$dir/usr/share/man/man1/quillon-cli.1.gz
  local completion=$dir/usr/share/bash-completion/completions/quillon-cli
  local copyright=$dir/usr/share/doc/quillon-cli/copyright

  # Every option --help lists is in the manual page and offered by the completion.
  "$cli" --help | grep -o -e '--[a-z][a-z-]*' | sort -u >"$work/options"
  # Warnings as lintian asks for them; the text as a reader sees it.
  man -l --warnings -E UTF-8 -Tutf8 -Z "$man" 2>"$work/man-warnings" >/dev/null || true
  MANWIDTH=100 man -l "$man" >"$work/man.txt" 2>/dev/null || true
  check "manual page renders without warnings" test ! -s "$work/man-warnings"
  check "manual page documents every option" bash -c \
    "while read -r o; do grep -q -e \"\$o\" '$work/man.txt' || { echo \"missing \$o\" >&2; exit 1; }; done <'$work/options'"
  check "manual page has its sections" bash -c "for s in SYNOPSIS OPTIONS READINGS 'EXIT STATUS' \
    FILES ENVIRONMENT EXAMPLES; do grep -q \"^\$s\" '$work/man.txt' || exit 1; done"

  # The completion under bash-completion, as a shell would ask it.
  complete_words() {  # the words on the line, the last being completed
    bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
      COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
      _quillon_cli 2>/dev/null; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
  }
  touch "$work/setup.log"
  mkdir "$work/Windows"
  complete_words quillon-cli -- >"$work/offered"
  check "completion offers every option" bash -c \
    "while read -r o; do grep -q -x -e \"\$o=\\?\" '$work/offered' || { echo \"missing \$o\" >&2; exit 1; }; done <'$work/options'"
  check "completion offers --color's values" test "$(complete_words quillon-cli --color '' | xargs)" = "auto always never"
  for option in --scan --db; do
    check "completion offers file names after $option" \
      test "$(complete_words quillon-cli "$option" "$work/setup" | xargs)" = "$work/setup.log"
  done
  check "completion offers folders after --windows" \
    test "$(complete_words quillon-cli --windows "$work/" | xargs)" = "$work/Windows"
  # bash splits "--color=al" at '=' (in COMP_WORDBREAKS); a name with blanks is one name.
  check "completion completes --color=al" \
    test "$(complete_words quillon-cli --color = al)" = "always"
  touch "$work/my setup.log"
  check "completion keeps a file name with blanks whole" \
    test "$(complete_words quillon-cli --scan "$work/my")" = "$work/my setup.log"

  # The licences: ours from LICENSE, and those of what is compiled into the program.
  check "copyright is machine-readable" contains "$copyright" \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  check "copyright names LICENSE's holder" contains "$copyright" \
    "$(sed -n 's/^Copyright /Copyright: /p' "$root/LICENSE")"
  check "copyright carries LICENSE's text" contains "$copyright" " $(grep '^Permission' "$root/LICENSE")"
  check "copyright names the documentation the descriptions come from" contains "$copyright" \
    "Error descriptions from the Windows documentation (learn.microsoft.com), © Microsoft,"
  for holder in "Niels Lohmann" "University of Cincinnati" "D. Richard Hipp" "Mark Adler" \
    "Free Software Foundation"; do
    check "copyright names $holder" contains "$copyright" "$holder"
  done
  check "changelog's latest entry is the package's version" test \
    "$(zcat "$dir/usr/share/doc/quillon-cli/changelog.gz" | sed -n '1s/^quillon-cli (\(.*\)).*/\1/p')" = \
    "$(dpkg-deb -f "$deb" Version)"

  lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' | tee "$work/lintian" || true
  check "lintian finds no error and no warning" bash -c "! grep -q '^[EW]:' '$work/lintian'"
  rm -rf "$work"
}
