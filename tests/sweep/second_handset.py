#!/usr/bin/env python3
"""A second handset for the fault sweep, written apart from handsim from the description of the
link and the download service, so that a mistake the emulator shares with the PC shows up here.

It links a pseudo-terminal at --link, keeps its files in --store (pic/ and melody/), answers the
link (frames, ACK, NAK, segments) and the download service (handshake, listing, download with its
after-download actions, rename, delete, format, disconnect), and numbers every frame of the
exchange either way (--exchange FILE gets a line per frame). One fault can be placed at a frame
with --fault "at N KIND [ARG]", KIND one of drop, damage, twice, delay MS, nak, lose-ack,
withhold, event CODE, hangup, cancel (Ctrl-C to the process whose number is in --cancel-pid).
It runs until SIGTERM.
"""

import argparse
import os
import select
import signal
import struct
import sys
import time
import tty

STX, ETX, ACK, NAK = 0x02, 0x03, 0x06, 0x15
SEG_SIGNAL, SEG_LONG, SEG_COMMAND, LAST = 0xD3, 0xD4, 0xD5, 0xFF
DATA_IND, ACK_RSP, CMD_IND, CMD_RSP, FILTER = 0x7901, 0x7902, 0x7905, 0x7906, 0x0110
HANDSET_TASK, PC_TASK = 83, 2
SETUP = bytes([0x02, 0x03, 0x00, 0x00, 0x00])
RESERVE = 92160
UNIT = 512
FOLDERS = {"pic": "a:\\pcdlw\\pic", "melody": "a:\\pcdlw\\melody"}
LIMITS = {"pic": 10, "melody": 20}
ACTIONS = {17: "action preview", 18: "action keep", 19: "action discard"}
COMMANDS = {0x0301: "list", 0x0305: "announce", 0x03FF: "action", 0x030A: "delete",
            0x030B: "rename", 0x0314: "format"}


def now():
    return time.monotonic()


def frame(payload):
    check = STX ^ len(payload)
    for b in payload:
        check ^= b
    return bytes([STX, len(payload)]) + payload + bytes([check, ETX])


