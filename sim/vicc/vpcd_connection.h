#pragma once

// The TCP connection to vpcd, on which the card counts as present while the
// connection is open. Nagle's algorithm and delayed acknowledgements are
// turned off: with them every command would wait about 40 ms.

#include <cstdint>
#include <memory>
#include <string>

#include "sim/service/simulated_card.h"
#include "sim/vicc/vpcd_frames.h"

namespace kestrova::sim::vicc {

class VpcdConnection {
  public:
    // Connects to vpcd, trying again while it is not listening yet, until
    // timeoutMs have passed. Null, with the reason in error, when it fails.
    static std::unique_ptr<VpcdConnection> Open(const std::string& host, std::uint16_t port,
                                                int timeoutMs, std::string& error);

    explicit VpcdConnection(int descriptor) : descriptor_(descriptor) {}
    VpcdConnection(const VpcdConnection&) = delete;
    VpcdConnection& operator=(const VpcdConnection&) = delete;
    ~VpcdConnection();

    int Descriptor() const { return descriptor_; }

    // Reads what has arrived into the frame reader. False when vpcd closed
    // the connection or it failed.
    bool ReadInto(FrameReader& frames);

    // Sends one frame; false when the payload does not fit a frame or the
    // connection failed.
    bool Send(const Bytes& payload);

  private:
    int descriptor_;
};

}  // namespace kestrova::sim::vicc
