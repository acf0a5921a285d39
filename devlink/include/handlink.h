/* clang-format off: the tables below are aligned by hand and reflowing them runs them together. */
/*
 * handlink.h: the device link library (libhandlink.so; handlink.dll on Windows), the PC side of
 * the serial link to a GSM handset.
 *
 * The library owns one serial port, one frame link over it, one device worker thread and one set
 * of task/signal name tables, and serves one handset at a time. Programs load it with dlopen()
 * and resolve each function with dlsym() (LoadLibraryA and GetProcAddress on Windows); it can
 * also be linked directly (pkg-config handlink; the import library handlink.lib on Windows).
 * The interface is plain C with fixed-width types, usable from C, C++ and Python's ctypes.
 * On Windows the functions are __cdecl and exported under their plain names.
 *
 * Calling order
 *   SetMobileDataHandler(window, message)   optional: where handset-initiated messages go
 *   CloseComm()                             harmless when nothing is open
 *   OpenComm(port, 115200)                  starts the device worker and opens the port
 *   SendSetup()                             builds the name tables, tells the handset what to
 *                                           report
 *   phi...(body, reply)                     any number of requests
 *   CloseComm()                             closes the port and ends the worker
 *
 * Timing: OpenComm takes about 0.5 s and CloseComm about 0.7 s (settle times the handset needs);
 * SendSetup sleeps 0.5 s before it talks to the handset.
 *
 * Threads: the library runs two threads of its own while a port is open: the device worker,
 * which performs every open, send and close and collects received messages, and the serial
 * reader. Exports may be called from any thread, but are meant to be called from one thread at
 * a time (the program calls them from its window thread); requests made from two threads at
 * once are handed to the worker one after the other. The message sink (HlWindow) is called on
 * the device worker thread; it must not call OpenComm, CloseComm, SendSetup, VchargeControl or
 * any phi... request (those return HL_NO_WORKER / 3 / 0 there instead of deadlocking). On
 * Windows the sink is a window whose own thread handles the posted message, and may call any
 * export from its window procedure, as the program does.
 *
 * Status codes
 *   OpenComm:   0 open, 10 worker thread not started, 11 port number below 1, 12 baud rate not
 *               allowed, 13 the open step failed unexpectedly, 14 the device could not be opened
 *               or configured, or another device is open (GetLastOpenError tells why).
 *   SendSetup:  0 done, 3 the filter signal could not be sent (also: no worker running),
 *               4 the setup command could not be sent.
 *   phi...:     0            sent; the request awaits no confirmation (the send's own status is
 *                            not reported: a member without confirmation cannot report failure)
 *               9            HL_TIMEOUT: no confirmation arrived within the timeout
 *               HL_NO_WORKER (20): no device worker runs (no OpenComm, or after CloseComm), or
 *                            the request was made from inside the message sink: nothing sent;
 *                            also when another thread's CloseComm ends the worker while the
 *                            request waits for its confirmation
 *               HL_BODY_TOO_LONG (21): the body length computed from the caller's body exceeds
 *                            HL_MAX_REQUEST_BODY; nothing sent
 *               HL_NULL_BUFFER (22): body is NULL, or reply is NULL for a request that awaits a
 *                            confirmation; nothing sent
 *               otherwise    confirmation signal id * 65536 + number of body bytes copied to
 *                            reply (always >= 0x01000000, so never equal to the codes above).
 *               A request whose frame failed on the line returns 9 like any other that got no
 *               confirmation; GetLastRequestError then says why, for the calling thread: 13 link
 *               not open, 17 no ACK, 19 NAK, 23 the line was lost (0 when the handset stayed
 *               silent). A confirmation that arrives although the last frame's ACK was lost is
 *               still returned as a confirmation; a request whose earlier frame failed (the rest
 *               never sent) is never confirmed, whatever arrives while it waits.
 */
/* clang-format on */
#ifndef HANDLINK_H
#define HANDLINK_H

#include <stdint.h>

#if defined(_WIN32)
/* The window that SetMobileDataHandler takes. */
#include <windows.h>
#endif

