#!/usr/bin/env bash
# Whole-process time of a full campaign round trip through campconv (choice 1,
# CAMP0001.DAT -> CAMPAIGN.TXT, then choice 2, CAMPAIGN.TXT -> campaign.dat)
# against a trivial program that copies the same files (cp of the campaign
# file and of a ready CAMPAIGN.TXT). Needs a built tree: build/bin and build/sample.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root"/build/sample/CAMP0001.DAT "$root"/build/sample/CAMPAIGNDATA.TXT "$root"/build/sample/PNAMES.TXT "$work"/
cd "$work"
printf '1\nCAMP0001.DAT\n' | "$bin/campconv" >/dev/null
cp CAMPAIGN.TXT ready.txt
hyperfine --warmup 5 --min-runs 50 --shell=none \
  --command-name "campconv round trip (choice 1 then choice 2)" \
  "sh -c 'printf \"1\\nCAMP0001.DAT\\n\" | $bin/campconv >/dev/null; printf \"2\\n\" | $bin/campconv >/dev/null'" \
  --command-name "copy the same files (cp, cp)" \
  "sh -c 'cp CAMP0001.DAT copy.dat; cp ready.txt copy.txt'" \
  "$@"
cmp -n 3708 CAMP0001.DAT campaign.dat && echo "campaign.dat is byte-identical to CAMP0001.DAT"
