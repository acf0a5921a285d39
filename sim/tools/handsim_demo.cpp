// handsim-demo: a short session with a handset (or the emulator) through libhandlink.so: connect,
// set up, list the media folders and print them, disconnect.
#include <cstdio>
#include <string>

#include "handlink_session.h"

namespace rec = zemlo::records;

namespace {
constexpr auto kPacketWait = std::chrono::milliseconds(3000);

// Prints the listing the way its grammar reads: "\" ends a directory, ";" an entry, "%" a group.
void print_listing(const std::string &text) {
    std::string token;
    std::string folder;
    for (char ch : text) {
        if (ch == '\\') {
            folder = token;
            token.clear();
        } else if (ch == ';') {
            const size_t caret = token.find('^');
            const std::string name = token.substr(0, caret);
            const std::string size = caret == std::string::npos ? "?" : token.substr(caret + 1);
            std::printf("  %-8s %-16s %8s bytes\n", folder.c_str(), name.c_str(), size.c_str());
            token.clear();
        } else if (ch == '%') {
            token.clear();
        } else {
            token += ch;
        }
    }
}
}  // namespace

int main(int argc, char **argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fputs(
            "Usage: handsim-demo DEVICE\n"
            "Connects to the handset on DEVICE (a serial device or the link handsim\n"
            "made) through libhandlink.so, lists its media folders and disconnects.\n",
            argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    handsim::HandlinkSession session;
    std::string error;
    if (!session.load("libhandlink.so", &error)) {
        std::fprintf(stderr, "handsim-demo: cannot load libhandlink.so: %s\n", error.c_str());
        return 1;
    }
    std::printf("Connecting to %s ...\n", argv[1]);
    if (!session.open(argv[1], &error)) {
        std::fprintf(stderr, "handsim-demo: %s\n", error.c_str());
        return 1;
    }
    rec::RemoteCommand handshake;
    handshake.group = rec::kGroupHandshake;
    handshake.code = rec::kHandshakeConnect;
    const auto hello = session.remote(handshake);
    if (!hello.answered() || hello.reply.status != rec::kStatusAccepted) {
        std::fputs("handsim-demo: the handset did not accept the handshake\n", stderr);
        return 1;
    }
    std::puts("Handshake accepted; reading the media folders ...");
    const auto listing = session.list(kPacketWait, &error);
    if (!listing) {
        std::fprintf(stderr, "handsim-demo: %s\n", error.c_str());
        return 1;
    }
    const uint64_t unit = rec::unit_size(listing->storage);
    const uint64_t capacity = listing->storage.total_units * unit - rec::kReservedBytes;
    const uint64_t free_space = listing->storage.free_units * unit - rec::kReservedBytes;
    std::printf("Listing (%u data packets): %s\n", listing->data_packets, listing->text.c_str());
    print_listing(listing->text);
    std::printf("Capacity %llu bytes, used %llu, free %llu\n",
                static_cast<unsigned long long>(capacity),
                static_cast<unsigned long long>(capacity - free_space),
                static_cast<unsigned long long>(free_space));
    rec::RemoteCommand bye;
    bye.group = rec::kGroupDisconnect;
    const auto done = session.remote(bye);
    std::puts(done.answered() && done.reply.status == rec::kStatusAccepted
                  ? "Disconnected."
                  : "Disconnect not answered.");
    session.close();
    return 0;
}
