/*
 * handlink_example: the smallest complete use of libhandlink.so.
 *
 * Loads the library with dlopen, opens a COM port, sets the handset up, asks the handset's test
 * task for its power state (phiQntPowerStateReadReq, one request of the family) and closes the
 * port. Every status code is explained where it can occur.
 *
 *   handlink_example LIBRARY COM-NUMBER [DEVICE]
 *
 *   LIBRARY     path of libhandlink.so
 *   COM-NUMBER  the port number the library is asked to open (1, 2, ...)
 *   DEVICE      optional device path for that number, e.g. /dev/ttyUSB0; without it the library
 *               uses $HANDLINK_COM<n>, else /dev/ttyS<n-1>
 *
 * Exit status 0 when the handset confirmed the request, 1 otherwise.
 * Set HANDLINK_TRACE=/tmp/trace.txt to see every frame on the line.
 */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "handlink.h"

typedef int32_t (*OpenCommFn)(uint32_t port, uint32_t baud);
typedef void (*CloseCommFn)(void);
typedef int32_t (*SendSetupFn)(void);
typedef void (*SetPortDeviceFn)(uint32_t port, const char *device);
typedef uint32_t (*GetTextFn)(char *buf, uint32_t size);
typedef int32_t (*RequestFn)(uint8_t *body, uint8_t *reply);

/* Looks an export up by name, as the program does at every call. */
static void *resolve(void *library, const char *name) {
    void *symbol = dlsym(library, name);
    if (symbol == NULL) {
        fprintf(stderr, "export %s missing: %s\n", name, dlerror());
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
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 1;
    }
    const uint32_t port = (uint32_t)strtoul(argv[2], NULL, 10);

    if (argc > 3) {
        ((SetPortDeviceFn)resolve(library, "SetPortDevice"))(port, argv[3]);
    }

    char revision[16];
    ((GetTextFn)resolve(library, "GetInterfaceDllRev"))(revision, sizeof revision);
    printf("interface revision %s\n", revision);

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

    /* Always close: the worker runs after a failed open too. */
    ((CloseCommFn)resolve(library, "CloseComm"))();
    dlclose(library);
    return ok ? 0 : 1;
}
