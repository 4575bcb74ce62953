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

rm -rf "$corpus"
for name in enabled disabled record rebrand custom mixed; do seed property_list_dictionary "$name" "${!name}"; done
seed property_list_dictionary array-root '<array><dict/></array>'

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
