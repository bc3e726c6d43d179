#pragma once

#include "link/CardJob.h"

// The Reset command needs nothing beyond what both card commands share.
typedef CardJob EraseJob;

// Asks the user, then has the card erase itself; on the card's 'o' empties the data, refreshes the
// display and says so. Runs on the user-interface thread, which handles no messages while it waits
// (up to 35 s for the acknowledgement). 1 when the card was erased.
int EraseCard(EraseJob& job);