/* HL_EXPORT marks the library's functions; HL_CALL is their calling convention, __cdecl on
 * Windows (it matters for 32-bit callers: the names in the DLL are the plain ones, and the caller
 * removes the arguments), the platform's own elsewhere. */
#if defined(_WIN32)
#if defined(HANDLINK_BUILDING)
#define HL_EXPORT __declspec(dllexport)
#else
#define HL_EXPORT __declspec(dllimport)
#endif
#define HL_CALL __cdecl
#else
#if defined(HANDLINK_BUILDING)
#define HL_EXPORT __attribute__((visibility("default")))
#else
#define HL_EXPORT
#endif
#define HL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- constants --------------------------------------------------------------------------- */

/* The largest confirmation body the library ever copies into a reply buffer: one receive-ring
 * slot (10018 message bytes) less the 16-byte long header. A reply buffer of this size can never
 * be overrun, whatever the handset sends. */
#define HL_MAX_REPLY_BYTES 10002

/* The largest request body: the request record holds 16386 body bytes. */
#define HL_MAX_REQUEST_BODY 16386

/* The record a forwarded message points at: a 10-byte head and room for 16401 message bytes. */
#define HL_FORWARDED_RECORD_BYTES 16411

#define HL_TIMEOUT 9
#define HL_NO_WORKER 20
#define HL_BODY_TOO_LONG 21
#define HL_NULL_BUFFER 22

/* OpenComm results. */
#define HL_OPEN_OK 0
#define HL_OPEN_NO_WORKER 10
#define HL_OPEN_BAD_PORT 11
#define HL_OPEN_BAD_BAUD 12
#define HL_OPEN_FAILED 13
#define HL_OPEN_DEVICE_ERROR 14

/* SendSetup results. */
#define HL_SETUP_OK 0
#define HL_SETUP_FILTER_FAILED 3
#define HL_SETUP_COMMAND_FAILED 4

/* The same status codes as one documented type, for callers that want a name to switch on or
 * show in a debugger. The functions keep returning int32_t (the values above are what the
 * interface promises); the #defines stay for C callers and for preprocessor tests. Several
 * functions share small numbers (0 means success for each of them), so read a code together
 * with the function that returned it. */
enum hl_status {
    /* Every function: success; for a request without confirmation, "sent". */
    HL_STATUS_OK = 0,
    /* SendSetup: the filter signal could not be sent, or no worker runs. */
    HL_STATUS_SETUP_FILTER_FAILED = HL_SETUP_FILTER_FAILED,
    /* SendSetup: the setup command could not be sent. */
    HL_STATUS_SETUP_COMMAND_FAILED = HL_SETUP_COMMAND_FAILED,
    /* Requests: no confirmation arrived within the timeout (or the line was lost). */
    HL_STATUS_TIMEOUT = HL_TIMEOUT,
    /* OpenComm: the device worker thread could not be started. */
    HL_STATUS_OPEN_NO_WORKER = HL_OPEN_NO_WORKER,
    /* OpenComm: port number below 1. */
    HL_STATUS_OPEN_BAD_PORT = HL_OPEN_BAD_PORT,
    /* OpenComm: baud rate not in the allowed list. */
    HL_STATUS_OPEN_BAD_BAUD = HL_OPEN_BAD_BAUD,
    /* OpenComm: the open step failed unexpectedly. */
    HL_STATUS_OPEN_FAILED = HL_OPEN_FAILED,
    /* GetLastRequestError: the request's frame found the link not open. Same number as
     * HL_OPEN_FAILED; which one is meant follows from the function. */
    HL_STATUS_LINK_NOT_OPEN = 13,
    /* OpenComm: the device could not be opened or configured, or another device is open
     * (GetLastOpenError tells why). */
    HL_STATUS_OPEN_DEVICE_ERROR = HL_OPEN_DEVICE_ERROR,
    /* GetLastRequestError: the handset never acknowledged the request's frame. */
    HL_STATUS_LINK_NO_ACK = 17,
    /* GetLastRequestError: the handset refused the request's frame (NAK). */
    HL_STATUS_LINK_NAK = 19,
    /* GetLastRequestError: the line was lost (the device hung up or vanished: a cable or
     * adapter pulled out) before the request was answered. */
    HL_STATUS_LINE_LOST = 23,
    /* Requests: no device worker runs, or the call came from inside the message sink. */
    HL_STATUS_NO_WORKER = HL_NO_WORKER,
    /* Requests: the body length exceeds HL_MAX_REQUEST_BODY; nothing sent. */
    HL_STATUS_BODY_TOO_LONG = HL_BODY_TOO_LONG,
    /* Requests: body (or a needed reply buffer) is NULL; nothing sent. */
    HL_STATUS_NULL_BUFFER = HL_NULL_BUFFER,
    /* Requests: any result at or above this is a confirmation, signal id * 65536 + bytes
     * copied, never one of the codes above. */
    HL_STATUS_CONFIRMATION_MIN = 0x01000000
};

