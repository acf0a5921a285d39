#!/usr/bin/env python3
"""handlink_example.py: libhandlink.so from Python with ctypes.

Opens a COM port, sets the handset up, registers a message sink that prints every message the
handset sends on its own (download data and remote commands), asks the handset's test task for its
power state and closes the port.

    handlink_example.py LIBRARY COM-NUMBER [DEVICE] [--listen SECONDS]

Exit status 0 when the handset confirmed the request, 1 otherwise.
"""
import ctypes
import struct
import sys
import time

HL_MAX_REPLY_BYTES = 10002
HL_TIMEOUT, HL_NO_WORKER, HL_BODY_TOO_LONG, HL_NULL_BUFFER = 9, 20, 21, 22
OPEN_TEXTS = {
    0: "port open",
    10: "the library could not start its device worker thread",
    11: "port number below 1",
    12: "baud rate not supported",
    13: "the open step failed unexpectedly",
    14: "the device could not be opened or configured",
}
SETUP_TEXTS = {
    0: "handset set up",
    3: "the filter signal was not acknowledged",
    4: "the setup command was not acknowledged",
}
FORWARDED = 3026  # the message id we register; any number will do


class HlWindow(ctypes.Structure):
    pass


# void (*post)(HlWindow *self, uint32_t message, uintptr_t wparam, intptr_t lparam)
POST = ctypes.CFUNCTYPE(None, ctypes.POINTER(HlWindow), ctypes.c_uint32, ctypes.c_size_t,
                        ctypes.c_ssize_t)
HlWindow._fields_ = [("post", POST)]


def on_message(window, message, wparam, lparam):
    """Runs on the library's device worker thread; the record is valid only during this call."""
    head = ctypes.string_at(wparam, 10)
    _, kind, length = struct.unpack("<IIH", head)
    msg = ctypes.string_at(wparam + 10, length)  # copy now
    sender = msg[0]
    body_length, signal = struct.unpack_from("<HH", msg, 12)
    body = msg[16:16 + body_length]
    print(f"forwarded: message {message} kind {chr(kind)} sender {sender} "
          f"signal 0x{signal:04X} body {body.hex()}", flush=True)


def explain(result):
    if result == 0:
        return "sent (awaits no confirmation)"
    if result == HL_TIMEOUT:
        return "no confirmation within the timeout"
    if result == HL_NO_WORKER:
        return "no device worker runs; call OpenComm first"
    if result == HL_BODY_TOO_LONG:
        return "body length too large; nothing sent"
    if result == HL_NULL_BUFFER:
        return "body or reply buffer missing"
    return f"confirmed by signal 0x{result >> 16:04X} with {result & 0xFFFF} body bytes"


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    listen = 0.5
    if "--listen" in argv:
        listen = float(argv[argv.index("--listen") + 1])
        args.remove(argv[argv.index("--listen") + 1])
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    lib = ctypes.CDLL(args[0])
    port = int(args[1])

    lib.OpenComm.argtypes = [ctypes.c_uint32, ctypes.c_uint32]
    lib.OpenComm.restype = ctypes.c_int32
    lib.SendSetup.restype = ctypes.c_int32
    lib.SetPortDevice.argtypes = [ctypes.c_uint32, ctypes.c_char_p]
    lib.SetMobileDataHandler.argtypes = [ctypes.POINTER(HlWindow), ctypes.c_uint32]
    lib.GetLastOpenError.argtypes = [ctypes.c_char_p, ctypes.c_uint32]
    lib.GetLastOpenError.restype = ctypes.c_uint32
    request = lib.phiQntPowerStateReadReq
    request.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    request.restype = ctypes.c_int32

    if len(args) > 2:
        lib.SetPortDevice(port, args[2].encode())

    # Keep the sink (and its callback) alive for as long as it is registered.
    window = HlWindow(POST(on_message))
    lib.SetMobileDataHandler(ctypes.byref(window), FORWARDED)

    lib.CloseComm()
    opened = lib.OpenComm(port, 115200)
    print(f"OpenComm: {opened}, {OPEN_TEXTS.get(opened, 'unknown status')}", flush=True)
    if opened == 14:
        why = ctypes.create_string_buffer(256)
        lib.GetLastOpenError(why, len(why))
        print(f"  reason: {why.value.decode(errors='replace')}", flush=True)
    ok = False
    if opened == 0:
        setup = lib.SendSetup()
        print(f"SendSetup: {setup}, {SETUP_TEXTS.get(setup, 'unknown status')}", flush=True)
        if setup == 0:
            body = ctypes.create_string_buffer(1)
            reply = ctypes.create_string_buffer(HL_MAX_REPLY_BYTES)
            result = request(body, reply)
            print(f"request: {explain(result)}", flush=True)
            if result > HL_NULL_BUFFER:
                print(f"power state byte: {reply.raw[0]}", flush=True)
                ok = True
            time.sleep(listen)  # messages the handset sends meanwhile reach on_message
    lib.CloseComm()
    lib.SetMobileDataHandler(None, 0)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
