#include "download_flow.h"

#include <fstream>
#include <iterator>

#include "handset_picture.h"

namespace zemlo::testing {
namespace {

namespace rec = zemlo::records;

handsim::HandlinkSession::Reply after_download(handsim::HandlinkSession &session, bool melody,
                                               uint16_t action) {
    rec::RemoteCommand c;
    c.group = rec::kGroupFile;
    c.code = rec::kCodeAfterDownload;
    c.argument = melody ? rec::kArgumentMelody : rec::kArgumentPicture;
    c.action = action;
    return session.remote(c);
}

}  // namespace

bool handshake(handsim::HandlinkSession &session) {
    rec::RemoteCommand c;
    c.group = rec::kGroupHandshake;
    c.code = rec::kHandshakeConnect;
    const auto r = session.remote(c);
    return r.answered() && r.reply.status == rec::kStatusAccepted;
}

bool download_and_keep(handsim::HandlinkSession &session, const std::string &handset_path,
                       const std::vector<uint8_t> &file, bool melody, std::string *error) {
    rec::RemoteCommand announce;
    announce.group = rec::kGroupFile;
    announce.code = rec::kCodeAnnounce;
    announce.first_path = handset_path;
    if (session.remote(announce).reply.result != rec::kResultDownloadAccepted) {
        *error = "the handset did not accept the download of " + handset_path;
        return false;
    }
    const auto sent = session.send_file(file, melody, false);
    if (!sent.delivered) {
        *error = "packet " + std::to_string(sent.failed_packet) + " of " + handset_path +
                 " was not taken";
        return false;
    }
    for (const uint16_t action : {rec::kActionPreview, rec::kActionSave}) {
        if (after_download(session, melody, action).reply.result != rec::kResultDone) {
            *error = "the handset did not do after-download action " + std::to_string(action) +
                     " for " + handset_path;
            return false;
        }
    }
    return true;
}

bool disconnect(handsim::HandlinkSession &session) {
    rec::RemoteCommand bye;
    bye.group = rec::kGroupDisconnect;
    const auto r = session.remote(bye);
    return r.answered() && r.reply.status == rec::kStatusAccepted;
}

std::optional<std::vector<uint8_t>> picture_from_text_file(const std::string &text_path,
                                                           std::string *error) {
    std::ifstream in(text_path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + text_path;
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return zemlo::media::handset_picture_from_text(text, error);
}

}  // namespace zemlo::testing
