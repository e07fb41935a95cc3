#!/usr/bin/env bash
# Boots a Debian kernel under QEMU (TCG) with an emulated ATAPI CD drive on the
# PIIX IDE bus (no disc) and runs one static test binary as the guest's only
# program. Prints what the binary printed and exits with its status.
#
# usage: scripts/qemu-guest.sh STATIC_BINARY [ARGS...]
#
# The kernel package is fetched once with `apt-get download` and unpacked (never
# installed) into the work folder; the guest is busybox plus the modules that
# reach the drive (ata_piix, sr_mod and what they need) plus the binary.
#
# environment:
#   CDFLASH_QEMU_WORK     work folder (default: <repo>/build/qemu)
#   CDFLASH_KERNEL_FLAVOUR  Debian kernel flavour (default: cloud-amd64, which is
#                         small and has PIIX IDE; amd64 works too)
#   CDFLASH_QEMU_TIMEOUT  seconds before the guest is killed (default: 300)
#
# exit status: the binary's own; 124 when the guest timed out before reporting;
# 125 when it stopped without reporting; 126 when the guest could not be set up.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
W=${CDFLASH_QEMU_WORK:-$REPO/build/qemu}
FLAVOUR=${CDFLASH_KERNEL_FLAVOUR:-cloud-amd64}
TIMEOUT=${CDFLASH_QEMU_TIMEOUT:-300}
MARK=@@cdflash

say() { echo "qemu-guest: $*" >&2; }
die() { say "$*"; exit 126; }
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

[ $# -ge 1 ] || die "usage: $0 STATIC_BINARY [ARGS...]"
BIN=$(readlink -f "$1"); shift
[ -x "$BIN" ] || die "not an executable: $BIN"
# The guest has no C library: a dynamically linked binary would not even start.
if LC_ALL=C readelf -l "$BIN" 2>/dev/null | grep -q 'program interpreter'; then
  die "$BIN is dynamically linked; link it with -static"
fi

T_START=$(now)
"$REPO/scripts/install-deps.sh" kernel >&2 || die "cannot install qemu-system-x86, busybox-static, cpio"
BUSYBOX=/bin/busybox
[ -x "$BUSYBOX" ] || die "busybox-static did not install $BUSYBOX"

mkdir -p "$W"
# One guest at a time per work folder: the initramfs and the console log are shared.
exec 9>"$W/.lock"
flock 9

# ---- kernel: download and unpack once per flavour -------------------------
KDIR=$W/kernel-$FLAVOUR
if [ ! -f "$KDIR/.ready" ]; then
  kernel_package() {  # the versioned package behind the flavour's meta package
    { apt-cache depends "linux-image-$FLAVOUR" 2>/dev/null || true; } |
      awk '/Depends: linux-image-[0-9]/ { print $2; exit }'
  }
  KPKG=$(kernel_package)
  if [ -z "$KPKG" ]; then
    say "package lists do not know linux-image-$FLAVOUR yet: apt-get update"
    apt-get -o DPkg::Lock::Timeout=600 update -qq >&2 || die "apt-get update failed"
    KPKG=$(kernel_package)
  fi
  [ -n "$KPKG" ] || die "no kernel package for flavour $FLAVOUR"
  say "downloading $KPKG"
  rm -rf "$W/debs" "$KDIR"
  mkdir -p "$W/debs" "$KDIR"
  # The work folder may be one that the _apt user cannot write: download as root.
  (cd "$W/debs" && apt-get download -q -o APT::Sandbox::User=root "$KPKG" >&2) ||
    die "apt-get download $KPKG failed"
  dpkg-deb -x "$W/debs/${KPKG}"_*.deb "$KDIR" || die "cannot unpack $KPKG"
  KVER=$(ls "$KDIR/lib/modules")
  # Debian makes modules.dep at install time; the unpacked tree has none.
  "$BUSYBOX" depmod -b "$KDIR" "$KVER" || die "depmod failed"
  echo "$KPKG" > "$KDIR/.ready"
  rm -rf "$W/debs"
fi
KVER=$(ls "$KDIR/lib/modules")
KERNEL=$KDIR/boot/vmlinuz-$KVER
MODDIR=$KDIR/lib/modules/$KVER
[ -f "$KERNEL" ] || die "no kernel image at $KERNEL"

# ---- initramfs: busybox, the modules in load order, the test binary --------
ROOT=$W/rootfs
rm -rf "$ROOT"
mkdir -p "$ROOT"/{bin,dev,proc,sys,tmp,etc,lib/modules}
cp "$BUSYBOX" "$ROOT/bin/busybox"
cp "$BIN" "$ROOT/test"

declare -A MODDEPS=() VISITED=()
MODORDER=()
while IFS=: read -r mod deps; do MODDEPS[$mod]=$deps; done < "$MODDIR/modules.dep"
visit() {  # depth-first: a module's dependencies load before the module itself
  local m=$1 d
  [ -n "${VISITED[$m]:-}" ] && return
  VISITED[$m]=1
  for d in ${MODDEPS[$m]:-}; do visit "$d"; done
  MODORDER+=("$m")
}
# ata_piix and sr_mod for the emulated ATAPI drive; scsi_debug (when the
# kernel has it) as a second CD device that accepts WRITE BUFFER.
for name in ata_piix sr_mod scsi_debug; do
  [ "$name" = scsi_debug ] && ! (cd "$MODDIR" && find kernel -name "$name.ko*" | grep -q .) && continue
  path=$(cd "$MODDIR" && find kernel -name "$name.ko*" -print -quit)
  if [ -n "$path" ]; then
    visit "$path"
  elif ! grep -q "/$name.ko" "$MODDIR/modules.builtin"; then
    die "kernel $KVER has no module $name"
  fi
done
: > "$ROOT/etc/modorder"
for m in "${MODORDER[@]}"; do
  file=$(basename "$m")
  cp "$MODDIR/$m" "$ROOT/lib/modules/$file"
  case $file in
    *.ko.xz)  "$BUSYBOX" unxz "$ROOT/lib/modules/$file"; file=${file%.xz} ;;
    *.ko.zst) zstd -q -d --rm "$ROOT/lib/modules/$file" || die "cannot unpack $file (zstd)"
              file=${file%.zst} ;;
  esac
  case $file in
    scsi_debug.ko) echo "$file ptype=5" >> "$ROOT/etc/modorder" ;;  # a CD-ROM
    *) echo "$file" >> "$ROOT/etc/modorder" ;;
  esac
