#include "bridge/host/frame_io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrova::bridge {
namespace {

// Windows' read and write count in unsigned int; a frame is at most 1 MiB
// anyway, so each call moves at most that much.
#ifdef _WIN32
using IoCount = unsigned int;
#else
using IoCount = std::size_t;
#endif
constexpr std::size_t kLargestIo = std::size_t{1} << 20;

IoCount IoSize(std::size_t size) {
    return static_cast<IoCount>(std::min(size, kLargestIo));
}

// False at end of input or on an error before `size` bytes arrived.
bool ReadExactly(int fd, char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const auto count = read(fd, out + done, IoSize(size - done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

FrameStatus ReadFrame(int fd, std::string& body) {
    body.clear();
    std::uint32_t length = 0;
    char prefix[sizeof length];
    if (!ReadExactly(fd, prefix, sizeof prefix)) {
        return FrameStatus::kEnd;
    }
    std::memcpy(&length, prefix, sizeof length);
    if (length > kMaxFrameBytes) {
        return FrameStatus::kTooLarge;
    }
    body.resize(length);
    if (!ReadExactly(fd, body.data(), length)) {
        body.clear();
        return FrameStatus::kEnd;
    }
    return FrameStatus::kFrame;
}

std::string EncodeFrame(std::string_view body) {
    const auto length = static_cast<std::uint32_t>(body.size());
    std::string frame(sizeof length, '\0');
    std::memcpy(frame.data(), &length, sizeof length);
    frame.append(body);
    return frame;
}

bool WriteFrame(int fd, std::string_view body) {
    const std::string frame = EncodeFrame(body);
    std::size_t done = 0;
    while (done < frame.size()) {
        const auto count = write(fd, frame.data() + done, IoSize(frame.size() - done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace kestrova::bridge
