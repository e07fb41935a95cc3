#!/usr/bin/env bash
# Boots a Debian kernel under QEMU (TCG) with an emulated ATAPI CD drive on the
# PIIX IDE bus (no disc), and runs one program in the guest. Prints what the
# program printed and exits with its
# status.
#
# usage: scripts/qemu-guest.sh STATIC_BINARY [ARGS...]
#        scripts/qemu-guest.sh --host-root PROGRAM [ARGS...]
#
# The kernel package is fetched once with `apt-get download` and unpacked (never
# installed) into the work folder; the guest is busybox plus the modules that
# reach the drive (ata_piix, sr_mod and what they need).
# - STATIC_BINARY is copied into the initramfs as the guest's only program.
# - --host-root shares this machine's root directory with the guest through
#   virtiofs (which needs root here), read-only beneath a tmpfs overlay that
#   takes the guest's writes, and runs PROGRAM (a path on this machine) as
#   root, chrooted into it, with a clean environment. Its output goes to a
#   file, never a pipe: programs it starts (Wine's services) inherit it. The
#   guest has 2 GiB of memory then.
#
# environment:
#   CDFLASH_QEMU_WORK     work folder: initramfs, console log (default: <repo>/build/qemu)
#   CDFLASH_QEMU_KERNELS  where kernels are unpacked, shared by work folders
#                         (default: <repo>/build/qemu)
#   CDFLASH_KERNEL_FLAVOUR  Debian kernel flavour (default: cloud-amd64, which is
#                         small and has PIIX IDE; amd64 works too)
#   CDFLASH_QEMU_MODULES  more modules to load, by name (e.g. "target_core_user
#                         tcm_loop" for a drive served by a program of ours;
#                         "scsi_debug" for the kernel's own as a CD-ROM, which
#                         accepts WRITE BUFFER)
#   CDFLASH_QEMU_TIMEOUT  seconds before the guest is killed (default: 300); a
#                         --host-root program is stopped 20 s before, so that
#                         what it printed so far still comes back
#   CDFLASH_QEMU_CPUS     the guest's processors (default: 1)
#   CDFLASH_QEMU_SHARE    with --host-root: a folder of this machine the guest
#                         may write to, at /run/share (everything else it
#                         writes stays in its memory)
#
# exit status: the program's own; 124 when the guest timed out before reporting;
# 125 when it stopped without reporting; 126 when the guest could not be set up.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
W=${CDFLASH_QEMU_WORK:-$REPO/build/qemu}
KERNELS=${CDFLASH_QEMU_KERNELS:-$REPO/build/qemu}
FLAVOUR=${CDFLASH_KERNEL_FLAVOUR:-cloud-amd64}
TIMEOUT=${CDFLASH_QEMU_TIMEOUT:-300}
CPUS=${CDFLASH_QEMU_CPUS:-1}
SHARE_DIR=${CDFLASH_QEMU_SHARE:-}
MARK=@@cdflash

say() { echo "qemu-guest: $*" >&2; }
die() { say "$*"; exit 126; }
now() { date +%s.%N; }
seconds_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

