#!/usr/bin/env bash
# Brings i18n/zemlo_en.ts up to date with the texts in the code: new texts come in unfinished,
# texts no longer in the code go. Line numbers are left out so that moving code does not touch
# the catalogue. Run from anywhere; then translate every unfinished entry (Qt Linguist or an editor).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
lupdate="${LUPDATE:-}"
if [ -z "$lupdate" ]; then
    for candidate in /usr/lib/qt6/bin/lupdate "$(command -v lupdate-qt6 || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            lupdate="$candidate"
            break
        fi
    done
fi
[ -n "$lupdate" ] || { echo "update_catalogue: lupdate not found (apt install qt6-l10n-tools)" >&2; exit 1; }
cd "$root"
"$lupdate" -silent -locations none -no-obsolete -source-language zh_CN -target-language en \
    shell app cli i18n -ts i18n/zemlo_en.ts
