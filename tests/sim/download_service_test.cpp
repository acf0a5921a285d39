#include "download_service.h"

#include <gtest/gtest.h>

#include <fstream>

#include "handlink/name_tables.h"
#include "listing_builder.h"
#include "media_render.h"
#include "sample_media.h"
#include "sim_test_util.h"

namespace {

namespace rec = zemlo::records;
using handsim::DownloadService;
using handsim::Folder;
using handsim::MediaStore;
using handsim::ServiceOutput;
using simtest::command;
using simtest::packet;

rec::RemoteCommand cmd(uint16_t group, uint16_t code, std::string first = {},
                       std::string second = {}) {
    rec::RemoteCommand c;
    c.group = group;
    c.code = code;
    c.first_path = std::move(first);
    c.second_path = std::move(second);
    return c;
}

rec::RemoteCommand action(uint16_t argument, uint16_t what) {
    rec::RemoteCommand c = cmd(rec::kGroupFile, rec::kCodeAfterDownload);
    c.argument = argument;
    c.action = what;
    return c;
}

// The only reply in an output, as the PC reads it.
rec::RemoteReply reply_of(const ServiceOutput &out) {
    EXPECT_EQ(out.messages.size(), 1u);
    if (out.messages.empty()) {
        return {0xEEEE, 0xEEEE};
    }
    EXPECT_EQ(out.messages[0].signal_id, rec::kSigDlwRemoteCmdRsp);
    const auto &b = out.messages[0].body;
    return *rec::decode_remote_reply(b.data(), b.size());
}

uint16_t ack_of(const ServiceOutput &out) {
    EXPECT_FALSE(out.messages.empty());
    if (out.messages.empty()) {
        return 0xEEEE;
    }
    EXPECT_EQ(out.messages[0].signal_id, rec::kSigDownloadAckRsp);
    return *rec::decode_ack_status(out.messages[0].body.data(), out.messages[0].body.size());
}

class ServiceTest : public ::testing::Test {
  protected:
    ServiceTest() : store(dir.path()), service(store) { store.open(nullptr); }

    void setup() {
        handlink::NameTables names;
        names.rebuild();
        const auto matrix = names.filter_matrix();
        service.on_message(simtest::signal(rec::kSigTinyFilterMatrix, matrix.data(), matrix.size(),
                                           rec::kEmmiHighPriTaskId));
        service.on_message({handsim::PcMessage::Form::Command,
                            handsim::Bytes(rec::kSetupCommand.begin(), rec::kSetupCommand.end())});
    }

    // Sends a file as the PC does; returns the acknowledgement status of every packet.
    std::vector<uint16_t> send_file(const std::vector<uint8_t> &file, bool melody) {
        std::vector<uint16_t> statuses;
        const size_t skip = melody ? rec::kMelodyPrefixBytes : 0;
        const uint16_t blocks = rec::block_count(file.size());
        statuses.push_back(ack_of(
            service.on_message(packet(rec::make_pc_start_packet(blocks, melody ? file[5] : 0)))));
        uint32_t total = 0;
        for (uint16_t n = 1; n <= blocks; ++n) {
            const size_t pos = std::min(file.size(), skip + (n - 1) * size_t{512});
            const size_t len = std::min<size_t>(512, file.size() - pos);
            const auto p = rec::make_data_packet(n, file.data() + pos, len);
            total += p.checksum;
            statuses.push_back(ack_of(service.on_message(packet(p))));
        }
        statuses.push_back(ack_of(service.on_message(packet(rec::make_end_packet(total)))));
        return statuses;
    }

