// Records, filter matrix, segments and control commands: the byte-level rules of the emulator.
#include <gtest/gtest.h>

#include <algorithm>

#include "control_command.h"
#include "exchange_point.h"
#include "filter_matrix.h"
#include "handlink/name_tables.h"
#include "segment_codec.h"
#include "zemlo/handset_records.h"
#include "zemlo/wire/frame_format.h"

namespace {

namespace rec = zemlo::records;
using handsim::Bytes;
using handsim::SegmentAssembler;

TEST(HandsetRecords, RemoteCommandKeepsPathsAndNumbersInTheirPlaces) {
    rec::RemoteCommand c;
    c.group = rec::kGroupFile;
    c.code = rec::kCodeRename;
    c.first_path = "a:\\pcdlw\\pic\\abc.bmp";
    c.second_path = "a:\\pcdlw\\pic\\new.bmp";
    const auto body = rec::encode_remote_command(c);
    EXPECT_EQ(body[0], 0x53);
    EXPECT_EQ(body[2], 0x00);
    EXPECT_EQ(body[3], 0x03);
    EXPECT_EQ(body[4], 0x0B);
    EXPECT_EQ(body[268], 'a');
    const auto back = rec::decode_remote_command(body.data(), body.size());
    EXPECT_EQ(back->first_path, c.first_path);
    EXPECT_EQ(back->second_path, c.second_path);

    rec::RemoteCommand a;
    a.group = rec::kGroupFile;
    a.code = rec::kCodeAfterDownload;
    a.argument = rec::kArgumentMelody;
    a.action = rec::kActionSave;
    const auto ab = rec::encode_remote_command(a);
    EXPECT_EQ(ab[8], 1);
    EXPECT_EQ(ab[10], 18);
    EXPECT_EQ(rec::decode_remote_command(ab.data(), ab.size())->action, rec::kActionSave);

    // Over-long paths stay inside their field with a NUL at its end.
    rec::RemoteCommand big;
    big.first_path = std::string(400, 'x');
    big.second_path = std::string(100, 'y');
    const auto bb = rec::encode_remote_command(big);
    EXPECT_EQ(bb[8 + 259], 0);
    EXPECT_EQ(bb[268 + 63], 0);
    EXPECT_EQ(rec::decode_remote_command(bb.data(), bb.size())->first_path.size(), 259u);
    EXPECT_FALSE(rec::decode_remote_command(bb.data(), 331));
}

TEST(HandsetRecords, AllocationBlocksAndStorageArithmetic) {
    EXPECT_EQ(rec::allocation_size(0), 512u);
    EXPECT_EQ(rec::allocation_size(100), 512u);
    EXPECT_EQ(rec::allocation_size(512), 1024u);
    EXPECT_EQ(rec::allocation_size(1024), 1536u);
    EXPECT_EQ(rec::block_count(1536), 3);
    EXPECT_EQ(rec::block_count(513), 2);
    EXPECT_EQ(rec::block_count(30748), 61);

    uint8_t block[512];
    rec::encode_storage_description({2, 0, 1024, 800}, block);
    EXPECT_EQ(block[4], 0);
    EXPECT_EQ(block[6], 4);  // 1024 big-endian
    const auto d = rec::decode_storage_description(block, sizeof block);
    const uint64_t unit = rec::unit_size(*d);
    EXPECT_EQ(unit, 512u);
    EXPECT_EQ(d->total_units * unit - rec::kReservedBytes, 432128u);
    EXPECT_EQ(d->free_units * unit - rec::kReservedBytes, 317440u);
    // The unit size keeps 16 bits.
    EXPECT_EQ(rec::unit_size({0x81, 0, 0, 0}), 0x8100u);
    EXPECT_EQ(rec::unit_size({0x01, 8, 0, 0}), 0u);
}

TEST(HandsetRecords, PacketsOfBothSides) {
    const uint8_t bytes[3] = {0xFF, 0xFF, 0x03};
    const auto p = rec::make_data_packet(7, bytes, 3);
    EXPECT_EQ(p.checksum, 0x0201);  // wraps at 16 bits
    const auto body = rec::encode_packet(p);
    EXPECT_EQ(body[0], 2);
    EXPECT_EQ(body[4], 7);
    EXPECT_EQ(body[6], 3);
    const auto back = rec::decode_packet(body.data(), body.size());
    EXPECT_EQ(back->data[2], 3);

    const auto start = rec::make_pc_start_packet(61, 0x00);
    EXPECT_EQ(start.checksum, 0x1213);
    EXPECT_EQ(start.data[1], 0);
    EXPECT_EQ(start.data[2], 61);
    EXPECT_EQ(start.data[3], 0x10);
    EXPECT_EQ(start.data[4], 0xFF);
    EXPECT_EQ(rec::handset_start_blocks(rec::make_handset_start_packet(300)), 300);
    const auto end = rec::make_end_packet(0x01020304);
    EXPECT_EQ(end.data[0], 0xFF);
    EXPECT_EQ(end.data[1], 1);
    EXPECT_EQ(end.data[4], 4);
    EXPECT_TRUE(end.is_end());

    const auto ack = rec::encode_ack();
    EXPECT_EQ(ack[0], 2);
    EXPECT_EQ(ack[2], 1);
    EXPECT_EQ(ack[4], 1);
    EXPECT_TRUE(rec::ack_status_ok(3));
    EXPECT_FALSE(rec::ack_status_ok(4));
}

TEST(FilterMatrix, SelectsWhatTheLibraryAsksForWithItsWrappedOffsets) {
    handlink::NameTables names;
    names.rebuild();
    const auto m = names.filter_matrix();
    ASSERT_EQ(m.size(), 296u);
    const handsim::FilterMatrix filter(m.data(), m.size());
    for (uint16_t id : {rec::kSigDownloadDataInd, rec::kSigDownloadAckRsp, rec::kSigDlwRemoteCmdInd,
                        rec::kSigDlwRemoteCmdRsp}) {
        EXPECT_TRUE(filter.selects(id)) << std::hex << id;
    }
    EXPECT_FALSE(filter.selects(0x7903));
    EXPECT_FALSE(filter.selects(names.signal_id("SIG_CDMG_CNF"))) << "its bit lies past the end";
    EXPECT_FALSE(filter.selects(0x7F01)) << "no directory entry";
    EXPECT_FALSE(handsim::FilterMatrix().selects(rec::kSigDownloadDataInd));
    const uint8_t truncated[] = {0x7B, 0, 0x2E};
    EXPECT_FALSE(handsim::FilterMatrix(truncated, 3).selects(rec::kSigDownloadDataInd));
}

Bytes pc_segment(uint8_t seq, const Bytes &data, int total = -1) {
    Bytes s = {zemlo::wire::kSegmentSignal, seq};
    if (total >= 0) {
        s.push_back(static_cast<uint8_t>(total >> 8));
        s.push_back(static_cast<uint8_t>(total));
    }
    s.insert(s.end(), data.begin(), data.end());
    return s;
}

TEST(SegmentAssembler, JoinsThePcsSegments) {
    SegmentAssembler a;
    std::optional<handsim::PcMessage> done;
    // The filter signal: 304 bytes in 251 + 53.
    Bytes message(304);
    for (size_t i = 0; i < message.size(); ++i) {
        message[i] = static_cast<uint8_t>(i);
    }
    const auto first = pc_segment(0, Bytes(message.begin(), message.begin() + 251), 304);
    const auto last = pc_segment(0xFF, Bytes(message.begin() + 251, message.end()));
    EXPECT_EQ(a.push(first.data(), first.size(), &done), SegmentAssembler::Verdict::Accepted);
    EXPECT_FALSE(done);
    EXPECT_EQ(a.push(last.data(), last.size(), &done), SegmentAssembler::Verdict::Accepted);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->bytes, message);
    EXPECT_EQ(done->form, handsim::PcMessage::Form::Signal);

