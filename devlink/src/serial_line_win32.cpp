// The serial line on Windows: a COM device opened for overlapped I/O, so that the reader's wait
// for bytes never holds up a write from another thread (synchronous I/O on one handle is done one
// call at a time). The reader keeps a one-byte read pending as its wake-up and then takes the
// rest of the queue in one read; the time-outs are all zero (a read ends when its bytes are there)
// and every wait is bounded by our own wait on the read's event instead.
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "serial_line.h"
#include "serial_port.h"
#include "zemlo/windows_error_text.h"

namespace handlink {
namespace {

// How long one write may wait for the driver to take it before it counts as failed.
constexpr DWORD kWriteTimeoutMs = 1000;
// The bytes counted in the queue are there: taking them takes no time, unless the queue was
// emptied meanwhile.
constexpr DWORD kQueuedReadWaitMs = 100;
// Room in the driver's queues.
constexpr DWORD kQueueBytes = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
// The protocol's short pauses (5 ms after an answer, 3 ms polls) need a finer timer than the
// default 15.6 ms tick while the line is open.
constexpr UINT kTimerResolutionMs = 1;

// A read that failed for a reason that passes (the queue was purged) is tried again; any other
// failure means the device is gone, as when a USB adapter is pulled out.
SerialLine::Read read_failure(DWORD error) {
    return error == ERROR_OPERATION_ABORTED ? SerialLine::Read::Again : SerialLine::Read::Lost;
}

}  // namespace

std::string OpenFailure::describe() const {
    if (error_number == 0) {
        return {};
    }
    const auto error = static_cast<DWORD>(error_number);
    if (configuring) {
        if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
            error == ERROR_INVALID_PARAMETER) {
            return device + " is not a serial device or does not take these line settings";
        }
        return device + " refused the line settings (" + zemlo::windows_error_text(error) + ")";
    }
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            // A COM port that another program holds answers "access denied".
            return device + " is busy (another program holds it) or access is denied";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_UNIT:
            return "no such device " + device;
        default:
            return "cannot open " + device + ": " + zemlo::windows_error_text(error);
    }
}

struct SerialLine::System {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE wake = nullptr;        // manual reset: close() wants the reader gone
    HANDLE read_done = nullptr;   // manual reset, the pending read's
    HANDLE write_done = nullptr;  // manual reset, the current write's
    OVERLAPPED read_state{};
    bool read_pending = false;
    uint8_t first_byte = 0;
    std::mutex write_mutex;  // one overlapped write at a time
    bool timer_raised = false;

    // Waits for an overlapped operation up to ms; on time-out it is cancelled and false returned.
    bool finish(OVERLAPPED &state, HANDLE done, DWORD ms, DWORD *transferred) {
        if (WaitForSingleObject(done, ms) != WAIT_OBJECT_0) {
            CancelIoEx(handle, &state);
            GetOverlappedResult(handle, &state, transferred, TRUE);
            return false;
        }
        return GetOverlappedResult(handle, &state, transferred, FALSE) != 0;
    }
};

SerialLine::SerialLine() : system_(std::make_unique<System>()) {}

SerialLine::~SerialLine() {
    close();
}

SerialLine::Opened SerialLine::open(const std::string &path, uint32_t baud) {
    System &s = *system_;
    // No sharing: the port belongs to this process until it is closed.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {static_cast<int>(GetLastError()), false};
    }
    auto fail = [&](bool configuring) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return Opened{static_cast<int>(error != 0 ? error : ERROR_GEN_FAILURE), configuring};
    };
    SetupComm(handle, kQueueBytes, kQueueBytes);
    DCB line{};
    line.DCBlength = sizeof line;
    if (!GetCommState(handle, &line)) {
        return fail(true);
    }
    line.BaudRate = baud;
    line.fBinary = TRUE;
    line.ByteSize = 8;
    line.fParity = FALSE;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    // No flow control of any kind, and no read stopped by a line error: the frame checks see to
    // damaged bytes.
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDsrSensitivity = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fNull = FALSE;
    line.fAbortOnError = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(handle, &line)) {
        return fail(true);
    }
    COMMTIMEOUTS timeouts{};  // all zero: a read ends when its bytes are there
    if (!SetCommTimeouts(handle, &timeouts)) {
        return fail(true);
    }
    SetCommMask(handle, 0);
    PurgeComm(handle, kPurgeAll);
    s.wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s.read_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    s.write_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (s.wake == nullptr || s.read_done == nullptr || s.write_done == nullptr) {
        const Opened failed = fail(false);
        close();
        return failed;
    }
    s.handle = handle;
    s.read_pending = false;
    s.timer_raised = timeBeginPeriod(kTimerResolutionMs) == TIMERR_NOERROR;
    return {};
}

