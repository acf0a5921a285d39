/*
 * handlink_example: the smallest complete use of the device link library (libhandlink.so, or
 * handlink.dll on Windows).
 *
 * Loads the library by path (dlopen, LoadLibraryA), registers where the handset's own messages
 * go (a message sink; on Windows a message-only window), opens a COM port, sets the handset up,
 * asks the handset's test task for its power state (phiQntPowerStateReadReq, one request of the
 * family), shows what the handset sent meanwhile and closes the port. Every status code is
 * explained where it can occur.
 *
 *   handlink_example LIBRARY COM-NUMBER [DEVICE]
 *
 *   LIBRARY     path of libhandlink.so (handlink.dll)
 *   COM-NUMBER  the port number the library is asked to open (1, 2, ...)
 *   DEVICE      optional device for that number, e.g. /dev/ttyUSB0 (\\.\COM12); without it the
 *               library uses $HANDLINK_COM<n>, else /dev/ttyS<n-1> (\\.\COM<n>)
 *
 * Exit status 0 when the handset confirmed the request, 1 otherwise.
 * Set HANDLINK_TRACE=/tmp/trace.txt to see every frame on the line.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "handlink.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

/* The message id the handset's own messages come with; any number the window does not use. */
#define FORWARDED_MESSAGE 3026

typedef int32_t(HL_CALL *OpenCommFn)(uint32_t port, uint32_t baud);
typedef void(HL_CALL *CloseCommFn)(void);
typedef int32_t(HL_CALL *SendSetupFn)(void);
typedef void(HL_CALL *SetPortDeviceFn)(uint32_t port, const char *device);
typedef void(HL_CALL *SetMobileDataHandlerFn)(HlWindowHandle window, uint32_t message);
typedef uint32_t(HL_CALL *GetTextFn)(char *buf, uint32_t size);
typedef int32_t(HL_CALL *RequestFn)(uint8_t *body, uint8_t *reply);

/* Prints one record the library forwarded: its kind, sender, signal and body length. */
static void show_forwarded(uint32_t message, const uint8_t *record) {
    const uint32_t kind = record[4];
    const unsigned length = (unsigned)(record[8] | record[9] << 8);
    const uint8_t *m = record + 10;
    if (length < 16) {
        return; /* not a long-header message (the line-lost notice has none) */
    }
    printf("forwarded: message %u kind %c sender %u signal 0x%04X body %u bytes\n",
           (unsigned)message, (char)kind, (unsigned)m[0], (unsigned)(m[14] | m[15] << 8),
           (unsigned)(m[12] | m[13] << 8));
    fflush(stdout);
}

#if defined(_WIN32)
typedef HMODULE Library;

static Library load_library(const char *path) {
    return LoadLibraryA(path);
}
static void *find_export(Library library, const char *name) {
    return (void *)GetProcAddress(library, name);
}
static void unload_library(Library library) {
    FreeLibrary(library);
}
static const char *load_error(void) {
    static char text[32];
    snprintf(text, sizeof text, "error %lu", (unsigned long)GetLastError());
    return text;
}

/* The window's procedure runs on the thread that made the window, when its loop gets to the
 * message: the record at wParam is read (copied) then. */
