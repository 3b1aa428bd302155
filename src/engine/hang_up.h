#pragma once

namespace tolvane::engine {

class CallContext;

// The call found the cancel request set: hang up, skip the page in hand (the cursor moves past it,
// nothing is logged) and offer to drop the pages left in the queue. Any line failure ends it quietly.
void endCancelledCall(CallContext& call);

// Talks to the modem until it confirms the hang-up (three attempts at most) and leaves the port
// closed, except when another program holds the port. Sets the cancel request on a confirmed hang-up.
void forcedHangUp(CallContext& call);

} // namespace tolvane::engine