/* ---- the message sink -------------------------------------------------------------------- */

/* Where handset-initiated messages go. The host embeds this struct (usually as the first member
 * of its own) and passes its address to SetMobileDataHandler. The library calls post on its
 * device worker thread with the registered message id, wparam = address of a copy of the received
 * record, lparam = 0. The record (HL_FORWARDED_RECORD_BYTES bytes may be read; the head says how
 * many are the message) stays valid only until post returns: copy what you need inside post.
 *
 * Record layout (little-endian): uint32 reserved, uint32 kind ('S' 0x53 signal form, '2' 0x32
 * long-header form), uint16 message length, then the message. Long-header message: byte 0 sender
 * task, uint16 body length at offset 12, uint16 signal id at offset 14, body from offset 16. */
/* When the line is lost while open (the device hung up, failed, or its node vanished: a cable or
 * adapter pulled out), post is called once, on the device worker thread, with lparam =
 * HL_LINE_LOST and wparam = the address of a record of kind HL_LINE_LOST_KIND ('L') and message
 * length 0; requests then fail at once (9) instead of waiting for their timeout. CloseComm and a
 * new OpenComm bring the link back when the device is there again. A host that ignores records
 * too short to hold a message needs no change. */
#define HL_LINE_LOST 1
#define HL_LINE_LOST_KIND 0x4C

#if defined(_WIN32)
/* On Windows the sink is a window: the library posts the message with PostMessageA(window,
 * message, (WPARAM)record, lparam) from its device worker thread, and the window's own thread
 * handles it in its message loop, later. So the record stays valid until HL_POSTED_RECORDS more
 * messages have been posted after it, not only until a call returns; copy it when the message is
 * handled. A message-only window (parent HWND_MESSAGE) does, and needs no display. */
#define HL_POSTED_RECORDS 16
typedef HWND HlWindowHandle;
#else
typedef struct HlWindow {
    void (*post)(struct HlWindow *self, uint32_t message, uintptr_t wparam, intptr_t lparam);
} HlWindow;
typedef HlWindow *HlWindowHandle;
#endif

/* ---- link control ------------------------------------------------------------------------ */

/* Starts the device worker (if it is not running) and opens COM port `port` (one-based) at `baud`
 * (4800, 9600, 19200, 28800, 38400, 57600, 115200 or 230400). COM n means the device set with
 * SetPortDevice(n, ...), else the one named by the environment variable HANDLINK_COM<n>, else
 * /dev/ttyS<n-1> (on Windows \\.\COM<n>). On success the exchange timeout is reset to 2000 ms.
 * After a failed open the worker keeps running, so call CloseComm before trying again.
 * A second OpenComm while the link is open: when `port` names the device that is open (the same
 * port, or another port mapped to the same device path), the link stays open and 0 is returned;
 * when it names any other device, nothing changes (the open link stays on its device) and 14
 * (HL_OPEN_DEVICE_ERROR) is returned, GetLastOpenError saying which device is open; call
 * CloseComm, then OpenComm, to switch. Results: HL_OPEN_* above. Takes about 0.5 s. */
HL_EXPORT int32_t HL_CALL OpenComm(uint32_t port, uint32_t baud);

/* Closes the port, ends the device worker and sleeps 500 ms. Safe at any time, also before any
 * OpenComm (then it only sleeps). Must not be called from the message sink. */
