// The core's answers to what the handset sends of its own accord (HandsetInbox): its events, a
// lost line, and the listing that completes a connect or shows what the handset has again.
#include "main_core.h"

namespace zemlo::app {

void MainCore::handset_event(MessageId event) {
    inbox_.stop_listing();
    // A command that changes the store may already have reached the handset: what it did is
    // unknown, and the user is told so after the event.
    const bool unknown = runner_.busy() && values_.change_in_flight.exchange(false);
    const bool batch = runner_.busy() && runner_.pending() == Operation::DownloadBatch;
    // Stop the operation first, so that no step of it runs while the user reads the message.
    runner_.interrupt();
    runner_.show_report({ReportLevel::Failed, {event}});
    if (unknown) {
        runner_.show_report({ReportLevel::Failed, {MessageId::ResultUnknown}});
    }
    if (batch) {
        // After the event's own box: which files arrived before it, and why the rest did not.
        runner_.show_stopped_batch(render(event), unknown);
    }
    front_.operation_ended({runner_.pending(), false, unknown ? MessageId::ResultUnknown : event});
    listing_.forget_files();
    values_.cancel.store(true);
    runner_.end_busy();
    connection_.update(false, true);
    binding_.close_link();
}

void MainCore::line_lost() {
    // An operation under way sees its requests fail at once and ends the connection its own way;
    // an idle connection ends here, so the user is not left looking at a handset that is gone.
    if (runner_.busy() || !values_.connected.load()) {
        return;
    }
    inbox_.stop_listing();
    listing_.forget_files();
    connection_.update(false, true);
    binding_.close_link();
    runner_.show_report({ReportLevel::Failed, {MessageId::LineLost}});
    front_.operation_ended({Operation::None, false, MessageId::LineLost});
}

void MainCore::listing_arrived(const ListingResult &listing, ListingPurpose purpose) {
    if (purpose == ListingPurpose::FormatCheck) {
        // The format's operation judges it and shows it.
        runner_.take_checked_listing(listing);
        return;
    }
    if (listing.storage_ok) {
        listing_.take_storage(listing.capacity, listing.free_space);
    }
    if (!listing.accepted) {
        listing_failed(purpose);
        return;
    }
    values_.connected.store(true);
    listing_.take_text(listing.text);
    binding_.set_mode(kModeIdle);
    if (purpose == ListingPurpose::Again) {
        // A listing read again after an unconfirmed command: the state is already reported.
        if (!runner_.busy()) {
            connection_.update(true, true);
        }
        return;
    }
    connection_.update(true, true);
    runner_.show_report({ReportLevel::Finished, {MessageId::ConnectDone}});
    front_.operation_ended({Operation::Connect, true, MessageId::ConnectDone});
}

void MainCore::listing_failed(ListingPurpose purpose) {
    if (purpose == ListingPurpose::FormatCheck) {
        runner_.take_checked_listing(std::nullopt);
        return;
    }
    if (purpose == ListingPurpose::Again) {
        // The listing read again after an unconfirmed command did not come: the table can no
        // longer be trusted, and the connection ends.
        listing_.forget_files();
        connection_.update(false, true);
        binding_.close_link();
        return;
    }
    runner_.show_report({ReportLevel::Failed, {MessageId::ConnectFailed}});
    front_.operation_ended({Operation::Connect, false, MessageId::ConnectFailed});
}

}  // namespace zemlo::app