static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == FORWARDED_MESSAGE) {
        show_forwarded(message, (const uint8_t *)wparam);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

/* A message-only window: it has a queue and a procedure, no display. */
static HlWindowHandle make_sink(void) {
    WNDCLASSA type = {0};
    type.lpfnWndProc = window_procedure;
    type.hInstance = GetModuleHandleA(NULL);
    type.lpszClassName = "HandlinkExampleSink";
    RegisterClassA(&type);
    return CreateWindowExA(0, type.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                           type.hInstance, NULL);
}

/* Handles what has been posted to the window so far. */
static void handle_messages(void) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
#else
typedef void *Library;

static Library load_library(const char *path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
static void *find_export(Library library, const char *name) {
    return dlsym(library, name);
}
static void unload_library(Library library) {
    dlclose(library);
}
static const char *load_error(void) {
    const char *text = dlerror();
    return text != NULL ? text : "unknown error";
}

/* Called on the library's device worker thread; the record is valid only during the call. */
static void post_to_sink(HlWindow *self, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    (void)self;
    (void)lparam;
    show_forwarded(message, (const uint8_t *)wparam);
}

static HlWindow sink = {post_to_sink};

static HlWindowHandle make_sink(void) {
    return &sink;
}

/* The sink was called as the messages came. */
static void handle_messages(void) {}
#endif

/* Looks an export up by name, as the program does at every call. */
static void *resolve(Library library, const char *name) {
    void *symbol = find_export(library, name);
    if (symbol == NULL) {
        fprintf(stderr, "export %s missing\n", name);
        exit(1);
    }
    return symbol;
}

static const char *open_status_text(int32_t status) {
    switch (status) {
        case HL_OPEN_OK:
            return "port open";
        case HL_OPEN_NO_WORKER:
            return "the library could not start its device worker thread";
        case HL_OPEN_BAD_PORT:
            return "port number below 1";
        case HL_OPEN_BAD_BAUD:
            return "baud rate not supported";
        case HL_OPEN_FAILED:
            return "the open step failed unexpectedly";
        case HL_OPEN_DEVICE_ERROR:
            return "the device could not be opened or configured";
        default:
            return "unknown status";
    }
}

static const char *setup_status_text(int32_t status) {
    switch (status) {
        case HL_SETUP_OK:
            return "handset set up";
        case HL_SETUP_FILTER_FAILED:
            return "the filter signal was not acknowledged (no handset answering? no worker?)";
        case HL_SETUP_COMMAND_FAILED:
            return "the setup command was not acknowledged";
        default:
            return "unknown status";
    }
}

/* A request's result is either a small status or the confirmation's signal id and length. */
static void explain_request(int32_t result) {
    if (result == 0) {
        printf("request: sent (this request awaits no confirmation)\n");
    } else if (result == HL_TIMEOUT) {
        printf("request: no confirmation within the timeout (handset silent or frame lost)\n");
    } else if (result == HL_NO_WORKER) {
        printf("request: no device worker runs; call OpenComm first\n");
    } else if (result == HL_BODY_TOO_LONG) {
        printf("request: the body length read from the body is too large; nothing sent\n");
    } else if (result == HL_NULL_BUFFER) {
        printf("request: body or reply buffer missing\n");
    } else {
        printf("request: confirmed by signal 0x%04X with %u body bytes\n",
               (unsigned)((uint32_t)result >> 16), (unsigned)(result & 0xFFFF));
    }
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s LIBRARY COM-NUMBER [DEVICE]\n", argv[0]);
        return 2;
    }
    Library library = load_library(argv[1]);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], load_error());
        return 1;
    }
    const uint32_t port = (uint32_t)strtoul(argv[2], NULL, 10);

    if (argc > 3) {
        ((SetPortDeviceFn)resolve(library, "SetPortDevice"))(port, argv[3]);
    }

    char revision[16];
    ((GetTextFn)resolve(library, "GetInterfaceDllRev"))(revision, sizeof revision);
    printf("interface revision %s\n", revision);

    SetMobileDataHandlerFn set_handler =
        (SetMobileDataHandlerFn)resolve(library, "SetMobileDataHandler");
    set_handler(make_sink(), FORWARDED_MESSAGE);

    /* Close first: harmless when nothing is open, and it ends a worker left by a failed open. */
    ((CloseCommFn)resolve(library, "CloseComm"))();

    const int32_t opened = ((OpenCommFn)resolve(library, "OpenComm"))(port, 115200);
    printf("OpenComm: %d, %s\n", opened, open_status_text(opened));
    if (opened == HL_OPEN_DEVICE_ERROR) {
        char why[256];
        ((GetTextFn)resolve(library, "GetLastOpenError"))(why, sizeof why);
        printf("  reason: %s\n", why);
    }
    int ok = 0;
    if (opened == HL_OPEN_OK) {
        const int32_t setup = ((SendSetupFn)resolve(library, "SendSetup"))();
        printf("SendSetup: %d, %s\n", setup, setup_status_text(setup));
        if (setup == HL_SETUP_OK) {
            /* Bodies are sent as they are; reply buffers of HL_MAX_REPLY_BYTES are never overrun.
             */
            uint8_t body[1] = {0};
            static uint8_t reply[HL_MAX_REPLY_BYTES];
            const int32_t result =
                ((RequestFn)resolve(library, "phiQntPowerStateReadReq"))(body, reply);
            explain_request(result);
            if (result > HL_NULL_BUFFER) {
                printf("power state byte: %u\n", (unsigned)reply[0]);
                ok = 1;
            }
        }
    }
    fflush(stdout);

    /* Always close: the worker runs after a failed open too. Then the messages still queued. */
    ((CloseCommFn)resolve(library, "CloseComm"))();
    handle_messages();
    set_handler(NULL, 0);
    unload_library(library);
    return ok ? 0 : 1;
}