HL_EXPORT void HL_CALL CloseComm(void);

/* Registers the message sink (on Windows the window) and message id for handset-initiated
 * messages (a long-header SIG_DOWNLOAD_DATA_IND or SIG_DLW_REMOTE_CMD_IND from QNDLW_TASK_ID or
 * TASK_FL_ID). NULL stops forwarding. Takes effect with the next received message; when it returns,
 * no call of the previous sink is in progress, so the host may then destroy it. Because it waits
 * for such a call, do not call it while holding a lock that the sink's post takes. */
HL_EXPORT void HL_CALL SetMobileDataHandler(HlWindowHandle window, uint32_t message);

/* Builds the task and signal name tables from the built-in data (until then every name resolves
 * to 0), sleeps 500 ms, sends the handset the filter matrix of the signals it should report and
 * the setup command. Results: HL_SETUP_* above. Requires a running worker (OpenComm). */
HL_EXPORT int32_t HL_CALL SendSetup(void);

/* Records a mode byte (nothing depends on it) and returns it. */
HL_EXPORT uint8_t HL_CALL SetDllMode(uint8_t mode);

/* Sets how long a request waits for its confirmation, in milliseconds, until the next successful
 * OpenComm (which sets 2000). Each unrelated message that arrives restarts the wait, but a
 * request never waits longer than 8 timeouts in all (16 s at 2000 ms). Returns ms. */
HL_EXPORT uint32_t HL_CALL SetTimeoutMs(uint32_t ms);

/* Records the path of an interface description file. The library reads no such file; the
 * built-in tables are always used. NULL clears it. */
HL_EXPORT void HL_CALL UseInterfaceDescFile(const char *path);

/* Posts a charge-control request to the worker. Returns 1, or 0 when no worker runs. */
HL_EXPORT uint8_t HL_CALL VchargeControl(uint32_t value);

/* Revision texts: "3.0", "" and "". Each writes its text NUL-terminated into buf (at most
 * size - 1 characters; nothing when buf is NULL or size is 0) and returns the length of the full
 * text, so a return >= size means it was cut short. */
HL_EXPORT uint32_t HL_CALL GetInterfaceDllRev(char *buf, uint32_t size);
HL_EXPORT uint32_t HL_CALL GetEmmiCommDllRev(char *buf, uint32_t size);
HL_EXPORT uint32_t HL_CALL GetL1CommDllRev(char *buf, uint32_t size);

/* Maps COM port `port` to a device path such as "/dev/ttyUSB0" (on Windows a device name such as
 * "\\.\COM12"); NULL or "" removes the mapping.
 * Used by the next OpenComm. Safe from any thread. */
HL_EXPORT void HL_CALL SetPortDevice(uint32_t port, const char *device);

/* Why the last OpenComm returned 14, e.g. "permission denied on /dev/ttyUSB0 (...)": the error
 * text and the device path, or "COM6 is /dev/ttyS5, but /dev/ttyS4 is open: call CloseComm
 * first". Written like the revision texts (NUL-terminated, cut to size);
 * returns the full length, 0 (empty text) when the last open did not fail. */
HL_EXPORT uint32_t HL_CALL GetLastOpenError(char *buf, uint32_t size);

/* Why the last request made on the calling thread got no confirmation, when the line rather than
 * the handset was at fault: HL_STATUS_LINK_NOT_OPEN (13), HL_STATUS_LINK_NO_ACK (17),
 * HL_STATUS_LINK_NAK (19) or HL_STATUS_LINE_LOST (23); 0 when it was confirmed, when its frame
 * went through and the handset stayed silent, and before any request. Every request (phi...)
 * sets it, also one that awaits no confirmation (whose result stays 0). Per thread: another
 * thread's requests never change what this one reads. */
HL_EXPORT int32_t HL_CALL GetLastRequestError(void);