    simtest::TempDir dir;
    MediaStore store;
    DownloadService service;
};

TEST_F(ServiceTest, ReportsNothingUntilFilterAndSetupCommand) {
    const auto handshake = command(cmd(rec::kGroupHandshake, rec::kHandshakeConnect));
    EXPECT_TRUE(service.on_message(handshake).messages.empty());

    handlink::NameTables names;
    names.rebuild();
    const auto matrix = names.filter_matrix();
    service.on_message(simtest::signal(rec::kSigTinyFilterMatrix, matrix.data(), matrix.size()));
    EXPECT_TRUE(service.on_message(handshake).messages.empty()) << "filter alone is not setup";

    service.on_message({handsim::PcMessage::Form::Command,
                        handsim::Bytes(rec::kSetupCommand.begin(), rec::kSetupCommand.end())});
    EXPECT_EQ(reply_of(service.on_message(handshake)).status, rec::kStatusAccepted);
    EXPECT_EQ(reply_of(service.on_message(command(cmd(rec::kGroupDisconnect, 0)))).status,
              rec::kStatusAccepted);

    // A restart forgets the setup.
    service.restarted();
    EXPECT_TRUE(service.on_message(handshake).messages.empty());
}

TEST_F(ServiceTest, FilterThatSelectsNothingKeepsTheHandsetSilent) {
    const uint8_t empty_matrix[] = {0x7B, 0, 0, 0};
    service.on_message(simtest::signal(rec::kSigTinyFilterMatrix, empty_matrix, 4));
    service.on_message({handsim::PcMessage::Form::Command,
                        handsim::Bytes(rec::kSetupCommand.begin(), rec::kSetupCommand.end())});
    EXPECT_TRUE(service.on_message(command(cmd(rec::kGroupHandshake, 0))).messages.empty());
}

TEST_F(ServiceTest, ListingIsABlockTransferPacedByTheAcknowledgements) {
    setup();
    ASSERT_EQ(store.keep(Folder::Picture, "a.bmp", std::vector<uint8_t>(100, 7)),
              MediaStore::Status::Ok);
    ASSERT_EQ(store.keep(Folder::Picture, "b.bmp", std::vector<uint8_t>(1024, 7)),
              MediaStore::Status::Ok);
    ASSERT_EQ(store.keep(Folder::Melody, "m.mid", std::vector<uint8_t>(600, 7)),
              MediaStore::Status::Ok);

    auto out = service.on_message(command(cmd(rec::kGroupFile, rec::kCodeList)));
    ASSERT_EQ(out.messages.size(), 2u) << "reply, then the start packet";
    EXPECT_EQ(out.messages[0].signal_id, rec::kSigDlwRemoteCmdRsp);
    auto start = rec::decode_packet(out.messages[1].body.data(), out.messages[1].body.size());
    ASSERT_TRUE(start && start->is_start());
    const uint16_t blocks = rec::handset_start_blocks(*start);
    ASSERT_EQ(blocks, 2);

    // Assemble as the PC does: data packet n at (n - 1) x 512, NUL at the total length.
    std::vector<uint8_t> assembled(blocks * 512 + 1, 0);
    size_t total = 0;
    for (uint16_t n = 1; n <= blocks; ++n) {
        out = service.on_message(simtest::pc_ack());
        ASSERT_EQ(out.messages.size(), 1u);
        const auto p = rec::decode_packet(out.messages[0].body.data(), out.messages[0].body.size());
        ASSERT_EQ(p->sequence, n);
        std::copy(p->data.begin(), p->data.begin() + p->length, assembled.begin() + (n - 1) * 512);
        total += p->length;
    }
    out = service.on_message(simtest::pc_ack());
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_TRUE(rec::decode_packet(out.messages[0].body.data(), 520)->is_end());
    EXPECT_TRUE(service.on_message(simtest::pc_ack()).messages.empty()) << "transfer is over";

    const auto storage = rec::decode_storage_description(assembled.data(), 512);
    EXPECT_EQ(rec::unit_size(*storage), 512u);
    EXPECT_EQ(storage->total_units, 1024u);
    // 512 + 1536 + 1024 bytes allocated.
    EXPECT_EQ(storage->free_units, 1024u - 6u);
    assembled[total] = 0;
    EXPECT_EQ(std::string(reinterpret_cast<char *>(&assembled[512])),
              "a:\\pcdlw\\pic\\a.bmp^100;b.bmp^1024;%a:\\pcdlw\\melody\\m.mid^600;%");
}

TEST_F(ServiceTest, AbortNoticeDropsTheTransferWithoutReply) {
    setup();
    auto out = service.on_message(command(cmd(rec::kGroupFile, rec::kCodeList)));
    ASSERT_EQ(out.messages.size(), 2u);
    EXPECT_TRUE(service.on_message(command(cmd(rec::kGroupAbort, 0))).messages.empty());
    EXPECT_TRUE(service.on_message(simtest::pc_ack()).messages.empty());

    service.on_message(command(cmd(rec::kGroupFile, rec::kCodeAnnounce, "a:\\pcdlw\\pic\\x.bmp")));
    service.on_message(command(cmd(rec::kGroupAbort, 0)));
    EXPECT_EQ(ack_of(service.on_message(packet(rec::make_pc_start_packet(1)))),
              handsim::kAckUnexpected);
}

TEST_F(ServiceTest, PictureDownloadIsKeptWithItsRendering) {
    setup();
    const auto picture = handsim::sample_media()[0].bytes;
    EXPECT_EQ(reply_of(service.on_message(command(
                           cmd(rec::kGroupFile, rec::kCodeAnnounce, "a:\\pcdlw\\pic\\new1.bmp"))))
                  .result,
              rec::kResultDownloadAccepted);
    for (uint16_t s : send_file(picture, false)) {
        EXPECT_EQ(s, rec::kAckStatusOk);
    }
    EXPECT_EQ(reply_of(service.on_message(command(action(2, rec::kActionPreview)))).result,
              rec::kResultDone);
    EXPECT_FALSE(store.size_of(Folder::Picture, "new1.bmp")) << "not kept before save";
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "view" / "showing.png"));
    service.on_message(command(action(2, rec::kActionSave)));
    EXPECT_EQ(store.read(Folder::Picture, "new1.bmp"), picture);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "view" / "pic" / "new1.png"));
    // The action is only for a completed download.
    EXPECT_EQ(reply_of(service.on_message(command(action(2, rec::kActionSave)))).result,
              handsim::kResultNoDownload);
}

