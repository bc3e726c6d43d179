#!/usr/bin/env python3
"""Instrument simulator: plays a card scenario on a pseudo-terminal that Wine sees as a COM port.

It creates a pty pair, links $WINEPREFIX/dosdevices/<port> (com1 ... com4096) to the slave, and plays
the scenario file line by line (--scenario), or is an instrument with a card in it (--card). What it
sends is paced at the line speed the program set on the pty (start bit, data bits, parity and stop bits
per byte), so 9600 baud gives 960 bytes/s and 1200 baud 120 bytes/s.
Every byte received is logged with the line settings seen at that moment.

Files in the run folder (--dir), which the Windows test reaches through Z:\\:
  ready  written once the link exists: "ok <pty>" or "error <reason>"
  log    one line per event, written as it happens (see LOG FORMAT)
  stop   created by the test: the simulator cleans up and ends
  done   written last, after the link is removed

The simulator ends on its own after --deadline seconds whatever happens (a scenario: 45 s unless
given; an instrument: only when given), on SIGTERM or SIGINT, and removes only the link it made.

INSTRUMENT (--card FILE): answers every command for as long as it runs, across any number of
openings of the port:
  'e'  the echo, the card's header, its records, the end marker 'o'
  'r'  the echo, 'o' half a second later; the card is empty from then on (header and 'o' only)
  any other byte is logged and ignored.
What the program has not read a second after the simulator last sent is dropped, as a closed port
drops what arrives: a download cancelled half-way leaves nothing for the next one.
The card file holds lines `header |<81 bytes>|` and `record |<47 bytes>|`: the card's bytes after the
CR LF that starts the header and after the CR that starts each record (tools/sample-card.txt). '#'
starts a comment line. A file with a line of another width or a record without a ';' where the
program tests for one is refused with the line's number.

SCENARIO (one command per line, '#' starts a comment):
  wait [ms]          wait for the next received byte (default 10000 ms); on time-out the scenario
                     stops and the simulator only listens until stop or deadline
  echo               send back the last received byte
  header             send an 83-byte header
  records A B        send well-formed records numbered A to B
  empty              send a well-formed record whose number is "--" (an empty slot)
  bad N              send record N with a ',' where byte 16's ';' belongs
  partial N K        send the first K bytes of record N
  garbage N          send N bytes that contain no carriage return
  text "..."         send text; \\r \\n \\t \\\\ \\" and \\xNN escapes
  end                send the end marker 'o'
  pause ms           send nothing for ms milliseconds
  unplug             close the pty master: the line is dead (hang-up on the program's side)

LOG FORMAT (times are Unix epoch seconds with microseconds):
  start <time> <pty>
  rx <time> <hex> <baud> <data bits> <parity N|E|O> <stop bits>
  header <time> <hex>              the header as sent
  record <time> <hex>              a well-formed record as sent (its last byte left at <time>)
  sent <time> <count>              after each scenario command that sent bytes: total sent so far
  marker <time>                    the end marker 'o' has left
  unplug <time>
  erased <time>                    an instrument acknowledged 'r' and emptied its card
  ignored <time> <hex>             an instrument received a byte that is no command
  dropped <time> <count>           an instrument dropped bytes the program did not read
  end <time> <reason>
"""

import argparse
import array
import errno
import fcntl
import os
import select
import signal
import sys
import termios
import time
import tty

SPEEDS = {getattr(termios, name): int(name[1:]) for name in dir(termios)
          if name.startswith('B') and name[1:].isdigit()}
DATA_BITS = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}


def line_settings(fd):
    """(baud, data bits, parity, stop bits) of the pty as the program set them."""
    iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(fd)
    baud = SPEEDS.get(ospeed, 0)
    bits = DATA_BITS.get(cflag & termios.CSIZE, 8)
    if cflag & termios.PARENB:
        parity = 'O' if cflag & termios.PARODD else 'E'
    else:
        parity = 'N'
    stop = 2 if cflag & termios.CSTOPB else 1
    return baud, bits, parity, stop


