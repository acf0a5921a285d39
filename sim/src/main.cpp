// handsim: the handset on a pseudo-terminal, for trying and testing Zemlo without a handset.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "control_command.h"
#include "handsim/emulator.h"
#include "zemlo/link_announcement.h"

namespace {

constexpr char kHelp[] = R"(Usage: handsim --link PATH --store DIR [options]

Plays the handset at the other end of the cable. handsim opens a pseudo-terminal, links its
slave side at PATH (a symlink) and serves until SIGINT or SIGTERM, then removes the link. While
it runs it announces PATH to the same user's programs (a file in $XDG_RUNTIME_DIR/zemlo-links,
else /tmp/zemlo-links-UID), so that `zemlo-cli ports --probe` finds it. Point
Zemlo's COM port at PATH: HANDLINK_COM1=PATH for COM1, or map the port in the port dialog. The handset's media folders are kept in DIR: DIR/pic and DIR/melody hold
the files exactly as the handset received them; DIR/view/pic holds a PNG of each picture and
DIR/view/melody a standard MIDI file of each melody; a preview the PC asks for after a download
is written to DIR/view/showing.png or DIR/view/playing.mid.

Line and store:
  --link PATH            where to link the pseudo-terminal (required)
  --store DIR            the media store folder, created when missing (required)
  --seed                 fill an empty store with a few sample pictures and melodies
  --capacity BYTES       store capacity reported to the PC, reserve included (default 524288,
                         the most a handset may report; rounded down to 512-byte units)
  --baud N               pace both directions at N baud, ten bit times a byte (default: as fast
                         as possible)
  --adapter-latency MS   hold the handset's bytes as a USB serial adapter does: they reach the
                         PC when 62 are waiting or MS after the first one held (1 to 255; adapters
                         commonly default to 16, low-latency mode makes it 1; default 0: no
                         adapter, bytes reach the PC as they are written)
  --trace FILE           append a line for every frame, ACK, NAK and message (the link
                         library's trace format, directions seen from the PC: PC>HS, HS>PC)
  --restart-ms MS        how long the handset ignores the line after a format (default 3000)
  --ack-timeout-ms MS    how long it waits for the PC's ACK of each of its frames (default 1000)
  --attempts N           sends of a frame before the handset gives up (default 3)
  --control FIFO         take control commands (below) from a FIFO, made when missing and
                         removed at exit, e.g.  echo "event 1" > FIFO
  --quiet                do not print what happens on standard error
  --exchange FILE        append a line for every frame of the exchange, either way, with its
                         number (what "at N" counts), e.g. "25 PC>HS rename/0"

Faults and events (each is also a control command, in brackets):
  --nak-every N          NAK every Nth frame from the PC            [nak-every N]
  --drop-ack N           no ACK (and no action) for the PC's Nth frame [drop-ack N]
  --bad-checksum N       a wrong checksum in the handset's own Nth frame [bad-checksum N]
  --delay MS             wait MS before every message the handset sends [delay MS]
  --silent COMMAND       no reply and no action for a remote command  [silent COMMAND]
                         COMMAND: handshake disconnect list announce action delete rename
                         format abort                                 (undo: answer COMMAND)
  --in-use NAME          the file NAME (e.g. abc.bmp) is in use: announce, delete, rename of it
                         and format answer 0x200C                     [in-use NAME] (undo: release)
  --format-fault KIND    format answers refuse: 0x2002, block: 0x200C  [format refuse|block|ok]
  --hangup-after N       close the pseudo-terminal after data packet N of the next download; a
                         new one is linked at PATH a moment later     [hangup-after N]
  --noise                random bytes between the handset's frames    [noise on|off]
  --event CODE[@N]       send handset event CODE (1 call, 2 battery low, 3 time-out, other:
                         the user broke off). With @N after data packet N of the next download;
                         without, as soon as the PC has set the line up [event CODE [after N]]
                         Control command "event CODE" sends it at once.
  --at "N FAULT [ARG]"   one fault at the Nth frame of the exchange from now, whichever side
                         sends it                                     [at N FAULT [ARG]]
                         FAULT: drop (lost on the line), damage (its checksum wrong), twice,
                         delay MS, nak (NAK instead of ACK; of the handset's: the PC's ACK read
                         as NAK), lose-ack, withhold (the handset's reply is never sent),
                         event CODE (just before the frame), hangup (the line lost there)
  clear                  (control command only) every fault off

Options taking N, MS, BYTES or CODE accept decimal or 0x-prefixed hexadecimal numbers; N = 0
turns a fault off.
  --help                 this text
  --version              the version
)";

bool take_value(int argc, char **argv, int &i, std::string &out) {
    if (i + 1 >= argc) {
        std::fprintf(stderr, "handsim: %s needs a value\n", argv[i]);
        return false;
    }
    out = argv[++i];
    return true;
}

bool take_number(int argc, char **argv, int &i, uint32_t max, uint64_t &out) {
    std::string v;
    if (!take_value(argc, argv, i, v)) {
        return false;
    }
    const auto n = handsim::parse_number(v, max);
    if (!n) {
        std::fprintf(stderr, "handsim: bad number for %s: %s\n", argv[i - 1], v.c_str());
        return false;
    }
    out = *n;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    constexpr uint32_t kMaxBaud = 4000000;
    constexpr uint32_t kMaxMs = 600000;
    constexpr uint32_t kMaxAttempts = 100;
    constexpr uint32_t kMaxCapacity = 0x80000;
    constexpr uint32_t kMaxAdapterLatencyMs = 255;  // the largest an adapter's timer takes

    handsim::EmulatorOptions opt;
    bool quiet = false;
    std::string exchange_path;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        std::string v;
        uint64_t n = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--version") {
            std::fputs("handsim " ZEMLO_VERSION "\n", stdout);
            return 0;
        } else if (a == "--link") {
            if (!take_value(argc, argv, i, opt.link_path))
                return 2;
        } else if (a == "--store") {
            if (!take_value(argc, argv, i, opt.store_dir))
                return 2;
        } else if (a == "--trace") {
            if (!take_value(argc, argv, i, opt.trace_path))
                return 2;
        } else if (a == "--control") {
            if (!take_value(argc, argv, i, opt.control_path))
                return 2;
        } else if (a == "--seed") {
            opt.seed = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--noise") {
            opt.controls.push_back("noise on");
        } else if (a == "--baud") {
            if (!take_number(argc, argv, i, kMaxBaud, n))
                return 2;
            opt.baud = static_cast<uint32_t>(n);
        } else if (a == "--adapter-latency") {
            if (!take_number(argc, argv, i, kMaxAdapterLatencyMs, n))
                return 2;
            opt.adapter_latency = std::chrono::milliseconds(n);
        } else if (a == "--capacity") {
            if (!take_number(argc, argv, i, kMaxCapacity, n))
                return 2;
            opt.capacity = n;
        } else if (a == "--restart-ms") {
            if (!take_number(argc, argv, i, kMaxMs, n))
                return 2;
            opt.restart_quiet = std::chrono::milliseconds(n);
        } else if (a == "--ack-timeout-ms") {
            if (!take_number(argc, argv, i, kMaxMs, n))
                return 2;
            opt.ack_timeout = std::chrono::milliseconds(n);
        } else if (a == "--attempts") {
            if (!take_number(argc, argv, i, kMaxAttempts, n) || n == 0)
                return 2;
            opt.send_attempts = static_cast<unsigned>(n);
        } else if (a == "--nak-every" || a == "--drop-ack" || a == "--bad-checksum" ||
                   a == "--delay" || a == "--silent" || a == "--in-use" || a == "--hangup-after") {
            if (!take_value(argc, argv, i, v))
                return 2;
            opt.controls.push_back(std::string(a.substr(2)) + " " + v);
        } else if (a == "--at") {
            if (!take_value(argc, argv, i, v))
                return 2;
            opt.controls.push_back("at " + v);
        } else if (a == "--exchange") {
            if (!take_value(argc, argv, i, exchange_path))
                return 2;
        } else if (a == "--format-fault") {
            if (!take_value(argc, argv, i, v))
                return 2;
            opt.controls.push_back("format " + v);
        } else if (a == "--event") {
            if (!take_value(argc, argv, i, v))
                return 2;
            const size_t at = v.find('@');
            opt.controls.push_back(at == std::string::npos
                                       ? "event " + v
                                       : "event " + v.substr(0, at) + " after " + v.substr(at + 1));
        } else {
            std::fprintf(stderr, "handsim: unknown option %s (see --help)\n", argv[i]);
            return 2;
        }
    }
    if (opt.link_path.empty() || opt.store_dir.empty()) {
        std::fputs("handsim: --link and --store are required (see --help)\n", stderr);
        return 2;
    }
    // A fault or event option's value is a usage error like any other, found before the line is
    // opened.
    for (const std::string &control : opt.controls) {
        std::string why;
        if (!handsim::parse_control(control, &why)) {
            std::fprintf(stderr, "handsim: bad fault option \"%s\": %s (see --help)\n",
                         control.c_str(), why.c_str());
            return 2;
        }
    }
    std::FILE *exchange = nullptr;
    if (!exchange_path.empty()) {
        exchange = std::fopen(exchange_path.c_str(), "ae");
        if (exchange == nullptr) {
            std::fprintf(stderr, "handsim: cannot write %s: %s\n", exchange_path.c_str(),
                         std::strerror(errno));
            return 1;
        }
        opt.on_point = [exchange](const handsim::ExchangePoint &p) {
            std::fprintf(exchange, "%u %s %s/%u\n", p.index, p.from_pc ? "PC>HS" : "HS>PC",
                         p.message.c_str(), p.segment);
            std::fflush(exchange);
        };
    }
    if (!quiet) {
        opt.log = [](const std::string &line) {
            std::fprintf(stderr, "handsim: %s\n", line.c_str());
        };
    }

    // The threads inherit the blocked signals, so only sigwait below sees them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    const std::string link_path = opt.link_path;
    handsim::Emulator emulator(std::move(opt));
    std::string error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "handsim: %s\n", error.c_str());
        return 1;
    }
    if (!quiet) {
        // The link is a path of its own, which no port scan would guess: say how to reach it.
        std::fprintf(stderr, "handsim: reach it with: zemlo-cli --device %s list\n",
                     link_path.c_str());
    }
    // And tell the user's own programs where it is, for as long as it runs; a failure costs only
    // the finding, so it is said and the emulator serves on.
    zemlo::LinkAnnouncement announcement;
    const zemlo::EnvLookup env = [](const std::string &name) -> std::optional<std::string> {
        const char *value = std::getenv(name.c_str());
        return value == nullptr ? std::nullopt : std::optional<std::string>(value);
    };
    if (!announcement.announce(zemlo::link_announcement_folder(env), link_path, &error)) {
        std::fprintf(stderr, "handsim: %s (give zemlo-cli --device %s)\n", error.c_str(),
                     link_path.c_str());
    }
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    announcement.withdraw();
    emulator.stop();
    if (exchange != nullptr) {
        std::fclose(exchange);
    }
    return 0;
}