    // The setup command.
    const Bytes setup = {0xD5, 0xFF, 0x00, 0x05, 0x02, 0x03, 0x00, 0x00, 0x00};
    EXPECT_EQ(a.push(setup.data(), setup.size(), &done), SegmentAssembler::Verdict::Accepted);
    EXPECT_EQ(done->form, handsim::PcMessage::Form::Command);
    EXPECT_EQ(done->bytes.size(), 5u);

    // A message abandoned after its first segment, then a message of one segment.
    EXPECT_EQ(a.push(first.data(), first.size(), &done), SegmentAssembler::Verdict::Accepted);
    const auto single = pc_segment(0xFF, Bytes(18, 9), 18);
    EXPECT_EQ(a.push(single.data(), single.size(), &done), SegmentAssembler::Verdict::Accepted);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->bytes, Bytes(18, 9));
}

TEST(SegmentAssembler, RefusesWhatContradictsTheLengthAndIgnoresStrangers) {
    SegmentAssembler a;
    std::optional<handsim::PcMessage> done;
    const auto short_total = pc_segment(0xFF, Bytes(10, 1), 12);
    EXPECT_EQ(a.push(short_total.data(), short_total.size(), &done),
              SegmentAssembler::Verdict::Refused);
    const auto too_big = pc_segment(0, Bytes(251, 1), 60000);
    EXPECT_EQ(a.push(too_big.data(), too_big.size(), &done), SegmentAssembler::Verdict::Refused);
    const auto orphan = pc_segment(3, Bytes(253, 1));
    EXPECT_EQ(a.push(orphan.data(), orphan.size(), &done), SegmentAssembler::Verdict::Refused);
    const Bytes stranger = {0x99, 0xFF, 1, 2, 3};
    EXPECT_EQ(a.push(stranger.data(), stranger.size(), &done), SegmentAssembler::Verdict::Ignored);
    const auto first = pc_segment(0, Bytes(251, 1), 300);
    a.push(first.data(), first.size(), &done);
    const auto overrun = pc_segment(0xFF, Bytes(100, 1));
    EXPECT_EQ(a.push(overrun.data(), overrun.size(), &done), SegmentAssembler::Verdict::Refused);
    EXPECT_FALSE(done);
    EXPECT_EQ(a.push(nullptr, 0, &done), SegmentAssembler::Verdict::Refused);
}