# Where a record holds ';'; the program keeps only records that have all seven.
SEPARATORS = (4, 7, 16, 22, 32, 38, 43)


class CardError(Exception):
    """A card file the simulator will not play; the text names the line and what is wrong."""


def load_card(path):
    """(header, [records]) as the card sends them, from a card file; raises CardError."""
    header, records = None, []
    with open(path, encoding='latin-1') as f:
        for number, raw in enumerate(f.read().splitlines(), 1):
            line = raw.strip()
            if not line or line.startswith('#'):
                continue
            word, _, rest = line.partition(' ')
            rest = rest.strip()
            if word not in ('header', 'record') or len(rest) < 2 or rest[0] != '|' or rest[-1] != '|':
                raise CardError('%s line %d: expected header |...| or record |...|' % (path, number))
            body = rest[1:-1].encode('latin-1')
            if b'\r' in body or b'\n' in body:
                raise CardError('%s line %d: no line breaks between the bars' % (path, number))
            if word == 'header':
                if header is not None:
                    raise CardError('%s line %d: a second header' % (path, number))
                if len(body) != 81:
                    raise CardError('%s line %d: the header needs 81 characters between the bars, '
                                    'it has %d' % (path, number, len(body)))
                header = b'\r\n' + body
                continue
            if len(body) != 47:
                raise CardError('%s line %d: a record needs 47 characters between the bars, it has %d'
                                % (path, number, len(body)))
            record = b'\r' + body
            wrong = [i for i in SEPARATORS if record[i:i + 1] != b';']
            if wrong:
                raise CardError('%s line %d: the record needs a \';\' at character %d (the first '
                                'after the bar is 1), it has %r'
                                % (path, number, wrong[0], record[wrong[0]:wrong[0] + 1].decode('latin-1')))
            records.append(record)
    if header is None:
        raise CardError('%s: no header line' % path)
    return header, records


def record_bytes(number, empty=False, separator=b';'):
    """48 bytes: CR, blank, point number, then the fields with ';' at 4, 7, 16, 22, 32, 38, 43."""
    n = number % 100
    point = b'--' if empty else b'%02d' % n
    fields = [
        b'\r ' + point,                     # 0-3
        b'%02d' % (n % 7),                  # 5-6 damping
        b'12:%02d:%02d' % (n % 60, (n * 7) % 60),  # 8-15 time
        b'%05d' % (n * 13),                 # 17-21 gas meter
        b'%03d %05.1f' % (20 + n % 9, n / 10.0),   # 23-31 temperature, blank, pitot
        b'%05.1f' % (n * 1.5 % 999),        # 33-37 volume flow
        b'%4d' % (150 + n),                 # 39-42 stack temperature
        b'%4d' % (980 + n % 20),            # 44-47 stack pressure
    ]
    data = b';'.join(fields)
    assert len(data) == 48, (number, data)
    if separator != b';':
        data = data[:16] + separator + data[17:]
    return data


HEADER = (b'\r\n' + b'A123456' + b'  ' + b'14:05:00' + b' ' + b'03.05.24' + b'  ' + b'13:40:00'
          + b' ' + b'03.05.24' + b'  ' + b'24' + b' ' + b'02.5' + b' ' + b'1.293' + b' '
          + b'0.01' + b' ' + b'06.0' + b' ' + b'0.84' + b' ' + b'012.5')
assert len(HEADER) == 83, len(HEADER)


def unescape(text):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            n = text[i + 1]
            if n == 'x':
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out += {'r': b'\r', 'n': b'\n', 't': b'\t', '\\': b'\\', '"': b'"'}.get(n, n.encode())
            i += 2
            continue
        out += c.encode('latin-1')
        i += 1
    return bytes(out)


STOP_SIGNALLED = False


def on_stop_signal(signum, frame):
    global STOP_SIGNALLED
    STOP_SIGNALLED = True


class Stopped(Exception):
    """The test asked the simulator to end, or its deadline passed, in the middle of sending."""


