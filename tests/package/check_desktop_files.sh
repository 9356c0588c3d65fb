#!/usr/bin/env bash
# Checks the desktop entry and the AppStream metainfo: both validators without a single
# remark, and the two files telling the same story (media types, languages, binaries), with
# screenshots that are the README's pictures.
#   tests/package/check_desktop_files.sh [desktop-entry] [metainfo]
# Without arguments it checks the files in resources/.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
desktop=${1:-$here/resources/example.tarnwick.pixmorrow.desktop}
metainfo=${2:-$here/resources/example.tarnwick.pixmorrow.metainfo.xml}
failures=0
fail() {
  echo "check_desktop_files: FAIL: $*" >&2
  failures=$((failures + 1))
}

# desktop-file-validate exits 0 even with hints; any output at all is a remark.
if ! out=$(desktop-file-validate "$desktop" 2>&1) || [[ -n $out ]]; then
  fail "desktop-file-validate: $out"
fi

# The one remark allowed: the maker's domain lies under the reserved top-level domain
# "example", which appstream does not know, so it wonders whether the id is reverse-DNS.
if ! out=$(appstreamcli validate --pedantic --no-net --no-color "$metainfo" 2>&1); then
  fail "appstreamcli validate failed: $out"
fi
remarks=$(grep -E '^[EWIP]: ' <<<"$out" | grep -v ': cid-maybe-not-rdns example\.tarnwick\.pixmorrow$' || true)
[[ -z $remarks ]] || fail "appstreamcli remarks: $remarks"

python3 - "$desktop" "$metainfo" "$here" <<'PY' || failures=$((failures + 1))
import configparser, os, re, sys
import xml.etree.ElementTree as ET

desktop_path, metainfo_path, repo = sys.argv[1:4]
faults = []
entry = configparser.RawConfigParser(strict=True, interpolation=None)
entry.optionxform = str
entry.read(desktop_path, encoding="utf-8")
d = entry["Desktop Entry"]
meta = ET.parse(metainfo_path).getroot()

# One translation per shipped language file, under the locale the desktop uses for it.
locales = {"Dutch": "nl", "French": "fr", "German": "de", "Italian": "it", "Polish": "pl",
           "PortugueseBrazil": "pt_BR", "Spanish": "es", "Turkish": "tr"}
shipped = sorted(f[:-len(".lang.txt")] for f in os.listdir(os.path.join(repo, "resources/Languages"))
                 if f.endswith(".lang.txt"))
if shipped != sorted(locales):
    faults.append(f"shipped languages {shipped} are not the ones with a locale here")
for language, locale in locales.items():
    for key in ("GenericName", "Comment"):
        text = d.get(f"{key}[{locale}]", "")
        if not text or text == d.get(key):
            faults.append(f"{key}[{locale}] ({language}) missing or untranslated")

categories = [c for c in d.get("Categories", "").split(";") if c]
if "Viewer" in categories:
    faults.append("the desktop entry still says Viewer")
if [c.text for c in meta.findall("categories/category")] != categories:
    faults.append("metainfo categories differ from the desktop entry's")

mime = sorted(m for m in d.get("MimeType", "").split(";") if m)
provided = sorted(m.text for m in meta.findall("provides/mediatype"))
if mime != provided:
    faults.append(f"metainfo media types {provided} differ from the desktop entry's {mime}")

launchable = meta.findtext("launchable[@type='desktop-id']")
if launchable != os.path.basename(desktop_path):
    faults.append(f"launchable {launchable} is not the desktop entry {os.path.basename(desktop_path)}")
if meta.findtext("id") + ".desktop" != launchable:
    faults.append("the component id is not the desktop entry's name")

binaries = sorted(b.text for b in meta.findall("provides/binary"))
if binaries != ["pixmorrow", "pixmorrow-convert"]:
    faults.append(f"provided binaries are {binaries}")
if d.get("Exec", "").split()[0] not in binaries:
    faults.append("the desktop entry runs a binary the metainfo does not provide")

releases = [r.get("version") for r in meta.findall("releases/release")]
if releases[:1] != ["2.0"]:
    faults.append(f"the newest release is {releases[:1]}, not 2.0")
if meta.find("content_rating[@type='oars-1.1']") is None:
    faults.append("no OARS content rating")

# Every screenshot is a picture in docs/screenshots that the README shows.
readme = open(os.path.join(repo, "README.md"), encoding="utf-8").read()
shots = [s.findtext("image") for s in meta.findall("screenshots/screenshot")]
if len(shots) < 2:
    faults.append("fewer than two screenshots")
for url in shots:
    name = url.rsplit("/", 1)[-1]
    if not os.path.isfile(os.path.join(repo, "docs/screenshots", name)):
        faults.append(f"screenshot {name} is not in docs/screenshots")
    if f"docs/screenshots/{name}" not in readme:
        faults.append(f"the README does not show {name}")

# The README starts with its two commands, and shows two pictures at least before its first
# section.
lines = readme.splitlines()
if len(lines) < 2 or not lines[0].startswith("    make run ") or not lines[1].startswith("    make test "):
    faults.append("the README does not start with make run and make test")
top = readme.split("\n## ", 1)[0]
if len(re.findall(r"!\[[^\]]*\]\(docs/screenshots/[^)]+\.png\)", top)) < 2:
    faults.append("the README shows fewer than two pictures before its first section")

for f in faults:
    print("check_desktop_files: FAIL:", f, file=sys.stderr)
sys.exit(1 if faults else 0)
PY

if [[ $failures -gt 0 ]]; then
  exit 1
fi
echo "check_desktop_files: OK"
