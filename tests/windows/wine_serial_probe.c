/*
 * wine_serial_probe: the small reproduction of how Wine's serial emulation treats the calls a
 * Windows serial reader might wait with, on a COM port that Wine leads to a pseudo-terminal.
 * Not a test (its findings are Wine's, and may change with it): run by hand, see docs/windows.md.
 *
 *   wine_serial_probe COM-NUMBER
 *
 * The other end of the pseudo-terminal must send a byte now and then. For each way of waiting it
 * prints when the wait ended and with how many bytes:
 *   1. WaitCommEvent(EV_RXCHAR), overlapped, with the input queue emptied before each wait
 *      (on Windows: when the next byte arrives);
 *   2. ReadFile with ReadIntervalTimeout = ReadTotalTimeoutMultiplier = MAXDWORD and a constant
 *      of 40 ms (on Windows: up to 40 ms for the first byte), overlapped;
 *   3. ReadFile with ReadIntervalTimeout = MAXDWORD and the rest 0 (on Windows: at once, with
 *      what is queued), overlapped;
 *   4. ReadFile of one byte with all time-outs 0 (on Windows: when the byte is there), overlapped;
 *      the way the library reads;
 *   5. EscapeCommFunction(CLRDTR).
 */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#define ROUNDS 4
#define WAIT_MS 500

static DWORD start;

static HANDLE open_port(unsigned port, COMMTIMEOUTS timeouts) {
    char name[32];
    snprintf(name, sizeof name, "\\\\.\\COM%u", port);
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        printf("cannot open %s: error %lu\n", name, GetLastError());
        exit(1);
    }
    DCB line = {0};
    line.DCBlength = sizeof line;
    GetCommState(h, &line);
    line.BaudRate = 115200;
    line.fBinary = TRUE;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    SetCommState(h, &line);
    SetCommTimeouts(h, &timeouts);
    return h;
}

/* Waits for an overlapped operation up to WAIT_MS; cancels it when it is not done by then. */
static void finish(HANDLE h, OVERLAPPED *o, const char *what) {
    DWORD got = 0;
    if (WaitForSingleObject(o->hEvent, WAIT_MS) == WAIT_OBJECT_0) {
        GetOverlappedResult(h, o, &got, FALSE);
        printf("  %5lu ms: %s done", GetTickCount() - start, what);
    } else {
        CancelIo(h);
        GetOverlappedResult(h, o, &got, TRUE);
        printf("  %5lu ms: %s not done in %d ms; cancelled", GetTickCount() - start, what, WAIT_MS);
    }
}

static void reads(unsigned port, const char *title, COMMTIMEOUTS timeouts, DWORD size) {
    printf("%s\n", title);
    HANDLE h = open_port(port, timeouts);
    OVERLAPPED o = {0};
    o.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    char buffer[64];
    start = GetTickCount();
    for (int i = 0; i < ROUNDS; ++i) {
        ResetEvent(o.hEvent);
        if (!ReadFile(h, buffer, size, NULL, &o) && GetLastError() != ERROR_IO_PENDING) {
            printf("  ReadFile failed: error %lu\n", GetLastError());
            break;
        }
        finish(h, &o, "read");
        DWORD got = 0;
        GetOverlappedResult(h, &o, &got, FALSE);
        printf(", %lu bytes\n", got);
    }
    CloseHandle(o.hEvent);
    CloseHandle(h);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s COM-NUMBER\n", argv[0]);
        return 2;
    }
    const unsigned port = (unsigned)strtoul(argv[1], NULL, 10);
    const COMMTIMEOUTS none = {0, 0, 0, 0, 0};

    printf("1. WaitCommEvent(EV_RXCHAR), the queue emptied before each\n");
    HANDLE h = open_port(port, none);
    SetCommMask(h, EV_RXCHAR);
    OVERLAPPED o = {0};
    o.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    start = GetTickCount();
    for (int i = 0; i < ROUNDS; ++i) {
        DWORD mask = 0;
        PurgeComm(h, PURGE_RXCLEAR);
        ResetEvent(o.hEvent);
        if (!WaitCommEvent(h, &mask, &o) && GetLastError() != ERROR_IO_PENDING) {
            printf("  WaitCommEvent failed: error %lu\n", GetLastError());
            break;
        }
        finish(h, &o, "wait");
        printf(", event mask 0x%lx\n", mask);
    }
    CloseHandle(o.hEvent);
    CloseHandle(h);

    const COMMTIMEOUTS first_byte = {MAXDWORD, MAXDWORD, 40, 0, 0};
    const COMMTIMEOUTS at_once = {MAXDWORD, 0, 0, 0, 0};
    reads(port, "2. ReadFile, time-outs MAXDWORD, MAXDWORD, 40", first_byte, 64);
    reads(port, "3. ReadFile, time-outs MAXDWORD, 0, 0", at_once, 64);
    reads(port, "4. ReadFile of 1 byte, time-outs 0, 0, 0", none, 1);

    h = open_port(port, none);
    const BOOL dropped = EscapeCommFunction(h, CLRDTR);
    printf("5. EscapeCommFunction(CLRDTR): %s (error %lu)\n", dropped ? "done" : "failed",
           dropped ? 0 : GetLastError());
    CloseHandle(h);
    return 0;
}