class Simulator:
    def __init__(self, port, run_dir, deadline):
        self.run_dir = run_dir
        self.deadline = time.time() + deadline if deadline is not None else float('inf')
        self.master = None
        self.slave = None
        self.link = None
        self.last_rx = None
        self.rx_pending = []      # bytes received but not yet taken by 'wait'
        self.sent = 0
        self.log_file = open(os.path.join(run_dir, 'log'), 'w', buffering=1)
        self.port = port

    # ---- files shared with the test
    def log(self, *words):
        self.log_file.write(' '.join(str(w) for w in words) + '\n')

    def write_file(self, name, text):
        path = os.path.join(self.run_dir, name)
        with open(path + '.tmp', 'w') as f:
            f.write(text)
        os.replace(path + '.tmp', path)

    def stop_requested(self):
        return STOP_SIGNALLED or os.path.exists(os.path.join(self.run_dir, 'stop'))

    # ---- the line
    def open(self):
        prefix = os.environ.get('WINEPREFIX')
        if not prefix:
            return 'WINEPREFIX is not set'
        if not (self.port.lower().startswith('com') and self.port[3:].isdigit()
                and 1 <= int(self.port[3:]) <= 4096):
            return 'only com1 to com4096 may be used'
        link = os.path.join(prefix, 'dosdevices', self.port.lower())
        # A link left by a simulator that has not finished yet: give it a moment to go.
        for _ in range(50):
            if not os.path.lexists(link):
                break
            time.sleep(0.1)
        else:
            return 'link %s exists' % link
        self.master, self.slave = os.openpty()
        # The pty becomes this process's controlling terminal. Otherwise the first process without
        # one that opens it claims it: the wineserver, when the program opens the port. The hang-up
        # at the end would then send the wineserver SIGHUP, which makes it dump all its objects.
        try:
            fcntl.ioctl(self.slave, termios.TIOCSCTTY, 0)
        except OSError as e:
            self.log('note', 'no-controlling-terminal', e.errno)
        # A serial line has no line discipline: raw bytes both ways. The starting settings are
        # deliberately not the program's, so that a missing SetCommState shows.
        tty.setraw(self.slave)
        attrs = termios.tcgetattr(self.slave)
        attrs[2] = (attrs[2] & ~(termios.CSIZE | termios.CSTOPB | termios.PARODD)) \
            | termios.CS7 | termios.PARENB | termios.CSTOPB
        attrs[4] = attrs[5] = termios.B4800
        termios.tcsetattr(self.slave, termios.TCSANOW, attrs)
        os.symlink(os.ttyname(self.slave), link)
        self.link = link
        self.pty_name = os.ttyname(self.slave)
        self.log('start', '%.6f' % time.time(), self.pty_name)
        return None

    def close(self):
        if self.link and os.path.islink(self.link) and os.readlink(self.link) == self.pty_name:
            os.unlink(self.link)
        self.link = None
        for fd in (self.master, self.slave):
            if fd is not None:
                try:
                    os.close(fd)
                except OSError:
                    pass
        self.master = self.slave = None

    def poll(self, timeout):
        """Reads what arrived within `timeout` seconds; logs it. False once the line is gone."""
        if self.master is None:
            time.sleep(max(0.0, timeout))
            return False
        ready, _, _ = select.select([self.master], [], [], max(0.0, timeout))
        if not ready:
            return True
        try:
            data = os.read(self.master, 4096)
        except OSError as e:
            if e.errno == errno.EIO:    # no slave open: nothing can arrive
                time.sleep(max(0.0, timeout))
                return True
            raise
        if data:
            baud, bits, parity, stop = line_settings(self.master)
            self.log('rx', '%.6f' % time.time(), data.hex(), baud, bits, parity, stop)
            self.rx_pending.extend(data)
        return True

    def byte_time(self):
        baud, bits, parity, stop = line_settings(self.master)
        if baud <= 0:
            baud = 9600
        return (1 + bits + (0 if parity == 'N' else 1) + stop) / float(baud)

    def send(self, data):
        """Sends at the line speed, listening meanwhile; returns the time the last byte left."""
        if self.master is None or not data:
            return time.time()
        start = time.time()
        done = 0
        checked = start
        while done < len(data):
            if time.time() - checked > 0.1:
                checked = time.time()
                if self.stop_requested() or checked > self.deadline:
                    raise Stopped()
            per_byte = self.byte_time()
            now = time.time()
            # How many bytes the line has carried since `start`; at least the first one.
            due = min(len(data), max(done + 1, int((now - start) / per_byte) + 1))
            os.write(self.master, data[done:due])
            done = due
            if done < len(data):
                next_at = start + done * per_byte
                self.poll(min(0.005, max(0.0, next_at - time.time())))
        last = start + (len(data) - 1) * per_byte
        # The last byte is on the wire until one byte time has passed.
        while time.time() < last + per_byte:
            self.poll(last + per_byte - time.time())
        self.sent += len(data)
        return time.time()

    # ---- scenario
    def run(self, lines):
        for number, raw in enumerate(lines, 1):
            line = raw.split('#', 1)[0].strip() if not raw.strip().startswith('text') else raw.strip()
            if not line:
                continue
            if time.time() > self.deadline or self.stop_requested():
                return 'stopped'
            word, _, rest = line.partition(' ')
            args = rest.split()
            if word == 'wait':
                limit = time.time() + (int(args[0]) if args else 10000) / 1000.0
                while not self.rx_pending and time.time() < limit and not self.stop_requested():
                    if not self.poll(min(0.05, limit - time.time())):
                        break
                if not self.rx_pending:
                    return 'nothing received'
                self.last_rx = self.rx_pending.pop(0)
            elif word == 'echo':
                self.send(bytes([self.last_rx if self.last_rx is not None else 0]))
            elif word == 'header':
                t = self.send(HEADER)
                self.log('header', '%.6f' % t, HEADER.hex())
            elif word == 'records':
                for n in range(int(args[0]), int(args[1]) + 1):
                    data = record_bytes(n)
                    t = self.send(data)
                    self.log('record', '%.6f' % t, data.hex())
            elif word == 'empty':
                data = record_bytes(0, empty=True)
                t = self.send(data)
                self.log('record', '%.6f' % t, data.hex())
            elif word == 'bad':
                self.send(record_bytes(int(args[0]), separator=b','))
            elif word == 'partial':
                self.send(record_bytes(int(args[0]))[:int(args[1])])
            elif word == 'garbage':
                pattern = b'#garbage-without-carriage-return;'
                count = int(args[0])
                self.send((pattern * (count // len(pattern) + 1))[:count])
            elif word == 'text':
                body = rest.strip()
                if len(body) < 2 or body[0] != '"' or body[-1] != '"':
                    raise ValueError('line %d: text needs "..."' % number)
                self.send(unescape(body[1:-1]))
            elif word == 'end':
                t = self.send(b'o')
                self.log('marker', '%.6f' % t)
            elif word == 'pause':
                limit = time.time() + int(args[0]) / 1000.0
                while time.time() < limit and not self.stop_requested():
                    self.poll(min(0.05, limit - time.time()))
            elif word == 'unplug':
                os.close(self.master)
                self.master = None
                self.log('unplug', '%.6f' % time.time())
            else:
                raise ValueError('line %d: unknown command %r' % (number, word))
            if word in ('echo', 'header', 'records', 'empty', 'bad', 'partial', 'garbage', 'text',
                        'end'):
                self.log('sent', '%.6f' % time.time(), self.sent)
        return 'scenario done'

    # ---- instrument
    def serve(self, header, records):
        """Answers commands like an instrument until stop or deadline."""
        unread_since = None
        while time.time() < self.deadline and not self.stop_requested():
            if not self.rx_pending:
                self.poll(0.05)
                unread_since = self.drop_unread(unread_since)
                continue
            command = self.rx_pending.pop(0)
            unread_since = None
            if command == ord('e'):
                self.send(b'e')
                t = self.send(header)
                self.log('header', '%.6f' % t, header.hex())
                for data in records:
                    t = self.send(data)
                    self.log('record', '%.6f' % t, data.hex())
                t = self.send(b'o')
                self.log('marker', '%.6f' % t)
            elif command == ord('r'):
                self.send(b'r')
                limit = time.time() + 0.5
                while time.time() < limit and not self.stop_requested():
                    self.poll(min(0.05, limit - time.time()))
                self.send(b'o')
                records = []
                self.log('erased', '%.6f' % time.time())
            else:
                self.log('ignored', '%.6f' % time.time(), bytes([command]).hex())
        return 'stop' if self.stop_requested() else 'deadline'

    def drop_unread(self, since):
        """Drops what the program has left unread for a second; returns since when bytes wait."""
        waiting = array.array('i', [0])
        fcntl.ioctl(self.slave, termios.FIONREAD, waiting)
        if waiting[0] == 0:
            return None
        if since is None:
            return time.time()
        if time.time() - since < 1.0:
            return since
        termios.tcflush(self.slave, termios.TCIFLUSH)
        self.log('dropped', '%.6f' % time.time(), waiting[0])
        return None

    def linger(self):
        while time.time() < self.deadline and not self.stop_requested():
            self.poll(min(0.05, self.deadline - time.time()))
        return 'stop' if self.stop_requested() else 'deadline'


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    what = parser.add_mutually_exclusive_group(required=True)
    what.add_argument('--scenario', help='a scenario file to play')
    what.add_argument('--card', help='a card file: answer every command like an instrument')
    parser.add_argument('--port', required=True, help='com1 ... com4096 (a link that exists is never replaced)')
    parser.add_argument('--dir', required=True, help='run folder shared with the test')
    parser.add_argument('--deadline', type=float, help='seconds until it ends anyway (scenario: 45)')
    options = parser.parse_args()
    if options.scenario and options.deadline is None:
        options.deadline = 45.0
    if options.card:
        # A malformed card is refused before anything is linked, with the line that is wrong.
        try:
            card = load_card(options.card)
        except (CardError, OSError, UnicodeError) as e:
            print('instrument-sim: %s' % e, file=sys.stderr)
            return 2

    os.makedirs(options.dir, exist_ok=True)
    # A session of its own, so that the pty can become its controlling terminal; its hang-up then
    # signals only this process, which ignores it.
    signal.signal(signal.SIGHUP, signal.SIG_IGN)
    signal.signal(signal.SIGTERM, on_stop_signal)
    signal.signal(signal.SIGINT, on_stop_signal)
    if os.getpid() == os.getpgrp():
        if os.fork() != 0:
            os._exit(0)
    os.setsid()
    sim = Simulator(options.port, options.dir, options.deadline)
    reason = 'error'
    try:
        if options.scenario:
            with open(options.scenario) as f:
                lines = f.read().splitlines()
        problem = sim.open()
        if problem:
            sim.write_file('ready', 'error ' + problem + '\n')
            reason = problem
            return 1
        sim.write_file('ready', 'ok ' + sim.pty_name + '\n')
        if options.card:
            try:
                reason = sim.serve(*card)
            except Stopped:
                reason = 'stop' if sim.stop_requested() else 'deadline'
            return 0
        try:
            outcome = sim.run(lines)
        except Stopped:
            outcome = 'stopped while sending'

        sim.log('scenario', '%.6f' % time.time(), outcome.replace(' ', '-'))
        reason = sim.linger()
        return 0
    except Exception as e:  # noqa: BLE001 - whatever happens, the link goes and the test hears of it
        reason = 'exception-' + type(e).__name__
        sim.log('error', repr(e).replace('\n', ' '))
        if not os.path.exists(os.path.join(options.dir, 'ready')):
            sim.write_file('ready', 'error %r\n' % e)
        return 1
    finally:
        sim.close()
        sim.log('end', '%.6f' % time.time(), reason)
        sim.log_file.close()
        sim.write_file('done', reason + '\n')


if __name__ == '__main__':
    sys.exit(main())