/* Protocol trace: every frame, ACK and NAK in both directions and every complete record, one line
 * each, with a millisecond timestamp, the direction (PC>HS, HS>PC), the bytes in hex and, for
 * records, the task and signal names:
 *   2026-12-09 09:12:03.123 PC>HS FRAME 02 09 D5 FF 00 05 02 03 00 00 00 25 03
 *   2026-12-09 09:12:03.130 HS>PC ACK
 *   2026-12-09 09:12:03.131 PC>HS RECORD S EMMI_LOW_PRI_TASK_ID(2) > QNDLW_TASK_ID(83)
 *       SIG_DOWNLOAD_DATA_IND(0x7901) body 520                                   (one line)
 * Lines are appended to the file at `path` (created if missing) and flushed one by one. NULL or
 * "" stops tracing. The environment variable HANDLINK_TRACE, when set, names a file traced from
 * the library's first use. Only a regular file is traced to: a named pipe, socket or device is
 * refused (EINVAL) without waiting, and in a folder open to all with the sticky bit (as /tmp) a
 * link of another user than the caller or the folder's owner is not followed, nor any link to a
 * file that does not exist (EACCES). Returns 0, or the errno of a file that cannot be opened
 * (tracing is then off). Safe from any thread. */
HL_EXPORT int32_t HL_CALL SetTraceFile(const char *path);

/* ---- requests ------------------------------------------------------------------------------ */

/* Every request has the form  int32_t f(uint8_t *body, uint8_t *reply):
 *   - it sends the body as a signal-form message (sender task, receiver task, signal listed
 *     below) through the device worker, first discarding messages that arrived before it;
 *   - the body length is fixed by the request (the caller's buffer must hold at least that many
 *     bytes), or, where noted, computed as a uint16 (little-endian) read from the caller's body
 *     plus a constant;
 *   - requests without confirmation return 0 once the send has been handled;
 *   - the others wait up to the timeout (2000 ms, see SetTimeoutMs) for a message carrying the
 *     confirmation signal, in signal or long-header form; unrelated messages restart the wait
 *     (up to 8 timeouts in all);
 *     on a match its body (never more than the message holds, at most HL_MAX_REPLY_BYTES) is
 *     copied into reply and the result is confirmation id * 65536 + bytes copied; else 9.
 *   - blocking: up to about 0.4 s per frame for the handset's ACK, plus the timeout.
 * Pass reply buffers of HL_MAX_REPLY_BYTES. See the status codes at the top of this file.
 *
 * Task ids: TIMER 0, EMMI_LOW_PRI 2, L1_BG 5, L1_AL 8, SIM 20, TASK_FL 64, QNTEST 82, QNDLW 83. */

/* Download service (EMMI_LOW_PRI_TASK_ID -> QNDLW_TASK_ID). */
/* SIG_DOWNLOAD_DATA_IND 0x7901, awaits SIG_DOWNLOAD_ACK_RSP 0x7902; 520-byte packet. */
HL_EXPORT int32_t HL_CALL phiDownloadDataReq(uint8_t *body, uint8_t *reply);
/* SIG_DOWNLOAD_ACK_RSP 0x7902, awaits the next SIG_DOWNLOAD_DATA_IND 0x7901; 8 bytes. */
HL_EXPORT int32_t HL_CALL phiReceiveDataResp(uint8_t *body, uint8_t *reply);
/* SIG_DLW_REMOTE_CMD_RSP 0x7906, awaits SIG_DLW_REMOTE_CMD_IND 0x7905; 8 bytes. */
HL_EXPORT int32_t HL_CALL phiReceiveSMSResp(uint8_t *body, uint8_t *reply);
/* SIG_DLW_REMOTE_CMD_IND 0x7905, awaits SIG_DLW_REMOTE_CMD_RSP 0x7906; 376 bytes. */
HL_EXPORT int32_t HL_CALL phiQntDlwRemoteCmd(uint8_t *body, uint8_t *reply);

/* Radio calibration (L1_BG_TASK_ID -> L1_BG_TASK_ID unless noted); request -> confirmation,
 * body length. */
