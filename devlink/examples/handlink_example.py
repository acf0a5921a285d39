#!/usr/bin/env python3
"""handlink_example.py: libhandlink.so (handlink.dll on Windows) from Python with ctypes.

Opens a COM port, sets the handset up, registers a message sink that prints every message the
handset sends on its own (download data and remote commands), asks the handset's test task for its
power state and closes the port. On Windows the sink is a message-only window whose messages are
handled while the program waits.

    handlink_example.py LIBRARY COM-NUMBER [DEVICE] [--listen SECONDS]

LIBRARY is a path: /usr/lib/zemlo/libhandlink.so, or C:\\zemlo\\bin\\handlink.dll.
Exit status 0 when the handset confirmed the request, 1 otherwise.
"""
import ctypes
import struct
import sys
import time

WINDOWS = sys.platform == "win32"

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


def show_record(message, wparam):
    """Prints the record at wparam; it is copied here, at once."""
    head = ctypes.string_at(wparam, 10)
    _, kind, length = struct.unpack("<IIH", head)
    msg = ctypes.string_at(wparam + 10, length)  # copy now
    sender = msg[0]
    body_length, signal = struct.unpack_from("<HH", msg, 12)
    body = msg[16:16 + body_length]
    print(f"forwarded: message {message} kind {chr(kind)} sender {sender} "
          f"signal 0x{signal:04X} body {body.hex()}", flush=True)


if WINDOWS:
    from ctypes import wintypes

    user32 = ctypes.WinDLL("user32", use_last_error=True)
    kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)
    LRESULT = ctypes.c_ssize_t
    WNDPROC = ctypes.WINFUNCTYPE(LRESULT, wintypes.HWND, wintypes.UINT, wintypes.WPARAM,
                                 wintypes.LPARAM)

    class WNDCLASSW(ctypes.Structure):
        _fields_ = [("style", wintypes.UINT), ("lpfnWndProc", WNDPROC),
                    ("cbClsExtra", ctypes.c_int), ("cbWndExtra", ctypes.c_int),
                    ("hInstance", wintypes.HINSTANCE), ("hIcon", wintypes.HICON),
                    ("hCursor", wintypes.HANDLE), ("hbrBackground", wintypes.HBRUSH),
                    ("lpszMenuName", wintypes.LPCWSTR), ("lpszClassName", wintypes.LPCWSTR)]

    user32.DefWindowProcW.argtypes = [wintypes.HWND, wintypes.UINT, wintypes.WPARAM,
                                      wintypes.LPARAM]
    user32.DefWindowProcW.restype = LRESULT
    user32.RegisterClassW.argtypes = [ctypes.POINTER(WNDCLASSW)]
    user32.CreateWindowExW.argtypes = [wintypes.DWORD, wintypes.LPCWSTR, wintypes.LPCWSTR,
                                       wintypes.DWORD, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_int, wintypes.HWND, wintypes.HMENU,
                                       wintypes.HINSTANCE, wintypes.LPVOID]
    user32.CreateWindowExW.restype = wintypes.HWND
    user32.PeekMessageW.argtypes = [ctypes.POINTER(wintypes.MSG), wintypes.HWND, wintypes.UINT,
                                    wintypes.UINT, wintypes.UINT]
    user32.DispatchMessageW.argtypes = [ctypes.POINTER(wintypes.MSG)]
    kernel32.GetModuleHandleW.restype = wintypes.HMODULE
    HWND_MESSAGE = wintypes.HWND(-3)
    PM_REMOVE = 1

    @WNDPROC
    def window_procedure(hwnd, message, wparam, lparam):
        """Runs on this thread, when handle_messages gets to the message."""
        if message == FORWARDED:
            show_record(message, wparam)
            return 0
        return user32.DefWindowProcW(hwnd, message, wparam, lparam)

    def make_sink():
        """A message-only window: a queue and a procedure, no display."""
        window_class = WNDCLASSW(lpfnWndProc=window_procedure,
                                 hInstance=kernel32.GetModuleHandleW(None),
                                 lpszClassName="HandlinkExample")
        user32.RegisterClassW(ctypes.byref(window_class))
        return user32.CreateWindowExW(0, "HandlinkExample", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      None, window_class.hInstance, None)

    def handle_messages(seconds):
        """The window's message loop, for a while."""
        end = time.monotonic() + seconds
        msg = wintypes.MSG()
        while True:
            while user32.PeekMessageW(ctypes.byref(msg), None, 0, 0, PM_REMOVE):
                user32.DispatchMessageW(ctypes.byref(msg))
            if time.monotonic() >= end:
                return
            time.sleep(0.01)
else:
    class HlWindow(ctypes.Structure):
        pass

    # void (*post)(HlWindow *self, uint32_t message, uintptr_t wparam, intptr_t lparam)
    POST = ctypes.CFUNCTYPE(None, ctypes.POINTER(HlWindow), ctypes.c_uint32, ctypes.c_size_t,
                            ctypes.c_ssize_t)
    HlWindow._fields_ = [("post", POST)]

    @POST
    def on_message(window, message, wparam, lparam):
        """Runs on the library's device worker thread; the record is valid only during the call."""
        show_record(message, wparam)

    _sink = HlWindow(on_message)

    def make_sink():
        return ctypes.byref(_sink)

    def handle_messages(seconds):
        """The library calls the sink as messages come; only wait."""
        time.sleep(seconds)


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
    # The functions are __cdecl on Windows too, so CDLL there as well.
    lib = ctypes.CDLL(args[0])
    port = int(args[1])

    lib.OpenComm.argtypes = [ctypes.c_uint32, ctypes.c_uint32]
    lib.OpenComm.restype = ctypes.c_int32
    lib.SendSetup.restype = ctypes.c_int32
    lib.SetPortDevice.argtypes = [ctypes.c_uint32, ctypes.c_char_p]
    lib.SetMobileDataHandler.argtypes = [ctypes.c_void_p, ctypes.c_uint32]
    lib.GetLastOpenError.argtypes = [ctypes.c_char_p, ctypes.c_uint32]
    lib.GetLastOpenError.restype = ctypes.c_uint32
    request = lib.phiQntPowerStateReadReq
    request.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    request.restype = ctypes.c_int32

    if len(args) > 2:
        lib.SetPortDevice(port, args[2].encode())

    # The sink (and its callback) stays alive for as long as it is registered.
    lib.SetMobileDataHandler(make_sink(), FORWARDED)

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
            handle_messages(listen)  # messages the handset sends meanwhile are shown
    lib.CloseComm()
    lib.SetMobileDataHandler(None, 0)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
