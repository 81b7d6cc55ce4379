#pragma once

// One page connection: the origin first, then the page's calls, each carried
// out on the calling thread in the order they came, until the browser closes
// the connection.

namespace kestrova::platform {
class UserInterface;
}

namespace kestrova::bridge {

class SessionLog;

inline constexpr int kSessionClosed = 0;   // the browser closed the connection
inline constexpr int kSessionRefused = 1;  // no origin first, a message too large, or output gone

// Reads messages from inputFd and writes replies to outputFd, on one control
// shown in `view`. When the input ends, a window still open is cancelled, the
// control's cards are disconnected and the session returns. The log, when
// given, records the origin, each call and the end.
int RunBridgeSession(int inputFd, int outputFd, platform::UserInterface& view,
                     SessionLog* log = nullptr);

}  // namespace kestrova::bridge
