#!/usr/bin/env bash
# Renders the manual page at several terminal widths and fails when groff warns, when a
# word is hyphenated, when a message or literal is broken across lines or stretched by
# justification (it must copy cleanly), or when a placeholder is not in italics.
# Usage: scripts/manpage_check.sh [page]   (default docs/java_vm.1; a .gz is read as such)
set -euo pipefail
page=${1:-$(dirname "$0")/../docs/java_vm.1}
fail() { echo "manpage_check.sh: $page: $*" >&2; exit 1; }
[ -f "$page" ] || fail "no such file"
source_text() { case "$page" in *.gz) zcat "$page" ;; *) cat "$page" ;; esac; }

# Each must stand whole, with exactly these spaces, on one line of the rendered page.
literals=(
  "JAVA_KORVEL_VERSION=1.1.2_01  Oct-14-1999"
  "Java process: entered main"
  "Java process: started Java VM OK"
  "java process: could not start Java VM"
  "javakorvel process: Illegal option: -x"
  "Java process: Couldn't find class quarn/korvel/navig/motif/Korvel"
  "Java process: Couldn't find method quarn.korvel.navig.motif.Korvel.start"
  "Java process: caught exception from quarn.korvel.navig.motif.Korvel.start"
  "javakorvel.jre.params=-mx96m -Dkorvel.demo.greeting=hello -verify"
  "public static void start(boolean trace)"
)
# Placeholders: italic, never bold.
placeholders=("<language>" "-x")

export LC_ALL=C.UTF-8
export KORVEL_PLACEHOLDERS
KORVEL_PLACEHOLDERS=$(printf '%s\n' "${placeholders[@]}")
hyphenation_hyphen=$(printf '\xe2\x80\x90')   # U+2010, what groff puts where it hyphenates
for width in 60 70 80 120; do
  warnings=$(source_text | groff -man -Tutf8 -rLL="${width}n" -ww -z 2>&1) ||
    fail "groff failed at $width columns: $warnings"
  [ -z "$warnings" ] || fail "groff warns at $width columns: $warnings"
  # Overstrike output: bold is c BS c, italic _ BS c.
  rendered=$(source_text | groff -man -Tutf8 -P-c -rLL="${width}n" 2>/dev/null)
  plain=$(sed 's/.\x08//g' <<<"$rendered")
  if grep -qF "$hyphenation_hyphen" <<<"$plain"; then
    fail "a word is hyphenated at $width columns: $(grep -F "$hyphenation_hyphen" <<<"$plain" | head -n 1)"
  fi
  for literal in "${literals[@]}"; do
    grep -qF -- "$literal" <<<"$plain" || fail "'$literal' is not whole on one line at $width columns"
  done
  # A run of spaces between two bold characters is a stretched literal (the version
  # string's double space and the gap after a paragraph tag excepted); placeholders
  # must come out in italics.
  problems=$(perl -CS -ne '
    BEGIN { @placeholders = split /\n/, $ENV{KORVEL_PLACEHOLDERS}; }
    chomp;
    my (@chars, @styles);
    while (/\G(?:(_)\x08)?([^\x08])(?:\x08(\X))?/gc) {
      my $style = defined $3 ? "b" : defined $1 ? "i" : "r";
      push @chars, defined $3 ? $3 : $2;
      push @styles, $style;
    }
    my $text = join "", @chars;
    my $styles = join "", @styles;
    my $exempt = index $text, "1.1.2_01  Oct";
    while ($text =~ /(?<=\S)( {2,})(?=\S)/g) {
      my ($from, $to) = ($-[1] - 1, $+[1]);
      next if $exempt >= 0 && $from == $exempt + 7;
      next if $to == 14 && $text =~ /^ {7}\S/;   # a tag and its paragraph
      print "stretched: $text\n" if substr($styles, $from, 1) eq "b" && substr($styles, $to, 1) eq "b";
    }
    for my $placeholder (@placeholders) {
      my $at = -1;
      while (($at = index $text, $placeholder, $at + 1) >= 0) {
        my $look = substr $styles, $at, length $placeholder;
        next if $placeholder eq "-x" && substr($text, $at - 16, 16) ne "Illegal option: ";
        print "placeholder $placeholder not italic: $text\n" if $look =~ /[^i]/;
      }
    }' <<<"$rendered")
  [ -z "$problems" ] || fail "at $width columns: $problems"
done
# The placeholders must be there to be checked.
for placeholder in "${placeholders[@]}"; do
  grep -qF -- "$placeholder" <<<"$plain" || fail "placeholder $placeholder missing"
done
echo "manpage_check.sh: $page renders cleanly at 60, 70, 80 and 120 columns"
