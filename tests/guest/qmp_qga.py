# The two ways tests/guest/guest.py talks to QEMU: QMP for the machine (its
# power events, reset, quit) and the guest agent for commands in the guest.
import base64
import json
import socket
import threading
import time


class Qmp:
    """QEMU's machine protocol: commands, and the events kept with the host's
    time they came at (on_event is told of each)."""

    def __init__(self, path, on_event):
        self.on_event = on_event
        for _ in range(300):
            try:
                self.sock = socket.socket(socket.AF_UNIX)
                self.sock.connect(path)
                break
            except OSError:
                time.sleep(0.2)
        self.file = self.sock.makefile('rwb')
        self.events = []  # (name, host time)
        self.replies = []
        self.lock = threading.Condition()
        json.loads(self.file.readline())  # greeting
        threading.Thread(target=self.read, daemon=True).start()
        self.run('qmp_capabilities')

    def read(self):
        try:
            for line in self.file:
                self.take(json.loads(line))
        except OSError:
            pass  # QEMU has quit

    def take(self, msg):
        with self.lock:
            if 'event' in msg:
                self.events.append((msg['event'], time.time()))
                self.on_event(msg['event'])
            else:
                self.replies.append(msg)
            self.lock.notify_all()

    def run(self, command, **arguments):
        with self.lock:
            self.replies.clear()
            self.file.write(json.dumps({'execute': command, 'arguments': arguments}).encode() + b'\n')
            self.file.flush()
            self.lock.wait_for(lambda: self.replies, timeout=60)
            return self.replies[0] if self.replies else {}

    def event(self, name, since=0.0):
        with self.lock:
            return next((t for n, t in self.events if n == name and t >= since), None)

    def status(self):
        return self.run('query-status').get('return', {}).get('status', '?')


class Agent:
    """qemu-guest-agent over its virtio port: guest-exec and its status."""

    def __init__(self, path):
        self.path = path
        self.sock = None
        self.serial = 0

    def connect(self):
        if self.sock:
            self.sock.close()
        self.sock = socket.socket(socket.AF_UNIX)
        self.buffer = b''
        try:
            self.sock.connect(self.path)
            self.sock.settimeout(10)
            # guest-sync drops whatever an earlier connection left unanswered.
            self.serial += 1
            self.send({'execute': 'guest-sync', 'arguments': {'id': self.serial}})
            while self.receive().get('return') != self.serial:
                pass
        except (OSError, ValueError):
            self.sock.close()
            self.sock = None
            raise

    def send(self, msg):
        self.sock.sendall(json.dumps(msg).encode() + b'\n')

    def receive(self):
        while b'\n' not in self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise OSError('agent closed')
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b'\n', 1)
        return json.loads(line) if line.strip() else {}

    def call(self, command, **arguments):
        self.send({'execute': command, 'arguments': arguments})
        reply = self.receive()
        if 'error' in reply:
            raise OSError(reply['error'].get('desc', 'agent error'))
        return reply.get('return')

    def sh(self, script, timeout=120):
        """Runs a shell script as root in the guest: (exit code, output). A
        guest that went away meanwhile (a power-off, a suspend) gives -1, and
        the next call starts on a fresh connection."""
        try:
            if not self.sock:
                self.connect()
            pid = self.call('guest-exec', path='/bin/sh', arg=['-c', script],
                            **{'capture-output': True})['pid']
            end = time.time() + timeout
            while time.time() < end:
                st = self.call('guest-exec-status', pid=pid)
                if st.get('exited'):
                    out = base64.b64decode(st.get('out-data', '')) + base64.b64decode(st.get('err-data', ''))
                    return st.get('exitcode', -1), out.decode(errors='replace').strip()
                time.sleep(0.5)
            return -1, 'timed out'
        except (OSError, ValueError, KeyError, TypeError) as error:
            if self.sock:
                self.sock.close()
            self.sock = None
            return -1, 'no answer from the guest agent: %s' % error

    def ready(self, deadline):
        """Waits for the agent to answer (the guest booted or resumed)."""
        while time.time() < deadline:
            try:
                self.connect()
                if self.sh('true', timeout=30)[0] == 0:
                    return True
            except (OSError, ValueError):
                pass
            time.sleep(3)
        return False
