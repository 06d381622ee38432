#!/usr/bin/env bash
# Gathers the window's texts (tr() and translate() in app/, render/,
# tfeditor/ and the form) into the translation files of app/translations/,
# keeping what is translated; new texts arrive unfinished, for Qt Linguist
# or an editor.
#   update-translations.sh           updates the files
#   update-translations.sh --check   changes nothing; fails, naming them, while
#                                    a text of the sources lacks its translation
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
lupdate=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)}
check=$([ "${1:-}" = --check ] && echo 1 || true)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for ts in app/translations/kastra_*.ts; do
  target=$ts
  [ -n "$check" ] && target=$scratch/$(basename "$ts") && cp "$ts" "$target"
  "$lupdate" -silent -no-obsolete -locations none -source-language de -target-language \
    "$(basename "$ts" .ts | sed 's/^kastra_//')" -I . app render tfeditor -ts "$target"
  [ -z "$check" ] && continue
  # Each message whose translation is unfinished or empty, by its source.
  untranslated=$(python3 - "$target" <<'PY'
import sys
import xml.etree.ElementTree as ET
for context in ET.parse(sys.argv[1]).getroot():
    for message in context.findall("message"):
        translation = message.find("translation")
        if translation.get("type") == "unfinished" or not (translation.text or "").strip():
            print(f"  {context.findtext('name')}: {message.findtext('source')!r}")
PY
)
  if [ -n "$untranslated" ]; then
    echo "$ts lacks the translation of:"
    echo "$untranslated"
    status=1
  fi
done
exit $status
