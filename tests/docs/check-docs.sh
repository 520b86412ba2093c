#!/bin/sh
# The user's pages hold together: README.md stays one screen (at most 200 lines), every relative
# link and picture in README.md and docs/*.md names a file that is there, every picture in docs/ is
# shown on some page, and every option the program's --help prints is described on some page.
#   check-docs.sh SOURCE_DIR PROGRAM
set -u
root="$1"
program="$2"
failed=0
fail() { echo "check-docs: $*" >&2; failed=1; }

pages="$root/README.md"
for page in "$root"/docs/*.md; do pages="$pages $page"; done

lines=$(wc -l <"$root/README.md")
[ "$lines" -le 200 ] || fail "README.md has $lines lines, at most 200 wanted"

# Links and pictures: [text](target) and ![alt](target), a title after the target allowed.
for page in $pages; do
  dir=$(dirname "$page")
  grep -o '\]([^)]*)' "$page" | sed 's/^](//; s/)$//; s/[[:space:]].*$//' | while IFS= read -r target; do
    case "$target" in
      http://*|https://*|mailto:*|'#'*|'') continue ;;
    esac
    file=${target%%#*}
    [ -e "$dir/$file" ] || echo "${page#"$root"/}: link to $target, which does not exist"
  done
done >"${TMPDIR:-/tmp}/check-docs.$$"
if [ -s "${TMPDIR:-/tmp}/check-docs.$$" ]; then
  sed 's/^/check-docs: /' "${TMPDIR:-/tmp}/check-docs.$$" >&2
  failed=1
fi
rm -f "${TMPDIR:-/tmp}/check-docs.$$"

for picture in "$root"/docs/*.png; do
  name=$(basename "$picture")
  # shellcheck disable=SC2086
  grep -q "](\(docs/\)\{0,1\}$name[) ]" $pages || fail "docs/$name is shown on no page"
done

# The options as --help prints them: "  -h, --help   Show ..." and "  --rate <N>   Sample ...".
help=$("$program" --help) || fail "$program --help failed"
case "$help" in
  "Usage: vhf-dsc-trainer "*) ;;
  *) fail "--help does not name the program as vhf-dsc-trainer: $(printf '%s\n' "$help" | head -n 1)" ;;
esac
# The option column ends where two blanks begin the description.
options=$(printf '%s\n' "$help" | sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed 's/  .*$//; s/ <[^>]*>//g; s/,/ /g')
[ -n "$options" ] || fail "--help lists no options"
for option in $options; do
  # shellcheck disable=SC2086
  grep -Eq -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|\$)" $pages || fail "option $option is described on no page"
done

[ "$failed" -eq 0 ] && echo "check-docs: README.md ($lines lines), $(echo $pages | wc -w) pages, $(echo $options | wc -w) options: all right"
exit "$failed"
