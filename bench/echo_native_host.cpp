// The floor of a native messaging round trip: a host that speaks the
// browsers' framing (4-byte native-endian length, then JSON) and answers each
// call frame at once with {"id":N,"result":"<method>"}, without a control.
// Frames without an "id" (the connection's opening frame) get no answer, as
// in kestrova-host. It ends when the browser closes its standard input.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::uint32_t kMaxFrame = 1024 * 1024;

bool ReadExactly(void* buffer, std::size_t size) {
    return std::fread(buffer, 1, size, stdin) == size;
}

// The text of "key":VALUE up to the next ',' or '}' (numbers) or the closing
// quote (strings); enough for the frames the extension sends.
std::string_view Field(std::string_view frame, std::string_view key, bool quoted) {
    const std::string needle = "\"" + std::string(key) + "\":";
    std::size_t at = frame.find(needle);
    if (at == std::string_view::npos) {
        return {};
    }
    at += needle.size();
    while (at < frame.size() && frame[at] == ' ') {
        ++at;
    }
    if (quoted) {
        if (at >= frame.size() || frame[at] != '"') {
            return {};
        }
        const std::size_t end = frame.find('"', at + 1);
        return end == std::string_view::npos ? std::string_view{}
                                             : frame.substr(at + 1, end - at - 1);
    }
    const std::size_t end = frame.find_first_of(",}", at);
    return end == std::string_view::npos ? std::string_view{} : frame.substr(at, end - at);
}

}  // namespace

int main() {
    std::string frame;
    for (;;) {
        std::uint32_t length = 0;
        if (!ReadExactly(&length, sizeof length) || length > kMaxFrame) {
            return 0;
        }
        frame.resize(length);
        if (!ReadExactly(frame.data(), length)) {
            return 0;
        }
        const std::string_view id = Field(frame, "id", false);
        const std::string reply = id.empty()
                                      ? std::string(R"({"ready":true,"version":"echo"})")
                                      : "{\"id\":" + std::string(id) + ",\"result\":\"" +
                                            std::string(Field(frame, "method", true)) + "\"}";
        const auto replyLength = static_cast<std::uint32_t>(reply.size());
        std::fwrite(&replyLength, sizeof replyLength, 1, stdout);
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        std::fflush(stdout);
    }
}