TEST_F(ServiceTest, CorruptedPacketsAreRefusedUntilTheyArriveIntact) {
    setup();
    service.on_message(command(cmd(rec::kGroupFile, rec::kCodeAnnounce, "a:\\pcdlw\\pic\\x.bmp")));
    const std::vector<uint8_t> file(700, 0x41);
    EXPECT_EQ(ack_of(service.on_message(packet(rec::make_pc_start_packet(2)))), 1);
    auto p1 = rec::make_data_packet(1, file.data(), 512);
    auto bad = p1;
    bad.checksum ^= 1;
    EXPECT_EQ(ack_of(service.on_message(packet(bad))), handsim::kAckBadChecksum);
    EXPECT_EQ(ack_of(service.on_message(packet(p1))), 1);
    EXPECT_EQ(ack_of(service.on_message(packet(p1))), 1) << "a repeat is taken once";
    const auto p3 = rec::make_data_packet(3, file.data(), 10);
    EXPECT_EQ(ack_of(service.on_message(packet(p3))), handsim::kAckBadSequence);
    EXPECT_EQ(ack_of(service.on_message(packet(rec::make_end_packet(p1.checksum)))),
              handsim::kAckBadSequence)
        << "a block is missing";
    const auto p2 = rec::make_data_packet(2, file.data() + 512, 188);
    EXPECT_EQ(ack_of(service.on_message(packet(p2))), 1);
    EXPECT_EQ(ack_of(service.on_message(packet(rec::make_end_packet(12345)))),
              handsim::kAckBadTotal);
    EXPECT_EQ(ack_of(service.on_message(
                  packet(rec::make_end_packet(uint32_t{p1.checksum} + p2.checksum)))),
              1);
    service.on_message(command(action(2, rec::kActionDiscard)));
    EXPECT_TRUE(store.list(Folder::Picture).empty());
}

TEST_F(ServiceTest, MelodyIsKeptWhole) {
    setup();
    // 580 bytes: two blocks, the prefix kept back from the first.
    std::vector<uint8_t> melody = handsim::encode_handset_melody(std::vector<uint8_t>(70, 60));
    ASSERT_EQ(melody.size(), 16u + 70u * 8u + 4u);
    service.on_message(
        command(cmd(rec::kGroupFile, rec::kCodeAnnounce, "a:\\pcdlw\\melody\\tune.mid")));
    for (uint16_t s : send_file(melody, true)) {
        EXPECT_EQ(s, rec::kAckStatusOk);
    }
    service.on_message(command(action(1, rec::kActionSave)));
    EXPECT_EQ(store.read(Folder::Melody, "tune.mid"), melody);
    std::ifstream in(dir.path() / "view" / "melody" / "tune.mid", std::ios::binary);
    std::string midi((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(midi.substr(0, 4), "MThd");
    EXPECT_EQ(midi.size(), melody.size() - 6 + 12);
}

TEST_F(ServiceTest, DeleteAndRenameAnswerWhatHappened) {
    setup();
    store.keep(Folder::Picture, "a.bmp", std::vector<uint8_t>(10, 1));
    store.keep(Folder::Picture, "b.bmp", std::vector<uint8_t>(10, 2));
    auto result = [&](const rec::RemoteCommand &c) {
        return reply_of(service.on_message(command(c))).result;
    };
    const std::string pic = "a:\\pcdlw\\pic\\";
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeRename, pic + "a.bmp", pic + "b.bmp")),
              handsim::kResultNameTaken);
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeRename, pic + "a.bmp", pic + "c.bmp")),
              rec::kResultDone);
    EXPECT_EQ(store.read(Folder::Picture, "c.bmp"), std::vector<uint8_t>(10, 1));
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeDelete, pic + "a.bmp")),
              handsim::kResultNoSuchFile);
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeDelete, pic + "../x")),
              handsim::kResultBadPath);
    service.set_in_use("b.bmp", true);
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeDelete, pic + "b.bmp")), rec::kResultInUse);
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeAnnounce, pic + "b.bmp")), rec::kResultInUse);
    service.set_in_use("b.bmp", false);
    EXPECT_EQ(result(cmd(rec::kGroupFile, rec::kCodeDelete, pic + "b.bmp")), rec::kResultDone);
    EXPECT_EQ(store.list(Folder::Picture).size(), 1u);
}