TEST(SegmentCodec, HandsetMessagesGoOutAsLongHeaderSegments) {
    const Bytes body(520, 0xAB);
    const auto segs = handsim::long_header_segments(83, 2, 0x7901, body.data(), body.size());
    ASSERT_EQ(segs.size(), 3u);  // 536 bytes: 253 + 253 + 30
    EXPECT_EQ(segs[0][0], 0xD4);
    EXPECT_EQ(segs[0][1], 0);
    EXPECT_EQ(segs[1][1], 1);
    EXPECT_EQ(segs[2][1], 0xFF);
    EXPECT_EQ(segs[0].size(), 255u);
    EXPECT_EQ(segs[2].size(), 32u);
    // Header as the PC reads it from payload offset 2.
    EXPECT_EQ(segs[0][2], 83);
    EXPECT_EQ(segs[0][2 + 12] | segs[0][2 + 13] << 8, 520);
    EXPECT_EQ(segs[0][2 + 14] | segs[0][2 + 15] << 8, 0x7901);

    const auto parsed = handsim::parse_signal_message(Bytes{2, 83, 0, 0, 2, 0, 0x05, 0x79, 7, 8});
    EXPECT_EQ(parsed->signal_id, 0x7905);
    EXPECT_EQ(parsed->body, (Bytes{7, 8}));
    EXPECT_FALSE(handsim::parse_signal_message(Bytes{2, 83, 0, 0, 9, 0, 0x05, 0x79, 7, 8}));
}

