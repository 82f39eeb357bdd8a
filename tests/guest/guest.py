#!/usr/bin/env python3
# Boots the guest that tests/guest/run.sh made and checks it, one line PASS or
# FAIL per check. QMP gives the guest's power events (SUSPEND, WAKEUP,
# SHUTDOWN) and resets it; the guest agent runs the commands in it. The
# guest's clock starts at --boot-at (its RTC in UTC, running with the host's),
# so every wait below is for a moment of the guest's day, with margins a busy
# host does not cross.
import argparse
import datetime as dt
import os
import re
import struct
import subprocess
import sys
import time

from qmp_qga import Agent, Qmp

ap = argparse.ArgumentParser()
for name in ('kernel', 'initrd', 'disk', 'work', 'boot-at', 'first-bell', 'last-bell'):
    ap.add_argument('--' + name, required=True)
args = ap.parse_args()
work = args.work
boot_at = dt.datetime.fromisoformat(args.boot_at)
day = boot_at.date()
next_day = day + dt.timedelta(days=1)
first_bell = dt.time.fromisoformat(args.first_bell)
last_bell = dt.datetime.combine(day, dt.time.fromisoformat(args.last_bell))
# The program wakes the PC 5 minutes before a day's first bell and holds it
# from 15 minutes before.
wake_at = dt.datetime.combine(next_day, first_bell) - dt.timedelta(minutes=5)
held_from = dt.datetime.combine(next_day, first_bell) - dt.timedelta(minutes=15)
bell_after_wake = dt.datetime.combine(next_day, first_bell)
idle_delay = 60  # GNOME's idle suspend for the bell user, in seconds
started = time.time()
failures = 0


def say(text):
    print(text, flush=True)


def note(text):
    say('  ' + text)


def check(ok, text):
    global failures
    say(('PASS ' if ok else 'FAIL ') + text)
    if not ok:
        failures += 1
    return ok


# --- QEMU -------------------------------------------------------------------
qmp_path = os.path.join(work, 'qmp.sock')
qga_path = os.path.join(work, 'qga.sock')
wav_path = os.path.join(work, 'sound.wav')
serial_path = os.path.join(work, 'serial.log')
for f in (qmp_path, qga_path, wav_path, serial_path):
    if os.path.exists(f):
        os.unlink(f)
qemu = subprocess.Popen([
    'qemu-system-x86_64', '-accel', 'tcg,thread=multi', '-cpu', 'Nehalem', '-smp', '2',
    '-m', '3072', '-machine', 'pc', '-global', 'PIIX4_PM.disable_s3=0',
    '-rtc', 'base=%s,clock=host' % boot_at.strftime('%Y-%m-%dT%H:%M:%S'),
    '-kernel', args.kernel, '-initrd', args.initrd,
    '-append', 'root=/dev/vda rw console=ttyS0 no_timer_check gnome.is_vm=0',
    '-drive', 'file=%s,format=raw,if=virtio' % args.disk,
    '-vga', 'std', '-display', 'none', '-nic', 'none', '-no-shutdown',
    '-serial', 'file:' + serial_path,
    '-audiodev', 'wav,id=snd0,path=' + wav_path,
    '-device', 'intel-hda', '-device', 'hda-duplex,audiodev=snd0',
    '-qmp', 'unix:%s,server=on,wait=off' % qmp_path,
    '-chardev', 'socket,path=%s,server=on,wait=off,id=qga0' % qga_path,
    '-device', 'virtio-serial', '-device', 'virtserialport,chardev=qga0,name=org.qemu.guest_agent.0',
], stdin=subprocess.DEVNULL)
qemu_started = time.time()


def guest_now():
    # The RTC started at boot_at and runs with the host's clock.
    return boot_at + dt.timedelta(seconds=time.time() - qemu_started)


def wait_until(when, poll=None):
    """Sleeps until the guest's clock reaches `when`, or poll() returns true."""
    while guest_now() < when:
        if poll and poll():
            return True
        time.sleep(2)
    return bool(poll and poll())


def as_bell(command):
    """A command in the bell user's session (its bus, as GNOME's own are)."""
    return ("runuser -u bell -- env XDG_RUNTIME_DIR=/run/user/1000 "
            "DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/bus " + command)