TEST_F(ServiceTest, FormatEmptiesTheStoreAndRestartsUnlessRefused) {
    setup();
    store.keep(Folder::Melody, "m.mid", std::vector<uint8_t>(10, 1));
    const auto format = command(cmd(rec::kGroupFile, rec::kCodeFormat));
    service.set_format_fault(handsim::FormatFault::Refuse);
    EXPECT_EQ(reply_of(service.on_message(format)).result, rec::kResultFormatFailed);
    service.set_format_fault(handsim::FormatFault::Block);
    EXPECT_EQ(reply_of(service.on_message(format)).result, rec::kResultInUse);
    service.set_format_fault(handsim::FormatFault::None);
    service.set_in_use("m.mid", true);
    EXPECT_EQ(reply_of(service.on_message(format)).result, rec::kResultInUse);
    EXPECT_EQ(store.list(Folder::Melody).size(), 1u);
    service.set_in_use("m.mid", false);

    const auto out = service.on_message(format);
    EXPECT_TRUE(out.messages.empty()) << "a format is not answered";
    EXPECT_TRUE(out.restart);
    EXPECT_TRUE(store.list(Folder::Melody).empty());
}

TEST_F(ServiceTest, EventAndHangUpAfterTheChosenPacket) {
    setup();
    service.arm_event(rec::kEventIncomingCall, 2);
    service.arm_hang_up(1);
    service.on_message(command(cmd(rec::kGroupFile, rec::kCodeAnnounce, "a:\\pcdlw\\pic\\x.bmp")));
    const std::vector<uint8_t> file(1536, 3);
    service.on_message(packet(rec::make_pc_start_packet(3)));
    auto out = service.on_message(packet(rec::make_data_packet(1, file.data(), 512)));
    EXPECT_TRUE(out.hang_up);

    service.on_message(command(cmd(rec::kGroupFile, rec::kCodeAnnounce, "a:\\pcdlw\\pic\\x.bmp")));
    service.on_message(packet(rec::make_pc_start_packet(3)));
    EXPECT_EQ(
        service.on_message(packet(rec::make_data_packet(1, file.data(), 512))).messages.size(), 1u);
    out = service.on_message(packet(rec::make_data_packet(2, file.data(), 512)));
    ASSERT_EQ(out.messages.size(), 2u) << "acknowledgement, then the event";
    const auto &ev = out.messages[1];
    EXPECT_EQ(ev.signal_id, rec::kSigDlwRemoteCmdInd);
    const auto c = rec::decode_remote_command(ev.body.data(), ev.body.size());
    EXPECT_EQ(c->group, rec::kGroupEvent);
    EXPECT_EQ(c->code, rec::kEventIncomingCall);
    EXPECT_EQ(ack_of(service.on_message(packet(rec::make_data_packet(3, file.data(), 512)))),
              handsim::kAckUnexpected)
        << "the event ended the transfer";
}

TEST_F(ServiceTest, SilentCommandIsNeitherAnsweredNorDone) {
    setup();
    store.keep(Folder::Picture, "a.bmp", std::vector<uint8_t>(10, 1));
    service.set_silent(handsim::CommandName::Delete, true);
    EXPECT_TRUE(
        service.on_message(command(cmd(rec::kGroupFile, rec::kCodeDelete, "a:\\pcdlw\\pic\\a.bmp")))
            .messages.empty());
    EXPECT_EQ(store.list(Folder::Picture).size(), 1u);
    EXPECT_EQ(reply_of(service.on_message(command(cmd(rec::kGroupHandshake, 0)))).status, 3);
}

}  // namespace