TEST(ControlCommand, ParsesTheLanguageAndRejectsTheRest) {
    std::string error;
    auto c = handsim::parse_control("event 0x2 after 5", &error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, handsim::ControlCommand::Kind::Event);
    EXPECT_EQ(c->number, 2u);
    EXPECT_EQ(c->after, 5);
    c = handsim::parse_control("  silent   delete ", &error);
    EXPECT_EQ(c->command, handsim::CommandName::Delete);
    c = handsim::parse_control("format refuse", &error);
    EXPECT_EQ(c->format, handsim::FormatFault::Refuse);
    c = handsim::parse_control("in-use abc.bmp", &error);
    EXPECT_EQ(c->name, "abc.bmp");
    EXPECT_TRUE(handsim::parse_control("noise on", &error)->on);
    c = handsim::parse_control("at 12 delay 700", &error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->kind, handsim::ControlCommand::Kind::At);
    EXPECT_EQ(c->number, 12u);
    EXPECT_EQ(c->point, handsim::PointFault::Delay);
    EXPECT_EQ(c->second, 700u);
    c = handsim::parse_control("at 3 event 2", &error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->point, handsim::PointFault::Event);
    EXPECT_EQ(c->second, 2u);
    EXPECT_EQ(handsim::parse_control("at 1 lose-ack", &error)->point, handsim::PointFault::LoseAck);

    for (const char *bad :
         {"", "event", "event x", "nak-every -1", "delay 999999999", "silent everything",
          "format maybe", "noise", "bogus 1", "nak-every 1 2", "clear now", "at 0 drop", "at 2",
          "at 2 melt", "at 2 drop 5", "at 2 delay", "at 2 event", "at x twice"}) {
        EXPECT_FALSE(handsim::parse_control(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(ExchangePoint, FramesAreNamedByTheMessageTheyStart) {
    // The PC's first segment: type, sequence, total length, then the signal-form message.
    auto first_segment = [](uint16_t signal, const Bytes &body) {
        Bytes m(8, 0);
        m[0] = 2;
        m[1] = 83;
        zemlo::write_le16(&m[4], static_cast<uint16_t>(body.size()));
        zemlo::write_le16(&m[6], signal);
        m.insert(m.end(), body.begin(), body.begin() + std::min<size_t>(body.size(), 243));
        Bytes seg(4 + m.size());
        seg[0] = 0xD3;
        seg[2] = static_cast<uint8_t>((body.size() + 8) >> 8);
        seg[3] = static_cast<uint8_t>(body.size() + 8);
        std::copy(m.begin(), m.end(), seg.begin() + 4);
        return seg;
    };
    auto command = [](uint16_t code, uint16_t action = 0) {
        rec::RemoteCommand c;
        c.group = rec::kGroupFile;
        c.code = code;
        c.action = action;
        const auto b = rec::encode_remote_command(c);
        return Bytes(b.begin(), b.end());
    };
    auto packet = [](const rec::DownloadPacket &p) {
        const auto b = rec::encode_packet(p);
        return Bytes(b.begin(), b.end());
    };
    auto name = [](const Bytes &seg) {
        return handsim::describe_pc_segment(seg.data(), seg.size());
    };
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_EQ(name(first_segment(rec::kSigDlwRemoteCmdInd, command(rec::kCodeRename))), "rename");
    EXPECT_EQ(name(first_segment(rec::kSigDlwRemoteCmdInd,
                                 command(rec::kCodeAfterDownload, rec::kActionDiscard))),
              "action discard");
    EXPECT_EQ(name(first_segment(rec::kSigDownloadDataInd, packet(rec::make_pc_start_packet(3)))),
              "start packet");
    EXPECT_EQ(
        name(first_segment(rec::kSigDownloadDataInd, packet(rec::make_data_packet(2, data, 3)))),
        "data packet 2");
    EXPECT_EQ(name(first_segment(rec::kSigDownloadAckRsp, Bytes(8, 0))), "listing ack");
    EXPECT_EQ(name({0xD5, 0xFF, 0x00, 0x05, 0x02, 0x03, 0x00, 0x00, 0x00}), "setup");
    EXPECT_FALSE(name({0xD3, 0x01, 0x55, 0x55, 0x55})) << "a later segment starts nothing";

    EXPECT_EQ(handsim::describe_handset_message(rec::kSigDlwRemoteCmdRsp, Bytes(12, 0)), "reply");
    EXPECT_EQ(handsim::describe_handset_message(rec::kSigDownloadDataInd,
                                                packet(rec::make_handset_start_packet(2))),
              "listing start");
    EXPECT_EQ(handsim::describe_handset_message(rec::kSigDownloadDataInd,
                                                packet(rec::make_data_packet(1, data, 3, 1))),
              "listing packet 1");
    EXPECT_EQ(handsim::describe_handset_message(rec::kSigDownloadAckRsp, Bytes(8, 0)),
              "packet ack");
}

}  // namespace
