#!/usr/bin/env bash
# Makes the .ods test files from the flat-XML sources beside this script with the installed
# office, in a private profile so a running office is not disturbed. Commit the results.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
cd "$here"
"${GRIDWORK_OFFICE:-soffice}" -env:UserInstallation="file://$profile" --headless --norestore \
    --convert-to ods --outdir "$here" ./*.fods
printf 'This is a plain text file, not a spreadsheet.\n' > not-a-spreadsheet.txt
# Bytes that no office filter recognises, under a spreadsheet's name.
python3 -c 'import random, sys; random.seed(7); sys.stdout.buffer.write(random.randbytes(4096))' > random-bytes.ods
