// Connect and list: the handshake, then the request for the handset's listing, which arrives
// afterwards as a block transfer taken in on the window thread (HandsetInbox).
#pragma once

#include "operation_context.h"

namespace zemlo::app {

// Connects to the handset and asks for its listing; true when the listing was asked for, so the
// connect's outcome comes with it.
bool connect_handset(OperationContext &ctx);

// Arms the receiver for the listing and asks the handset for it; false when the request could not
// be sent.
bool request_listing(OperationContext &ctx, ListingPurpose purpose);

// Asks a connected handset for its listing again (after a command it did not confirm), so the
// table shows what the handset has.
void relist_handset(OperationContext &ctx);

}  // namespace zemlo::app