def wake_unit(when):
    """The program's timer for a moment, named as systemd-escape names it."""
    return 'velmar-dorl-wake@%s.timer' % when.strftime('%Y-%m-%d %H:%M:%S').replace('-', '\\x2d').replace(' ', '\\x20')


def pending_wake(timers, now):
    """The earliest wake-up still ahead among the listed timers' names."""
    times = []
    for name in re.findall(r'velmar-dorl-wake@(\S+)\.timer', timers):
        try:
            times.append(dt.datetime.strptime(name.replace('\\x2d', '-').replace('\\x20', ' '), '%Y-%m-%d %H:%M:%S'))
        except ValueError:
            pass
    ahead = sorted(t for t in times if t > now)
    return ahead[0] if ahead else None


def wav_loudness(offset):
    """Loudest sample written to the sound card's WAV from byte `offset` on, and
    the bytes read (QEMU writes 16-bit stereo after a 44-byte header)."""
    loudest = 0
    read = 0
    with open(wav_path, 'rb') as f:
        f.seek(max(offset, 44) // 4 * 4)
        while True:
            chunk = f.read(1 << 20)
            chunk = chunk[:len(chunk) // 2 * 2]
            if not chunk:
                break
            read += len(chunk)
            samples = struct.unpack('<%dh' % (len(chunk) // 2), chunk)
            loudest = max(loudest, max(samples), -min(samples))
    return loudest, read


def wav_size():
    return os.path.getsize(wav_path) if os.path.exists(wav_path) else 0


qmp = Qmp(qmp_path, lambda name: note('QMP event %s at guest %s' % (name, guest_now().strftime('%F %T'))))
agent = Agent(qga_path)
say('Guest booting at its %s (RTC in UTC); bells %s and %s, wake-up expected %s' %
    (boot_at.strftime('%F %T'), last_bell.strftime('%F %H:%M'),
     bell_after_wake.strftime('%F %H:%M'), wake_at.strftime('%F %T')))

try:
    # --- log-on ---------------------------------------------------------------
    booted = agent.ready(time.time() + 900)
    note('guest agent answered after %d s' % (time.time() - qemu_started))
    program = ''
    if booted:
        # GDM logs the bell user on; GNOME starts the program from its
        # autostart entry (in a scope of its own named after the entry).
        deadline = time.time() + 600
        while time.time() < deadline:
            code, program = agent.sh("pid=$(pgrep -u bell -x velmar-dorl | head -n1); [ -n \"$pid\" ] && "
                                     "tr '\\0' ' ' </proc/$pid/cmdline && echo && cat /proc/$pid/cgroup")
            if code == 0:
                break
            time.sleep(5)
        code, session = agent.sh("loginctl show-user bell -p Display --value | xargs -r loginctl show-session "
                                 "-p Type -p Class -p State -p Service")
        note('session: ' + ' '.join(session.split()))
        note('program: ' + ' '.join(program.split()))
    check(booted and '-systray' in program and 'app-gnome-velmar' in program and 'Service=gdm-autologin' in session,
          'the program started at log-on (GDM autologin of bell, GNOME autostart, hidden start)')

    # --- the sleep inhibitor ---------------------------------------------------
    held = False
    gnome = logind = ''
    deadline = time.time() + 180
    while booted and time.time() < deadline:
        _, gnome = agent.sh(as_bell('gdbus call --session --dest org.gnome.SessionManager --object-path '
                                    '/org/gnome/SessionManager --method org.gnome.SessionManager.IsInhibited 4'))
        _, logind = agent.sh('systemd-inhibit --list --no-pager --no-legend')
        # WHO UID USER PID COMM WHAT WHY... MODE: GNOME's session takes logind's
        # sleep lock for the inhibitors it holds.
        held = 'true' in gnome and any(l.split()[5:6] == ['sleep'] and l.split()[-1] == 'block'
                                       for l in logind.splitlines())
        if held:
            break
        time.sleep(5)
    note('GNOME IsInhibited(4): %s; logind: %s' % (gnome, ' | '.join(' '.join(l.split()) for l in logind.splitlines())))
    check(held, 'the sleep inhibitor held while bells lie ahead (GNOME IsInhibited(4) and logind sleep block)')

    # --- the wake-up timer -----------------------------------------------------
    # list-timers lists it, but Debian 12's systemd showed the boot's time in
    # its NEXT column for a timer started soon after boot (the unit's
    # NextElapseUSecMonotonic was 2us): the time is read from the unit itself.
    timers = next_elapse = ''
    unit = wake_unit(wake_at)
    if booted:
        _, timers = agent.sh("LC_ALL=C systemctl list-timers --all --no-pager --no-legend 'velmar-dorl-wake@*'")
        _, next_elapse = agent.sh("LC_ALL=C systemctl show -p ActiveState -p NextElapseUSecRealtime '%s'" % unit)
        note('timers: ' + ' | '.join(' '.join(l.split()) for l in timers.splitlines()))
        note(unit + ': ' + ' '.join(next_elapse.split()))
    check(unit in timers and 'ActiveState=active' in next_elapse and
          'NextElapseUSecRealtime=%s' % wake_at.strftime('%a %Y-%m-%d %H:%M:%S') in next_elapse,
          'the wake-up timer for %s started by the program as bell through polkit' % wake_at.strftime('%F %T'))

    # --- GNOME's idle suspend --------------------------------------------------
    if booted:
        code, out = agent.sh(as_bell(
            "sh -c 'gsettings set org.gnome.settings-daemon.plugins.power sleep-inactive-ac-type suspend && "
            "gsettings set org.gnome.settings-daemon.plugins.power sleep-inactive-ac-timeout %d && "
            "gsettings set org.gnome.settings-daemon.plugins.power sleep-inactive-battery-timeout %d'" %
            (idle_delay, idle_delay)))
        note('GNOME idle suspend after %d s: %s' % (idle_delay, 'set' if code == 0 else out))
    # Held off: idle well past the delay with a bell ahead, and still running.
    set_at = time.time()
    before_bell = last_bell - dt.timedelta(seconds=30)
    idle_ms = 0

    def idle_enough():
        global idle_ms
        if qmp.event('SUSPEND', set_at):
            return True
        _, idle = agent.sh(as_bell('gdbus call --session --dest org.gnome.Mutter.IdleMonitor --object-path '
                                   '/org/gnome/Mutter/IdleMonitor/Core --method '
                                   'org.gnome.Mutter.IdleMonitor.GetIdletime'))
        found = re.search(r'uint64 (\d+)', idle)
        idle_ms = int(found.group(1)) if found else 0
        return idle_ms > 2 * idle_delay * 1000

    if booted:
        wait_until(before_bell, idle_enough)
    check(booted and not qmp.event('SUSPEND', set_at) and idle_ms > idle_delay * 1000,
          "GNOME's idle suspend held off while a bell lies ahead (idle %d s, delay %d s, guest %s)" %
          (idle_ms // 1000, idle_delay, guest_now().strftime('%T')))

    # Allowed after the day's last sound, the wake-up being set.
    wav_before_bell = wav_size()
    wait_until(held_from, lambda: qmp.event('SUSPEND', set_at))
    suspended = qmp.event('SUSPEND', set_at)
    when = (boot_at + dt.timedelta(seconds=suspended - qemu_started)).strftime('%T') if suspended else '-'
    check(bool(suspended) and suspended - qemu_started > (last_bell - boot_at).total_seconds(),
          "GNOME's idle suspend taken after the day's last bell (%s), the wake-up set: suspended at %s" %
          (last_bell.strftime('%H:%M'), when))
    loud, _ = wav_loudness(wav_before_bell)
    note('the last bell on the sound card: loudest sample %d' % loud)

    # --- the RTC wakes the guest, the bell is heard --------------------------
    woke = None
    if suspended:
        wait_until(wake_at + dt.timedelta(minutes=3), lambda: qmp.event('WAKEUP', suspended))
        woke = qmp.event('WAKEUP', suspended)
    woke_guest = boot_at + dt.timedelta(seconds=woke - qemu_started) if woke else None
    late = (woke_guest - wake_at).total_seconds() if woke else None
    check(woke is not None and -5 <= late <= 60,
          'the RTC woke the guest at the wake-up time %s: WAKEUP at %s' %
          (wake_at.strftime('%T'), woke_guest.strftime('%T') if woke else '-'))
    heard = 0
    if woke:
        wav_at_wake = wav_size()
        if agent.ready(time.time() + 300):
            # Not again into sleep before the power-off below.
            agent.sh(as_bell('gsettings set org.gnome.settings-daemon.plugins.power sleep-inactive-ac-type nothing'))
        wait_until(bell_after_wake + dt.timedelta(seconds=45))
        heard, length = wav_loudness(wav_at_wake)
        note('after the wake: %d bytes of sound, loudest sample %d' % (length, heard))
    check(heard > 1000, 'the %s bell heard on the sound card after the wake (loudest sample %d)' %
          (bell_after_wake.strftime('%H:%M'), heard))

    # --- the RTC alarm at a power-off ----------------------------------------
    if qmp.status() == 'suspended':
        qmp.run('system_wakeup')
    expected = ''
    pending = None
    rtc = record = journal = ''
    if booted and agent.ready(time.time() + 300):
        _, timers = agent.sh("LC_ALL=C systemctl list-timers --all --no-pager --no-legend 'velmar-dorl-wake@*'")
        note('timers before the power-off: ' + ' | '.join(' '.join(l.split()) for l in timers.splitlines()))
        pending = pending_wake(timers, guest_now())
        expected = pending.strftime('%Y-%m-%d %H:%M:%S') if pending else ''
        # A decoy in the RTC's alarm registers, disabled: the registers keep
        # only a time of day, and the suspend's own alarm (00:00) would
        # otherwise pass for the one the service sets.
        agent.sh('w=/sys/class/rtc/rtc0/wakealarm; echo 0 >$w; echo $(($(date +%s) + 7200)) >$w; echo 0 >$w')
        off_at = time.time()
        agent.sh('systemctl poweroff', timeout=30)
        deadline = time.time() + 600
        while time.time() < deadline and qmp.status() != 'shutdown':
            time.sleep(3)
        note('powered off after %d s; reset with the CMOS kept' % (time.time() - off_at))
        qmp.run('system_reset')
        qmp.run('cont')
        if agent.ready(time.time() + 900):
            _, rtc = agent.sh("grep -E '^(rtc_time|rtc_date|alrm_time|alrm_date|alarm_IRQ)' /proc/driver/rtc")
            _, record = agent.sh('cat /var/lib/velmar-dorl/poweron-alarm')
            _, journal = agent.sh('LC_ALL=C journalctl -b -1 --no-pager -o cat -u velmar-dorl-poweron.service | grep -v "^--"')
        note('journal: ' + ' | '.join(journal.splitlines()))
        note('/proc/driver/rtc: ' + ' | '.join(' '.join(l.split()) for l in rtc.splitlines()))
        note('the service\'s record (alarm, as the RTC reported it armed): ' + record)
    # Linux's CMOS RTC driver disables the alarm's interrupt when it starts
    # (the firmware has acted on it by then), so alarm_IRQ reads "no" after any
    # boot: that the alarm was armed at the power-off is what the RTC reported
    # to the service then. rtcwake moves the alarm by the RTC's offset from the
    # system clock, up to a second or two.
    fields = dict((k.strip(), v.strip()) for k, _, v in (l.partition(':') for l in rtc.splitlines()))
    alarm = '%s %s' % (fields.get('alrm_date', ''), fields.get('alrm_time', ''))
    try:
        alarm_off = (dt.datetime.strptime(alarm, '%Y-%m-%d %H:%M:%S') - pending).total_seconds()
        armed_off = int(record.split()[1]) - int(pending.replace(tzinfo=dt.timezone.utc).timestamp())
    except (ValueError, TypeError, IndexError):
        alarm_off = armed_off = None
    check(alarm_off is not None and 0 <= alarm_off <= 2 and 0 <= armed_off <= 2,
          'the power-on service set the RTC alarm at the power-off to the pending wake-up %s: '
          'read back after the reset %s' % (expected or '-', alarm.strip() or '-'))
finally:
    try:
        qmp.run('quit')
    except Exception:
        pass
    try:
        qemu.wait(timeout=60)
    except subprocess.TimeoutExpired:
        qemu.kill()

say('guest: %d s, %s' % (time.time() - started, 'all checks passed' if failures == 0 else '%d check(s) failed' % failures))
sys.exit(1 if failures else 0)