HOST_ROOT=
if [ "${1:-}" = --host-root ]; then HOST_ROOT=1; shift; fi
[ $# -ge 1 ] || die "usage: $0 STATIC_BINARY [ARGS...] | --host-root PROGRAM [ARGS...]"
BIN=$(readlink -f "$1"); shift
[ -x "$BIN" ] || die "not an executable: $BIN"
VIRTIOFSD=/usr/lib/qemu/virtiofsd
if [ -n "$HOST_ROOT" ]; then
  # virtiofsd's chroot sandbox, the only one that can share "/", needs root.
  [ "$(id -u)" -eq 0 ] || die "virtiofs cannot start: sharing this machine's root needs root"
  [ -x "$VIRTIOFSD" ] || die "virtiofs cannot start: no $VIRTIOFSD (package qemu-system-common)"
  [ "$TIMEOUT" -gt 40 ] || die "CDFLASH_QEMU_TIMEOUT must be more than 40 s with --host-root"
# The guest has no C library: a dynamically linked binary would not even start.
elif LC_ALL=C readelf -l "$BIN" 2>/dev/null | grep -q 'program interpreter'; then
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
KDIR=$KERNELS/kernel-$FLAVOUR
mkdir -p "$KERNELS"
exec 8>"$KERNELS/.kernel-lock"
flock 8
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
  DEBS=$KERNELS/debs
  rm -rf "$DEBS" "$KDIR"
  mkdir -p "$DEBS" "$KDIR"
  # The folder may be one that the _apt user cannot write: download as root.
  (cd "$DEBS" && apt-get download -q -o APT::Sandbox::User=root "$KPKG" >&2) ||
    die "apt-get download $KPKG failed"
  dpkg-deb -x "$DEBS/${KPKG}"_*.deb "$KDIR" || die "cannot unpack $KPKG"
  KVER=$(ls "$KDIR/lib/modules")
  # Debian makes modules.dep at install time; the unpacked tree has none.
  "$BUSYBOX" depmod -b "$KDIR" "$KVER" || die "depmod failed"
  echo "$KPKG" > "$KDIR/.ready"
  rm -rf "$DEBS"
fi
exec 8>&-
KVER=$(ls "$KDIR/lib/modules")
KERNEL=$KDIR/boot/vmlinuz-$KVER
MODDIR=$KDIR/lib/modules/$KVER
[ -f "$KERNEL" ] || die "no kernel image at $KERNEL"

# ---- initramfs: busybox, the modules in load order, the program -------------
ROOT=$W/rootfs
rm -rf "$ROOT"
mkdir -p "$ROOT"/{bin,dev,proc,sys,tmp,etc,lib/modules}
cp "$BUSYBOX" "$ROOT/bin/busybox"
if [ -n "$HOST_ROOT" ]; then
  printf '%s\n' "$BIN" > "$ROOT/etc/host-root-program"
  [ -n "$SHARE_DIR" ] && touch "$ROOT/etc/share"
  echo $((TIMEOUT - 20)) > "$ROOT/etc/program-timeout"
else
  cp "$BIN" "$ROOT/test"
  chmod 0755 "$ROOT/test"
fi

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
# ata_piix and sr_mod for the emulated ATAPI drive; with --host-root first
# the virtio PCI transport, virtiofs and overlayfs.
MODNAMES=(ata_piix sr_mod)
if [ -n "$HOST_ROOT" ]; then MODNAMES=(virtio_pci virtiofs overlay "${MODNAMES[@]}"); fi
read -ra EXTRA_MODULES <<< "${CDFLASH_QEMU_MODULES:-}"
MODNAMES+=("${EXTRA_MODULES[@]}")
for name in "${MODNAMES[@]}"; do
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

cat > "$ROOT/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
up() { read -r u _ < /proc/uptime; echo "$u"; }
problem() { echo "@@cdflash problem $*"; }
echo "@@cdflash init $(up)"
while read -r m args; do insmod "/lib/modules/$m" $args || problem "insmod $m failed"; done < /etc/modorder
# The ATA bus is probed asynchronously: wait up to 15 s for the drive nodes.
want=1
grep -q '^scsi_debug' /etc/modorder && want=2
i=0
while [ "$(ls /dev/sr* 2>/dev/null | wc -l)" -lt $want ] && [ $i -lt 150 ]; do sleep 0.1; i=$((i + 1)); done
[ -e /dev/sr0 ] || problem "no /dev/sr0"
# Let an unprivileged process open the drive: its commands then meet the
# kernel's command filter instead of the file permissions.
chmod 0666 /dev/sr* 2>/dev/null
# A bare devtmpfs has no /dev/fd: bash's <(...) and many scripts need it.
ln -sfn /proc/self/fd /dev/fd
ln -sfn /proc/self/fd/0 /dev/stdin
ln -sfn /proc/self/fd/1 /dev/stdout
ln -sfn /proc/self/fd/2 /dev/stderr
set --
while IFS= read -r a; do set -- "$@" "$a"; done < /etc/test-args

# The host's root, read-only, beneath a tmpfs that takes the writes; the
# guest's own /proc, /sys, /dev and /run over the host's.
host_root() {
  mkdir -p /host /upper /newroot
  mount -t virtiofs -o ro hostroot /host ||
    { problem "virtiofs: the host's root could not be mounted"; return 1; }
  { mount -t tmpfs -o size=1536m tmpfs /upper && mkdir -p /upper/u /upper/w &&
    mount -t overlay -o lowerdir=/host,upperdir=/upper/u,workdir=/upper/w overlay /newroot; } ||
    { problem "no tmpfs overlay over the host's root"; return 1; }
  { mount -t proc proc /newroot/proc && mount -t sysfs sysfs /newroot/sys &&
    mount -t devtmpfs devtmpfs /newroot/dev && mkdir -p /newroot/dev/pts /newroot/dev/shm &&
    mount -t devpts devpts /newroot/dev/pts && mount -t tmpfs tmpfs /newroot/dev/shm &&
    mount -t tmpfs tmpfs /newroot/run; } ||
    { problem "the guest's /proc, /sys, /dev or /run could not be mounted over the host's"; return 1; }
  if [ -f /etc/share ]; then
    mkdir -p /newroot/run/share && mount -t virtiofs share /newroot/run/share ||
      problem "virtiofs: the shared folder could not be mounted"
  fi
}

rc=125
if [ -f /etc/host-root-program ]; then
  rc=126
  if host_root; then
    limit=$(cat /etc/program-timeout)
    echo "@@cdflash test-start $(up)"
    timeout "$limit" chroot /newroot /usr/bin/env -i \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
      "$(cat /etc/host-root-program)" "$@" </dev/null >/tmp/test.out 2>&1
    rc=$?
    [ $rc -eq 143 ] && problem "the program did not finish within $limit s"
  fi
else
  echo "@@cdflash test-start $(up)"
  { /test "$@"; echo $? > /tmp/rc; } 2>&1 | tee /tmp/test.out
  rc=$(cat /tmp/rc 2>/dev/null || echo 125)
fi
echo "@@cdflash test-end $(up)"
echo "@@cdflash output-begin"
cat /tmp/test.out 2>/dev/null
echo "@@cdflash output-end"
dmesg | grep -iE 'ata[0-9]|scsi|sr[0-9]|cdrom|virtio|fuse|overlay' | sed 's/^/@@cdflash dmesg /'
echo "@@cdflash exit $rc"
poweroff -f
INIT
chmod 0755 "$ROOT/init"
INITRD=$W/initramfs.cpio.gz
(cd "$ROOT" && find . | cpio -o -H newc --quiet | gzip -1) > "$INITRD" || die "cannot pack the initramfs"

# ---- boot -------------------------------------------------------------------
LOG=$W/guest-console.log
QLOG=$W/qemu-stderr.log
rm -f "$LOG"
MEMORY=(-m 256)
SHARE=()
VIRTIOFSD_PIDS=()
stop_virtiofsd() {
  local pid
  for pid in "${VIRTIOFSD_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  VIRTIOFSD_PIDS=()
}
trap stop_virtiofsd EXIT
# share TAG FOLDER: FOLDER of this machine as the guest's virtiofs TAG. The
# chroot sandbox: the default one fails on "/" ("pivot_root: Device or
# resource busy"). The host's root stays read-only by the guest's mount
# option and overlay; the shared folder is mounted writable.
share() {
  local tag=$1 folder=$2 sock=$W/virtiofs-$1.sock log=$W/virtiofsd-$1.log
  rm -f "$sock"
  "$VIRTIOFSD" --socket-path="$sock" -o source="$folder" -o cache=always -o sandbox=chroot \
    </dev/null >"$log" 2>&1 &
  VIRTIOFSD_PIDS+=($!)
  for _ in $(seq 1 100); do
    [ -S "$sock" ] && break
    kill -0 "${VIRTIOFSD_PIDS[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -S "$sock" ]; then
    say "virtiofs cannot start: virtiofsd made no socket for $folder; the end of $log:"
    tail -n 10 "$log" | sed 's/^/  /' >&2
    exit 126
  fi
  SHARE+=(-chardev "socket,id=vfs-$tag,path=$sock" -device "vhost-user-fs-pci,chardev=vfs-$tag,tag=$tag")
}
if [ -n "$HOST_ROOT" ]; then
  share hostroot /
  if [ -n "$SHARE_DIR" ]; then
    mkdir -p "$SHARE_DIR" || die "cannot make the shared folder $SHARE_DIR"
    share share "$SHARE_DIR"
  fi
  # vhost-user reaches the guest's memory through a shared memory file.
  MEMORY=(-m 2048 -object "memory-backend-memfd,id=mem,size=2048M,share=on" -numa "node,memdev=mem")
fi
ACCEL=tcg
[ "$CPUS" -gt 1 ] && ACCEL=tcg,thread=multi  # a host thread for each processor
T_BOOT=$(now)
set +e
timeout "$TIMEOUT" qemu-system-x86_64 -accel "$ACCEL" "${MEMORY[@]}" -smp "$CPUS" \
  -nodefaults -no-user-config -display none -no-reboot \
  -serial "file:$LOG" \
  -kernel "$KERNEL" -initrd "$INITRD" \
  -append "console=ttyS0 panic=-1 quiet loglevel=3" \
  -drive if=none,id=cd0,media=cdrom \
  -device ide-cd,drive=cd0,bus=ide.0 \
  "${SHARE[@]}" \
  </dev/null >"$QLOG" 2>&1
QRC=$?
set -e
stop_virtiofsd
WALL_BOOT=$(seconds_since "$T_BOOT")

CLEAN=$W/guest-console.txt
tr -d '\r' < "$LOG" > "$CLEAN" 2>/dev/null || : > "$CLEAN"
sed -n "/^$MARK output-begin\$/,/^$MARK output-end\$/{ /^$MARK /d; p }" "$CLEAN"
RC=$(sed -n "s/^$MARK exit \([0-9][0-9]*\)\$/\1/p" "$CLEAN" | tail -n 1)
T_TEST=$(sed -n "s/^$MARK test-start \([0-9.]*\)\$/\1/p" "$CLEAN" | tail -n 1)

sed -n "s/^$MARK problem //p" "$CLEAN" | while IFS= read -r p; do say "in the guest: $p"; done
if [ "$QRC" != 0 ] && [ "$QRC" != 124 ] && [ -s "$QLOG" ]; then
  say "qemu stopped with status $QRC; the end of $QLOG:"
  tail -n 5 "$QLOG" | sed 's/^/  /' >&2
fi
say "kernel $KVER ($FLAVOUR), guest uptime at test start ${T_TEST:-?} s," \
    "qemu ${WALL_BOOT} s, total $(seconds_since "$T_START") s, console log $LOG"
if [ -z "$RC" ]; then
  if [ "$QRC" = 124 ]; then
    say "the guest did not finish within $TIMEOUT s"; exit 124
  fi
  say "the guest stopped without a result (qemu status $QRC, see $QLOG)"; exit 125
fi
exit "$RC"