SerialLine::Read SerialLine::read(uint8_t *buffer, size_t capacity, size_t *count,
                                  std::chrono::milliseconds timeout) {
    System &s = *system_;
    *count = 0;
    if (!s.read_pending) {
        s.read_state = OVERLAPPED{};
        s.read_state.hEvent = s.read_done;
        ResetEvent(s.read_done);
        if (!ReadFile(s.handle, &s.first_byte, 1, nullptr, &s.read_state)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) {
                return read_failure(error);
            }
        }
        s.read_pending = true;
    }
    const HANDLE waits[2] = {s.wake, s.read_done};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(timeout.count()));
    if (woke == WAIT_OBJECT_0) {
        return Read::Woken;  // the read stays pending; close() cancels it
    }
    if (woke == WAIT_TIMEOUT) {
        return Read::Quiet;
    }
    if (woke != WAIT_OBJECT_0 + 1) {
        return Read::Lost;
    }
    s.read_pending = false;
    DWORD got = 0;
    if (!GetOverlappedResult(s.handle, &s.read_state, &got, FALSE)) {
        return read_failure(GetLastError());
    }
    if (got == 0) {
        return Read::Lost;  // a read without time-outs ends empty only at the end of the line
    }
    buffer[0] = s.first_byte;
    *count = 1;
    // Then whatever else is queued, in one read; this also clears any line error.
    DWORD errors = 0;
    COMSTAT status{};
    if (capacity > 1 && ClearCommError(s.handle, &errors, &status) && status.cbInQue > 0) {
        const DWORD take = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(capacity - 1));
        OVERLAPPED rest{};
        rest.hEvent = s.read_done;
        ResetEvent(s.read_done);
        DWORD more = 0;
        if (ReadFile(s.handle, buffer + 1, take, nullptr, &rest) ||
            GetLastError() == ERROR_IO_PENDING) {
            s.finish(rest, s.read_done, kQueuedReadWaitMs, &more);
        }
        *count += more;
    }
    return Read::Bytes;
}

void SerialLine::wake() {
    if (system_->wake != nullptr) {
        SetEvent(system_->wake);
    }
}

bool SerialLine::write(const uint8_t *bytes, size_t count) {
    System &s = *system_;
    std::lock_guard lock(s.write_mutex);
    OVERLAPPED state{};
    state.hEvent = s.write_done;
    ResetEvent(s.write_done);
    DWORD written = 0;
    if (!WriteFile(s.handle, bytes, static_cast<DWORD>(count), nullptr, &state) &&
        GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    return s.finish(state, s.write_done, kWriteTimeoutMs, &written) && written == count;
}

bool SerialLine::node_changed(const std::string &) const {
    // A COM device has no node to look at: an adapter pulled out shows as a failing read.
    return false;
}

void SerialLine::close() {
    System &s = *system_;
    if (s.handle != INVALID_HANDLE_VALUE) {
        if (s.read_pending) {
            CancelIoEx(s.handle, &s.read_state);
            DWORD ignored = 0;
            GetOverlappedResult(s.handle, &s.read_state, &ignored, TRUE);
            s.read_pending = false;
        }
        // Drops DTR towards the handset; a port without modem lines refuses, harmlessly.
        EscapeCommFunction(s.handle, CLRDTR);
        PurgeComm(s.handle, kPurgeAll);
        CloseHandle(s.handle);
        s.handle = INVALID_HANDLE_VALUE;
    }
    for (HANDLE *event : {&s.wake, &s.read_done, &s.write_done}) {
        if (*event != nullptr) {
            CloseHandle(*event);
            *event = nullptr;
        }
    }
    if (s.timer_raised) {
        timeEndPeriod(kTimerResolutionMs);
        s.timer_raised = false;
    }
}

}  // namespace handlink