def allocation(size):
    return (size // UNIT + 1) * UNIT


def text_of(field):
    return field.split(b"\0", 1)[0].decode("latin-1")


def packet(kind, checksum, sequence, data):
    body = struct.pack("<BBHHH", kind, 0, checksum, sequence, min(len(data), 512))
    return body + data[:512].ljust(512, b"\0")


class Store:
    def __init__(self, root, capacity):
        self.root = root
        self.capacity = capacity

    def files(self, folder):
        path = os.path.join(self.root, folder)
        names = sorted(n for n in os.listdir(path)
                       if not n.startswith(".") and os.path.isfile(os.path.join(path, n)))
        return [(n, os.path.getsize(os.path.join(path, n))) for n in names]

    def free(self):
        """Free bytes, the reserve included."""
        used = sum(allocation(s) for f in FOLDERS for _, s in self.files(f))
        return self.capacity - used

    def path(self, folder, name):
        return os.path.join(self.root, folder, name)

    def exists(self, folder, name):
        return os.path.isfile(self.path(folder, name))

    def keep(self, folder, name, data):
        hidden = self.path(folder, "." + name + ".part")
        with open(hidden, "wb") as f:
            f.write(data)
        os.replace(hidden, self.path(folder, name))


def parse_path(text):
    """a:\\pcdlw\\pic\\name.bmp -> ("pic", "name.bmp"), or None."""
    for folder, prefix in FOLDERS.items():
        if text.startswith(prefix + "\\"):
            name = text[len(prefix) + 1:]
            if name and "\\" not in name and "/" not in name and not name.startswith("."):
                return folder, name
    return None


class Handset:
    def __init__(self, args):
        self.args = args
        self.store = Store(args.store, args.capacity)
        self.points = 0
        self.exchange = open(args.exchange, "w") if args.exchange else None
        self.fault = None
        if args.fault:
            w = args.fault.split()
            self.fault = (int(w[1]), w[2], int(w[3]) if len(w) > 3 else 0)
        self.master = self.slave = -1
        self.open_line()
        # Receiving.
        self.state = 0
        self.payload = bytearray()
        self.left = 0
        self.check = 0
        self.held = []          # frames waiting behind a delayed one
        self.hold_until = 0.0
        self.message = None     # the PC's message under way: [form, total, bytes]
        self.pc_words = ""
        self.pc_segment = 0
        self.pc_in_message = False
        self.withhold_next = False
        # Sending: queued messages, each a list of frames with its words.
        self.queue = []
        self.sending = None     # [frame bytes, attempts, deadline, words, segment, rest]
        self.answer = None
        # The service.
        self.reporting = False
        self.quiet_until = 0.0
        self.listing = []
        self.download = None
        self.completed = None

    # --- the line -----------------------------------------------------------------------------
    def open_line(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        tty.setraw(self.master)
        name = os.ttyname(self.slave)
        if os.path.islink(self.args.link):
            os.unlink(self.args.link)
        os.symlink(name, self.args.link)

    def hang_up(self):
        os.unlink(self.args.link)
        os.close(self.master)
        os.close(self.slave)
        time.sleep(0.2)
        self.open_line()
        self.state = 0
        self.message = None
        self.queue = []
        self.sending = None
        self.download = None

    def write(self, data):
        try:
            os.write(self.master, data)
        except OSError:
            pass

    # --- numbering and faults -----------------------------------------------------------------
    def point(self, from_pc, words, segment):
        self.points += 1
        if self.exchange:
            self.exchange.write("%d %s %d %s\n" % (self.points, "pc" if from_pc else "hs",
                                                   segment, words))
            self.exchange.flush()
        if self.fault and self.fault[0] == self.points:
            kind, arg = self.fault[1], self.fault[2]
            self.fault = None
            if kind == "cancel":
                try:
                    with open(self.args.cancel_pid) as f:
                        os.kill(int(f.read().strip()), signal.SIGINT)
                except (OSError, ValueError):
                    pass
                return None
            return kind, arg
        return None

    # --- receiving ----------------------------------------------------------------------------
    def take_byte(self, b):
        if self.state == 0:
            if b == STX:
                self.state, self.check, self.payload = 1, STX, bytearray()
            elif b in (ACK, NAK):
                self.answer = b
        elif self.state == 1:
            self.left = b if b else 256
            self.check ^= b
            self.state = 2
        elif self.state == 2:
            self.payload.append(b)
            self.check ^= b
            self.left -= 1
            if self.left == 0:
                self.state = 3
        elif self.state == 3:
            self.state = 4 if b == self.check else 0
            if self.state == 0:
                self.write(bytes([NAK]))
        elif self.state == 4:
            self.state = 0
            if b != ETX:
                self.write(bytes([NAK]))
            elif self.hold_until > now():
                self.held.append(bytes(self.payload))
            else:
                self.on_frame(bytes(self.payload))

    def name_pc_frame(self, p):
        first = len(p) >= 2 and (p[1] == 0 or not self.pc_in_message)
        if first:
            self.pc_words = describe_pc(p)
            self.pc_segment = 0
        else:
            self.pc_segment += 1
        self.pc_in_message = len(p) >= 2 and p[1] != LAST

    def on_frame(self, p, counted=False):
        if not counted:
            self.name_pc_frame(p)
            fault = self.point(True, self.pc_words, self.pc_segment)
            if fault:
                kind, arg = fault
                if kind == "drop":
                    return
                if kind in ("damage", "nak"):
                    self.write(bytes([NAK]))
                    return
                if kind == "hangup":
                    self.hang_up()
                    return
                if kind == "event":
                    self.send_event(arg)
                elif kind == "withhold":
                    self.withhold_next = True
                elif kind == "delay":
                    self.hold_until = now() + arg / 1000.0
                    self.held.append(p)
                    return
                elif kind == "twice":
                    self.on_frame(p, True)
                elif kind == "lose-ack":
                    self.assemble(p)
                    return
        ok = self.assemble(p)
        self.write(bytes([ACK if ok else NAK]))

    def assemble(self, p):
        """Takes a segment; False when it contradicts the message under way."""
        if len(p) < 2:
            return True
        kind, seq = p[0], p[1]
        if kind in (SEG_SIGNAL, SEG_COMMAND) and (seq == 0 or self.message is None) \
                and len(p) >= 4:
            total = (p[2] << 8) | p[3]
            self.message = [kind, total, bytearray(p[4:])]
        elif self.message is not None and kind == SEG_SIGNAL:
            self.message[2] += p[2:]
        elif kind not in (SEG_SIGNAL, SEG_COMMAND):
            return True
        else:
            return False
        form, total, data = self.message
        if len(data) > total:
            self.message = None
            return False
        if seq == LAST:
            self.message = None
            if len(data) != total:
                return False
            self.on_message(form, bytes(data))
        return True

    # --- sending ------------------------------------------------------------------------------
    def send(self, signal_id, body):
        if not self.reporting:
            return
        if self.withhold_answer:
            return
        header = bytes([HANDSET_TASK, PC_TASK]) + bytes(10) + struct.pack("<HH", len(body),
                                                                          signal_id)
        message = header + body
        frames = []
        for at in range(0, len(message), 253):
            part = message[at:at + 253]
            seq = LAST if at + 253 >= len(message) else at // 253
            frames.append(bytes([SEG_LONG, seq]) + part)
        self.queue.append([describe_hs(signal_id, body), frames])

    def send_event(self, code):
        body = struct.pack("<BBHH", HANDSET_TASK, 0, 0x0200, code).ljust(332, b"\0")
        self.download = None
        self.listing = []
        self.send(CMD_IND, body)

    def reply(self, status, result):
        self.send(CMD_RSP, struct.pack("<IHHHH", 0, status, 0, result, 0))

    def ack(self, status):
        self.send(ACK_RSP, struct.pack("<BBHI", 2, 0, status, 0))

    def tick(self):
        if self.held and self.hold_until <= now():
            held, self.held, self.hold_until = self.held, [], 0.0
            for p in held:
                self.on_frame(p, True)
        if self.sending:
            data, attempts, deadline, words, segment, rest = self.sending
            if self.sending_lost_ack and now() < deadline:
                self.answer = None  # the PC's answer never arrives
                return
            if self.answer == ACK and not self.sending_nak:
                self.answer = None
                self.sending = None
                if rest:
                    self.start_frame(words, segment + 1, rest)
                return
            if self.answer is not None or now() >= deadline:
                self.answer = None
                if attempts >= self.args.attempts:
                    self.sending = None
                    self.queue = []
                    return
                self.transmit(data, attempts + 1, words, segment, rest)
            return
        if self.queue:
            words, frames = self.queue.pop(0)
            self.start_frame(words, 0, frames)

    def start_frame(self, words, segment, frames):
        self.transmit(frames[0], 1, words, segment, frames[1:])

    def transmit(self, payload, attempts, words, segment, rest):
        fault = self.point(False, words, segment)
        self.sending_nak = False
        self.sending_lost_ack = False
        data = frame(payload)
        if fault:
            kind, arg = fault
            if kind == "withhold" or kind == "hangup" or kind == "event":
                self.sending = None
                self.queue = []
                if kind == "hangup":
                    self.hang_up()
                elif kind == "event":
                    self.send_event(arg)
                return
            if kind == "damage":
                data = data[:-2] + bytes([data[-2] ^ 0xFF, ETX])
            if kind == "delay":
                time.sleep(arg / 1000.0)
            if kind == "nak":
                self.sending_nak = True
            if kind == "lose-ack":
                self.sending_lost_ack = True
            if kind != "drop":
                self.write(data)
            if kind == "twice":
                self.write(data)
        else:
            self.write(data)
        self.answer = None
        self.sending = [payload, attempts, now() + self.args.ack_timeout / 1000.0, words, segment,
                        rest]

    # --- the download service ----------------------------------------------------------------
    def on_message(self, form, data):
        self.withhold_answer = self.withhold_next
        self.withhold_next = False
        try:
            self.serve(form, data)
        finally:
            self.withhold_answer = False

    def serve(self, form, data):
        if form == SEG_COMMAND:
            if data == SETUP:
                self.reporting = True
            return
        if len(data) < 8:
            return
        body_length, signal_id = struct.unpack_from("<HH", data, 4)
        body = data[8:8 + body_length]
        if signal_id == CMD_IND and len(body) >= 332:
            self.command(body)
        elif signal_id == DATA_IND and len(body) >= 520:
            self.packet(body)
        elif signal_id == ACK_RSP:
            if self.listing:
                self.send(DATA_IND, self.listing.pop(0))

    def command(self, body):
        group, code = struct.unpack_from("<HH", body, 2)
        if group == 0x0100 or group == 0x0200:
            self.download = None
            self.listing = []
            self.reply(3, 0)
            return
        if group == 0x0400:
            self.download = None
            self.listing = []
            return
        if group != 0x0300:
            self.reply(0, 0x2000)
            return
        if code != 0x03FF:
            self.download = None
            self.listing = []
        first, second = text_of(body[8:268]), text_of(body[268:332])
        if code == 0x0301:
            self.reply(3, 3)
            self.start_listing()
        elif code == 0x0305:
            target = parse_path(first)
            if not target:
                self.reply(0, 0x2006)
            elif not self.store.exists(*target) and \
                    len(self.store.files(target[0])) >= LIMITS[target[0]]:
                self.reply(0, 0x2007)
            else:
                self.download = {"target": target, "blocks": None, "data": bytearray(),
                                 "sums": 0, "last": None, "done": False}
                self.reply(0, 2)
        elif code == 0x03FF:
            argument, action = struct.unpack_from("<HH", body, 8)
            d = self.download
            if not d or not d["done"]:
                self.reply(0, 0x2008)
            elif action == 17:
                self.reply(0, 3)
            elif action == 18:
                folder, name = d["target"]
                data = bytes(d["data"])
                if folder == "melody":
                    data = struct.pack("<HI", 1, len(data) + 6 - 9) + data
                self.store.keep(folder, name, data)
                self.download = None
                self.reply(0, 3)
            elif action == 19:
                self.download = None
                self.reply(0, 3)
            else:
                self.reply(0, 0x2000)
        elif code == 0x030A:
            target = parse_path(first)
            if target and self.store.exists(*target):
                os.unlink(self.store.path(*target))
                self.reply(0, 3)
            else:
                self.reply(0, 0x2001)
        elif code == 0x030B:
            old, new = parse_path(first), parse_path(second)
            if not old or not new or old[0] != new[0] or not self.store.exists(*old):
                self.reply(0, 0x2001)
            elif self.store.exists(*new):
                self.reply(0, 0x2005)
            else:
                os.rename(self.store.path(*old), self.store.path(*new))
                self.reply(0, 3)
        elif code == 0x0314:
            for folder in FOLDERS:
                for name, _ in self.store.files(folder):
                    os.unlink(self.store.path(folder, name))
            # No answer: the handset restarts and listens again only after a new setup.
            self.reporting = False
            self.quiet_until = now() + self.args.restart_ms / 1000.0
        else:
            self.reply(0, 0x2000)

    def start_listing(self):
        total = self.store.capacity // UNIT
        free = max(self.store.free(), 0) // UNIT
        description = bytes([0, 0, 2, 0]) + struct.pack(">II", total, free)
        text = ""
        for folder, path in FOLDERS.items():
            text += path + "\\"
            for name, size in self.store.files(folder):
                text += "%s^%d;" % (name, size)
            text += "%"
        blocks = [description.ljust(512, b"\0")]
        raw = text.encode("latin-1")
        blocks += [raw[i:i + 512] for i in range(0, len(raw), 512)]
        start = bytearray(512)
        struct.pack_into(">H", start, 2, len(blocks))
        packets = [packet(1, 0x1213, 0, bytes(start))]
        sums = 0
        for n, block in enumerate(blocks, 1):
            checksum = sum(block) & 0xFFFF
            sums += checksum
            packets.append(packet(1, checksum, n, block))
        end = bytearray(512)
        end[0] = 0xFF
        struct.pack_into(">I", end, 1, sums & 0xFFFFFFFF)
        packets.append(packet(1, 0x1213, 0, bytes(end)))
        self.send(DATA_IND, packets[0])
        self.listing = packets[1:]

    def packet(self, body):
        checksum, sequence, length = struct.unpack_from("<HHH", body, 2)
        data = body[8:520]
        d = self.download
        if d is None:
            self.ack(8)
            return
        if sequence == 0 and data[0] == 0x00:
            blocks = (data[1] << 8) | data[2]
            room = self.store.free() - RESERVE
            if self.store.exists(*d["target"]):
                room += allocation(os.path.getsize(self.store.path(*d["target"])))
            if checksum != 0x1213 or blocks > 128 or (blocks and (blocks - 1) * 512 + 1 > room):
                self.ack(7)
                return
            d.update(blocks=blocks, data=bytearray(), sums=0, last=None, done=False)
            self.ack(1)
            return
        if sequence == 0 and data[0] == 0xFF:
            if d["done"]:
                self.ack(1)
            elif d["blocks"] is None or d["last"] != d["blocks"]:
                self.ack(5)
            elif struct.unpack_from(">I", data, 1)[0] != d["sums"] & 0xFFFFFFFF:
                self.ack(6)
            else:
                d["done"] = True
                self.ack(1)
            return
        if d["blocks"] is None or length > 512:
            self.ack(5)
        elif d["last"] is not None and sequence == d["last"] and d["last_body"] == body:
            self.ack(1)
        elif sequence != (d["last"] or 0) + 1 or sequence > d["blocks"]:
            self.ack(5)
        elif checksum != sum(data[:length]) & 0xFFFF:
            self.ack(4)
        else:
            d["data"] += data[:length]
            d["sums"] += checksum
            d["last"] = sequence
            d["last_body"] = body
            self.ack(1)

    # --- the loop -----------------------------------------------------------------------------
    def run(self):
        self.withhold_answer = False
        self.sending_nak = False
        self.sending_lost_ack = False
        stop = []
        signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
        while not stop:
            wait = 0.005 if (self.sending or self.queue or self.held) else 0.05
            try:
                ready, _, _ = select.select([self.master], [], [], wait)
            except InterruptedError:
                continue
            if ready:
                try:
                    data = os.read(self.master, 4096)
                except OSError:
                    data = b""
                if now() < self.quiet_until:
                    self.state = 0
                    self.message = None
                    continue
                for b in data:
                    self.take_byte(b)
            self.tick()
        if os.path.islink(self.args.link):
            os.unlink(self.args.link)


def describe_pc(p):
    if len(p) < 4:
        return "segment"
    if p[0] == SEG_COMMAND:
        return "setup"
    message = p[4:]
    if p[0] != SEG_SIGNAL or len(message) < 8:
        return "segment"
    signal_id = struct.unpack_from("<H", message, 6)[0]
    body = message[8:]
    if signal_id == FILTER:
        return "filter"
    if signal_id == ACK_RSP:
        return "listing ack"
    if signal_id == DATA_IND and len(body) >= 9:
        sequence = struct.unpack_from("<H", body, 4)[0]
        if sequence == 0:
            return "start packet" if body[8] == 0x00 else "end packet"
        return "data packet %d" % sequence
    if signal_id == CMD_IND and len(body) >= 12:
        group, code = struct.unpack_from("<HH", body, 2)
        if group == 0x0100:
            return "handshake"
        if group == 0x0200:
            return "disconnect"
        if group == 0x0400:
            return "abort"
        if code == 0x03FF:
            return ACTIONS.get(struct.unpack_from("<H", body, 10)[0], "action")
        return COMMANDS.get(code, "unknown")
    return "signal 0x%04X" % signal_id


def describe_hs(signal_id, body):
    if signal_id == CMD_RSP:
        return "reply"
    if signal_id == CMD_IND:
        return "event"
    if signal_id == ACK_RSP:
        return "packet ack"
    sequence = struct.unpack_from("<H", body, 4)[0]
    if sequence == 0:
        return "listing start" if body[8] == 0x00 else "listing end"
    return "listing packet %d" % sequence


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--link", required=True)
    parser.add_argument("--store", required=True)
    parser.add_argument("--capacity", type=int, default=524288, help="bytes, reserve included")
    parser.add_argument("--ack-timeout", type=int, default=1000, help="ms")
    parser.add_argument("--attempts", type=int, default=3)
    parser.add_argument("--restart-ms", type=int, default=3000)
    parser.add_argument("--exchange")
    parser.add_argument("--fault")
    parser.add_argument("--cancel-pid")
    args = parser.parse_args()
    for folder in FOLDERS:
        os.makedirs(os.path.join(args.store, folder), exist_ok=True)
    Handset(args).run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
