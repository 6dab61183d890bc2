#!/usr/bin/env bash
# Makes the .ods files of the join's office tests from the flat-XML sources beside this script,
# with the installed office in a private profile so a running office is not disturbed.
# Commit the results.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
cd "$here"
"${GRIDWORK_OFFICE:-soffice}" -env:UserInstallation="file://$profile" --headless --norestore \
    --convert-to ods --outdir "$here" ./*.fods