/* TIMER -> L1_BG: SIG_MPH_DEACTIVATE_REQ 0x0A0F -> _CNF 0x0A24, 1. */
HL_EXPORT int32_t HL_CALL phiMphDeactivateReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_REQ 0x1001 -> SIG_CDMG_CNF 0x1002, 4. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_FINISH_REQ 0x1003 -> _CNF 0x1004, 4. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmFinishReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_RSSI_REQ 0x1005 -> _CNF 0x1006, 8. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmRssiReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_FREQ_OFFSET_MEAS_REQ 0x1007 -> _CNF 0x1008, 8. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmFreqOffsetMeasReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_SET_POWER_RAMP_REQ 0x1009 -> _CNF 0x100A, 68. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmSetPowerRampReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_DC_OFFSET_REQ 0x100B -> _CNF 0x100C, 6. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmDcOffsetReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_GAIN_PROGRAM_REQ 0x100D -> _CNF 0x100E, 8. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmGainProgramReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_BURST_REQ 0x100F -> _CNF 0x1010, 24. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmBurstReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_SET_AFC_DAC_REQ 0x1011 -> _CNF 0x1012, 6. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmSetAfcDacReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_SET_BURST_DATA_REQ 0x1013 -> _CNF 0x1014, 24. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmSetBurstDataReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_RX_CONTROL_REQ 0x1015 -> _CNF 0x1016, 12. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmRxControlReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_RAMP_SCALE_REQ 0x1017 -> _CNF 0x1018, 6. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmRampScaleReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_SET_BAND_MODE_REQ 0x1019 -> _CNF 0x101A, 4. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmSetBandModeReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_SLOT_DEFINE_REQ 0x101F -> _CNF 0x1020, 28. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmSlotDefineReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_FRAME_DEFINE_REQ 0x1021 -> _CNF 0x1022, 28. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmFrameDefineReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_FRAME_TIMING_REQ 0x1023 -> _CNF 0x1024, 12. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmFrameTimingReq(uint8_t *body, uint8_t *reply);
/* SIG_CDMG_FRAME_USE_REQ 0x1025 -> _CNF 0x1026, 4. */
HL_EXPORT int32_t HL_CALL phiCalDevGsmFrameUseReq(uint8_t *body, uint8_t *reply);

/* Layer-1 non-volatile memory, clock, battery, analogue input (L1_BG_TASK_ID -> L1_AL_TASK_ID
 * unless noted). "u16@k + n" means the uint16 at body offset k plus n. */
/* SIG_L1AL_NVRAM_READ_REQ 0x1A09 -> _CNF 0x1A0A, u16@12 + 25. */
HL_EXPORT int32_t HL_CALL phiL1AlNvramReadReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_NVRAM_WRITE_REQ 0x1A0B -> _CNF 0x1A0C, u16@16 + 25. */
HL_EXPORT int32_t HL_CALL phiL1AlNvramWriteReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_NVRAM_ERASE_REQ 0x1A0D -> _CNF 0x1A0E, 1. */
HL_EXPORT int32_t HL_CALL phiL1AlNvramEraseReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_NVRAM_WRITE_CAL_REQ 0x1A0F -> _CNF 0x1A10, u16@8 + 18. */
HL_EXPORT int32_t HL_CALL phiL1AlNvramWriteCalReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_NVRAM_ERASE_CAL_REQ 0x1A11 -> _CNF 0x1A12, 1. */
HL_EXPORT int32_t HL_CALL phiL1AlNvramEraseCalReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_NVRAM_READ_CAL_REQ 0x1A13 -> _CNF 0x1A14, u16@8 + 18 (an 18-byte head and data). */
HL_EXPORT int32_t HL_CALL phiL1AlNvramReadCalReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_NVRAM_DELETE_REQ 0x1A1B -> _CNF 0x1A1C, 12. */
HL_EXPORT int32_t HL_CALL phiL1AlNvramDeleteReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_RTC_READ_REQ 0x1A1E -> _CNF 0x1A1F, 6. */
HL_EXPORT int32_t HL_CALL phiL1AlRtcReadReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_RTC_SET_REQ 0x1A20 -> _CNF 0x1A21, 20. */
HL_EXPORT int32_t HL_CALL phiL1AlRtcSetReq(uint8_t *body, uint8_t *reply);
/* L1_AL -> L1_AL: SIG_L1AL_AUX_ADC_READ_REQ 0x1A2F -> SIG_L1AL_AUX_ADC_IND 0x1A30, 3. */
HL_EXPORT int32_t HL_CALL phiL1AlAuxAdcReadReq(uint8_t *body, uint8_t *reply);
/* SIG_L1AL_BATT_VOLT_TEMP_REQ 0x1A67 -> _CNF 0x1A68, 5. */
HL_EXPORT int32_t HL_CALL phiL1AlBattVoltTempReq(uint8_t *body, uint8_t *reply);
/* L1_BG -> TASK_FL: SIG_L1AL_MMI_KEY_IND 0x1A01, no confirmation, 4. */
HL_EXPORT int32_t HL_CALL phiL1AlMmiKeyInd(uint8_t *body, uint8_t *reply);