done
: > "$ROOT/etc/test-args"
for a in "$@"; do printf '%s\n' "$a" >> "$ROOT/etc/test-args"; done

cat > "$ROOT/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
up() { read -r u _ < /proc/uptime; echo "$u"; }
echo "@@cdflash init $(up)"
while read -r m args; do insmod "/lib/modules/$m" $args || echo "@@cdflash insmod $m failed"; done < /etc/modorder
# The ATA bus is probed asynchronously: wait up to 15 s for the drive nodes.
want=1
grep -q '^scsi_debug' /etc/modorder && want=2
i=0
while [ "$(ls /dev/sr* 2>/dev/null | wc -l)" -lt $want ] && [ $i -lt 150 ]; do sleep 0.1; i=$((i + 1)); done
[ -e /dev/sr0 ] || echo "@@cdflash no /dev/sr0"
# Let an unprivileged process open the drive: its commands then meet the
# kernel's command filter instead of the file permissions.
chmod 0666 /dev/sr* 2>/dev/null
set --
while IFS= read -r a; do set -- "$@" "$a"; done < /etc/test-args
echo "@@cdflash test-start $(up)"
{ /test "$@"; echo $? > /tmp/rc; } 2>&1 | tee /tmp/test.out
rc=$(cat /tmp/rc 2>/dev/null || echo 125)
echo "@@cdflash test-end $(up)"
echo "@@cdflash output-begin"
cat /tmp/test.out
echo "@@cdflash output-end"
dmesg | grep -iE 'ata[0-9]|scsi|sr[0-9]|cdrom' | sed 's/^/@@cdflash dmesg /'
echo "@@cdflash exit $rc"
poweroff -f
EOF
chmod 0755 "$ROOT/init" "$ROOT/test"
INITRD=$W/initramfs.cpio.gz
(cd "$ROOT" && find . | cpio -o -H newc --quiet | gzip -1) > "$INITRD" || die "cannot pack the initramfs"

# ---- boot -------------------------------------------------------------------
LOG=$W/guest-console.log
QLOG=$W/qemu-stderr.log
T_BOOT=$(now)
set +e
timeout "$TIMEOUT" qemu-system-x86_64 -accel tcg -m 256 -smp 1 \
  -nodefaults -no-user-config -display none -no-reboot \
  -serial "file:$LOG" \
  -kernel "$KERNEL" -initrd "$INITRD" \
  -append "console=ttyS0 panic=-1 quiet loglevel=3" \
  -drive if=none,id=cd0,media=cdrom \
  -device ide-cd,drive=cd0,bus=ide.0 \
  </dev/null >"$QLOG" 2>&1
QRC=$?
set -e
WALL_BOOT=$(seconds_since "$T_BOOT")

CLEAN=$W/guest-console.txt
tr -d '\r' < "$LOG" > "$CLEAN" 2>/dev/null || : > "$CLEAN"
sed -n "/^$MARK output-begin\$/,/^$MARK output-end\$/{ /^$MARK /d; p }" "$CLEAN"
RC=$(sed -n "s/^$MARK exit \([0-9][0-9]*\)\$/\1/p" "$CLEAN" | tail -n 1)
T_TEST=$(sed -n "s/^$MARK test-start \([0-9.]*\)\$/\1/p" "$CLEAN" | tail -n 1)

say "kernel $KVER ($FLAVOUR), guest uptime at test start ${T_TEST:-?} s," \
    "qemu ${WALL_BOOT} s, total $(seconds_since "$T_START") s, console log $LOG"
if [ -z "$RC" ]; then
  if [ "$QRC" = 124 ]; then
    say "the guest did not finish within $TIMEOUT s"; exit 124
  fi
  say "the guest stopped without a result (qemu status $QRC, see $QLOG)"; exit 125
fi
exit "$RC"
