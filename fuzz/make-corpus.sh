#!/usr/bin/env bash
# Regenerates the committed seed corpora under fuzz/corpus/: small valid property lists as XML
# and, through plistutil (libplist-utils), in the binary form. Usage: fuzz/make-corpus.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
corpus=$here/corpus
sep=$'\n%%\n' # the startup target's part separator

xml() {
  printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' \
    '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">' \
    "<plist version=\"1.0\">$1</plist>"
}
binary() { xml "$1" | plistutil -i - -o - -f bin; }

# seed DIR NAME ELEMENT: the element as an XML and as a binary property list.
seed() {
  mkdir -p "$corpus/$1"
  xml "$3" >"$corpus/$1/$2.xml"
  binary "$3" >"$corpus/$1/$2.bin"
}

enabled='<dict><key>ApplicationRunningPrompt</key><true/><key>PatchInterval</key><integer>60</integer></dict>'
disabled='<dict><key>ApplicationRunningPrompt</key><integer>0</integer></dict>'
record='<dict><key>Lunmark</key><dict><key>Editor</key><string>   4242
</string><key>Viewer</key><string>17</string></dict></dict>'
rebrand='<dict><key>IS_REBRANDED</key><string>TRUE</string><key>PRODUCT_NAME</key><string>Acme Agent</string></dict>'
custom='<dict><key>failureNotificationMessage</key><string>could not update &amp; will retry.</string></dict>'
mixed='<dict><key>a</key><array><real>1.5</real><date>2024-01-02T03:04:05Z</date><data>AAEC</data><false/></array><key>Editor</key><dict><key>a</key><integer>-1</integer></dict><key></key><string></string></dict>'

# bplist MODE N: a binary list near the walk's limits, written object by object (no writer makes
# them): "deep" nests N arrays below the root dictionary; "shared" is a root dictionary over N
# levels of arrays, each holding three references to the next level, so 3^N nodes once expanded.
bplist() {
  perl -e '
    my ($mode, $n) = @ARGV;
    my @o = ("\xD1" . pack("nn", 1, 2), "\x51a");
    for my $i (0 .. $n - 1) {
      my $next = 3 + $i;
      push @o, $mode eq "deep" ? "\xA1" . pack("n", $next) : "\xA3" . pack("nnn", ($next) x 3);
    }
    push @o, "\x09";
    my ($out, @offsets) = ("bplist00");
    for (@o) { push @offsets, length $out; $out .= $_ }
    my $table = length $out;
    $out .= pack("n", $_) for @offsets;
    print $out, "\0" x 6, pack("CCQ>Q>Q>", 2, 2, scalar @o, 0, $table);
  ' "$@"
}

rm -rf "$corpus"
for name in enabled disabled record rebrand custom mixed; do seed property_list_dictionary "$name" "${!name}"; done
seed property_list_dictionary array-root '<array><dict/></array>'
# Around the binary limits: 512 levels below the root and 10 shared levels (59049 nodes) pass.
bplist deep 511 >"$corpus/property_list_dictionary/deep-512.bin"
bplist deep 512 >"$corpus/property_list_dictionary/deep-513.bin"
bplist shared 10 >"$corpus/property_list_dictionary/shared-10.bin"
bplist shared 11 >"$corpus/property_list_dictionary/shared-11.bin"

seed string_record rebrand "$rebrand"
seed string_record one-key '<dict><key>PRODUCT_NAME</key><string>Acme</string></dict>'
seed string_record not-a-string '<dict><key>IS_REBRANDED</key><true/></dict>'
seed string_record empty '<dict/>'

# Four parts: settings, launcher record, rebranding, customization.
s=$corpus/startup_decision
mkdir -p "$s"
for form in xml binary; do
  ext=${form/binary/bin}
  {
    $form "$enabled"
    printf %s "$sep"
    $form "$record"
    printf %s "$sep"
    $form "$rebrand"
    printf %s "$sep"
    $form "$custom"
  } >"$s/shown-rebranded.$ext"
  { $form "$enabled"; printf %s "$sep"; $form "$record"; } >"$s/shown-plain.$ext"
  { $form "$disabled"; printf %s "$sep"; $form "$record"; } >"$s/disabled.$ext"
done
{ xml "$enabled"; printf %s "$sep"; xml '<dict><key>Lunmark</key><dict><key>Editor</key><string>99</string></dict></dict>'; } >"$s/other-launcher.xml"
