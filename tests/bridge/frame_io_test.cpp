// The browsers' framing over a real pipe: lengths whose bytes are line feeds
// and end-of-file characters in text mode, the 1 MiB limit, and input cut
// short.

#include "bridge/host/frame_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrova::bridge {
namespace {

// Writes `bytes` into a pipe on a thread of its own (more than a pipe holds),
// closes it, and reads frames from the other end until it ends.
std::vector<std::pair<FrameStatus, std::string>> ReadAllFrom(const std::string& bytes) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    std::thread writer([&] {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = write(fds[1], bytes.data() + done, bytes.size() - done);
            if (count <= 0) {
                break;
            }
            done += static_cast<std::size_t>(count);
        }
        close(fds[1]);
    });
    std::vector<std::pair<FrameStatus, std::string>> frames;
    for (;;) {
        std::string body;
        const FrameStatus status = ReadFrame(fds[0], body);
        frames.emplace_back(status, body);
        if (status != FrameStatus::kFrame) {
            break;
        }
    }
    close(fds[0]);
    writer.join();
    return frames;
}

std::string LengthPrefix(std::uint32_t length) {
    std::string prefix(sizeof length, '\0');
    std::memcpy(prefix.data(), &length, sizeof length);
    return prefix;
}

TEST(FrameIo, BodiesOfEveryAwkwardLengthComeBackWhole) {
    // 0x0A and 0x1A in the length's bytes: a text-mode stream would turn
    // them into line ends or an end of file.
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{0x0A}, std::size_t{0x1A}, std::size_t{0x0A0A},
          std::size_t{0x1A0A}, std::size_t{0x0A1A0A}, kMaxFrameBytes}) {
        std::string body(length, '\0');
        for (std::size_t i = 0; i < length; ++i) {
            body[i] = static_cast<char>("\n\x1a{}x"[i % 5]);
        }
        const std::string frame = EncodeFrame(body);
        ASSERT_EQ(frame.size(), length + 4);
        EXPECT_EQ(frame.substr(0, 4), LengthPrefix(static_cast<std::uint32_t>(length)));
        const auto frames = ReadAllFrom(frame + frame);
        ASSERT_EQ(frames.size(), 3U) << length;
        EXPECT_TRUE(frames[0].first == FrameStatus::kFrame && frames[0].second == body) << length;
        EXPECT_TRUE(frames[1].first == FrameStatus::kFrame && frames[1].second == body) << length;
        EXPECT_EQ(frames[2].first, FrameStatus::kEnd);
    }
}

TEST(FrameIo, InputCutShortOrTooLargeEndsTheStream) {
    const struct {
        const char* name;
        std::string bytes;
        FrameStatus last;
    } cases[] = {
        {"nothing", "", FrameStatus::kEnd},
        {"half a length", LengthPrefix(10).substr(0, 2), FrameStatus::kEnd},
        {"a body cut short", LengthPrefix(10) + "{\"id\":", FrameStatus::kEnd},
        {"one byte over 1 MiB", LengthPrefix(kMaxFrameBytes + 1), FrameStatus::kTooLarge},
        {"the largest length", LengthPrefix(0xFFFFFFFF) + "{}", FrameStatus::kTooLarge},
    };
    for (const auto& c : cases) {
        const auto frames = ReadAllFrom(EncodeFrame("{}") + c.bytes);
        ASSERT_EQ(frames.size(), 2U) << c.name;
        EXPECT_EQ(frames[0].second, "{}") << c.name;
        EXPECT_EQ(frames[1].first, c.last) << c.name;
        EXPECT_TRUE(frames[1].second.empty()) << c.name;
    }
}

TEST(FrameIo, WritingToAClosedPipeFailsWithoutASignal) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    signal(SIGPIPE, SIG_IGN);
    EXPECT_FALSE(WriteFrame(fds[1], "{}"));
    close(fds[1]);
}

}  // namespace
}  // namespace kestrova::bridge