/* Memory dump, SIM data, power and events. */
/* TIMER -> TIMER: SIG_KI_DUMP_MEM_REQ 0x0116 -> _CNF 0x0117, 8. Writes 2 (EMMI_LOW_PRI_TASK_ID,
 * where the dump is to be sent) into byte 6 of the caller's body before sending. */
HL_EXPORT int32_t HL_CALL phiKiDumpMemReq(uint8_t *body, uint8_t *reply);
/* L1_BG -> SIM: SIG_GMM_SIM_WRITE_DATA_REQ 0x0C03 -> _CNF 0x0C04, 56. */
HL_EXPORT int32_t HL_CALL phiGmmSimWriteDataReq(uint8_t *body, uint8_t *reply);
/* L1_BG -> SIM: SIG_GMM_SIM_READ_DATA_REQ 0x0C01 -> _CNF 0x0C02, 1. */
HL_EXPORT int32_t HL_CALL phiGmmSimReadDataReq(uint8_t *body, uint8_t *reply);
/* TASK_FL -> TASK_FL: SIG_POWER_UP_SIG 0x230D, no confirmation, 1. */
HL_EXPORT int32_t HL_CALL phiPowerUpSig(uint8_t *body, uint8_t *reply);
/* TASK_FL -> TASK_FL: SIG_POWER_DOWN_SIG 0x2305, no confirmation, 1. */
HL_EXPORT int32_t HL_CALL phiPowerDownSig(uint8_t *body, uint8_t *reply);
/* TASK_FL -> TASK_FL: SIG_EVENT_IND 0x2309, no confirmation, 4. */
HL_EXPORT int32_t HL_CALL phiAgshEventInd(uint8_t *body, uint8_t *reply);

/* The handset maker's test task (QNTEST_TASK_ID -> QNTEST_TASK_ID). */
/* SIG_QNT_BACKLIGHT_SET_REQ 0x7803, no confirmation, 1. */
HL_EXPORT int32_t HL_CALL phiQntBacklightSetReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_VIBRATOR_SET_REQ 0x7804, no confirmation, 1. */
HL_EXPORT int32_t HL_CALL phiQntVibratorSetReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_VOLUME_TEST_REQ 0x7805, no confirmation, 2. */
HL_EXPORT int32_t HL_CALL phiQntVolumeTestReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_POWERSTATE_READ_REQ 0x7806 -> _CNF 0x7807, 1. */
HL_EXPORT int32_t HL_CALL phiQntPowerStateReadReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_RADIO_CAMP_REQ 0x780A -> _CNF 0x780B, 1. */
HL_EXPORT int32_t HL_CALL phiQntRadioCampReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_SIM_STATUS_REQ 0x780C -> _CNF 0x780D, 1. */
HL_EXPORT int32_t HL_CALL phiQntSimStatusReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_NVRAM_WRITE_CAL_REQ 0x780E -> _CNF 0x780F, u16@4 + 18. */
HL_EXPORT int32_t HL_CALL phiQntNvramWriteCalReq(uint8_t *body, uint8_t *reply);
/* SIG_QNT_LCD_CONTRAST_REQ 0x7811 -> _CNF 0x7812, 2. */
HL_EXPORT int32_t HL_CALL phiQntLcdContrastReq(uint8_t *body, uint8_t *reply);

#ifdef __cplusplus
}
#endif

#endif /* HANDLINK_H */
