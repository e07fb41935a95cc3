# Sourced by check-release.sh (pass, fail, check_archive, $work, $version,
# linux_files): the Debian package installs, runs and passes lintian.

deb=cdflash_${version}_$(dpkg --print-architecture)
debfile=build/release/$deb.deb
scratch=$work/$deb  # a scratch root: the machine's own stays as it is

deb_files=(share/polkit-1/actions/org.cdflash.cdflash.policy share/doc/cdflash/copyright
  share/doc/cdflash/changelog.gz)
deb_listing() { dpkg-deb -c "$debfile" | awk -v name="$deb" '{ print name "/" substr($6, 3) }'; }
mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
: >"$scratch/var/lib/dpkg/status"
if [ "$(id -u)" -eq 0 ]; then
  # Its dependencies are this machine's, not the empty root's: apt checks them below.
  if dpkg --root="$scratch" --force-depends --log=/dev/null -i "$debfile" >"$work/dpkg.log" 2>&1; then
    pass "dpkg -i installs $deb.deb (into a scratch root)"
  else
    fail "dpkg -i $deb.deb: $(cat "$work/dpkg.log")"
  fi
else
  dpkg-deb -x "$debfile" "$scratch" && pass "$deb.deb unpacked with dpkg-deb -x (dpkg -i needs root)"
fi
check_archive "$deb" deb_listing usr/bin/cdflash strip build/linux/bin/cdflash \
  $(printf 'usr/%s\n' "${linux_files[@]}" "${deb_files[@]}")

depends=$(dpkg-deb -f "$debfile" Depends)
if [ "$(dpkg-deb -f "$debfile" Version)" = "$version" ] && [[ $depends == *libqt6widgets6* ]]; then
  pass "$deb.deb: version $version, depends on $depends"
else
  fail "$deb.deb: version $(dpkg-deb -f "$debfile" Version), depends on $depends"
fi
if apt-get -s install "$PWD/$debfile" >"$work/apt.log" 2>&1; then
  pass "apt would install $deb.deb here, its dependencies met"
else
  fail "apt cannot install $deb.deb: $(tail -n 5 "$work/apt.log")"
fi

# The manual page lists the exit codes that --help lists, word for word.
"$scratch/usr/bin/cdflash" --help >"$work/help.txt"
if python3 - "$scratch/usr/share/man/man1/cdflash.1.gz" "$work/help.txt" <<'PY'
import gzip, re, sys
page = gzip.open(sys.argv[1], "rt").read().replace("\\-", "-")
status = page.split(".SH EXIT STATUS", 1)[1].split(".SH", 1)[0]
listed = re.findall(r"^\.TP\n\.B (\d+)\n(.+)$", status, re.M)
helped = []  # a code's text may go on over lines indented further
for line in open(sys.argv[2]).read().split("Exit codes of --flash:", 1)[1].splitlines()[1:]:
    code = re.match(r"^  (\d+)  (.+)$", line)
    if code: helped.append(code.groups())
    elif helped and line.startswith("     "): helped[-1] = (helped[-1][0], helped[-1][1] + " " + line.strip())
    else: break
sys.exit(0 if listed and listed == helped else f"manual {listed} != --help {helped}")
PY
then pass "the manual page lists the exit codes of --help"
else fail "the manual page's exit codes differ from --help's"; fi

# The polkit action is for the packaged program, which starts a flasher with
# the display variables it is given, and nothing that is not a flasher. The
# flasher here is a script that prints its environment, followed by the
# package of a flasher made from the packaged program (never read by sh).
flasher=$work/env-flasher
"$make_flasher" "$scratch/usr/bin/cdflash" "$work/deb-built.flasher" --image "$work/bins/1.60.BIN" >/dev/null
printf '#!/bin/sh\nexec /usr/bin/env\n' >"$flasher"
python3 - "$work/deb-built.flasher" >>"$flasher" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
at = data.index(b"FWPKG-" + b"MARKER-1\0")  # in two pieces: the key-word occurs once per program
sys.stdout.buffer.write(data[at:at + 15 + 133 + 0x50000])
PY
chmod +x "$flasher"
policy=$scratch/usr/share/polkit-1/actions/org.cdflash.cdflash.policy
annotations=$(python3 - "$policy" <<'PY'
import sys, xml.etree.ElementTree as tree
action = tree.parse(sys.argv[1]).getroot().find("action")
notes = {a.get("key"): a.text for a in action.findall("annotate")}
print(notes.get("org.freedesktop.policykit.exec.path"), notes.get("org.freedesktop.policykit.exec.allow_gui"),
      action.findtext("message"))
PY
)
read -r exec_path allow_gui message <<<"$annotations"
if [ -x "$scratch$exec_path" ] && grep -qaF "$exec_path" "$scratch$exec_path" && [ "$allow_gui" = true ] &&
   grep -qx WAYLAND_DISPLAY=cdflash-check <<<"$("$scratch$exec_path" --start-as-administrator \
     WAYLAND_DISPLAY=cdflash-check "$flasher")" &&
   ! "$scratch$exec_path" --start-as-administrator /usr/bin/env >/dev/null 2>&1; then
  pass "polkit action \"$message\" for $exec_path, which starts a flasher as administrator and nothing else"
else
  fail "polkit action: $annotations"
fi

if desktop-file-validate "$scratch/usr/share/applications/cdflash.desktop"; then
  pass "the desktop entry is valid"
else
  fail "the desktop entry is not valid"
fi

lintian "$debfile" >"$work/lintian.log" 2>&1
lintian_status=$?
if [ "$lintian_status" -eq 0 ] && ! grep -qE '^[EW]: ' "$work/lintian.log"; then
  pass "lintian: no errors or warnings ($(grep -cE '^[IPX]: ' "$work/lintian.log") other tags)"
else
  fail "lintian: $(cat "$work/lintian.log")"
fi
