// kestrova-vicc against a stand-in for vpcd on a local socket: it connects,
// answers frames, closes the connection to take the card out and connects
// again to put it back.

#include "sim/vicc/vicc_loop.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <sstream>
#include <string>

#include "sim/vicc/vpcd_frames.h"
#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

constexpr int kWaitMs = 5000;

class Descriptor {
  public:
    explicit Descriptor(int value = -1) : value_(value) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Close(); }
    int get() const { return value_; }
    void Reset(int value) {
        Close();
        value_ = value;
    }
    void Close() {
        if (value_ >= 0) {
            close(value_);
            value_ = -1;
        }
    }

  private:
    int value_;
};

bool Readable(int descriptor, int waitMs = kWaitMs) {
    pollfd waiting{descriptor, POLLIN, 0};
    return poll(&waiting, 1, waitMs) == 1;
}

// What vpcd does on its side: listen, accept the card, send frames.
class FakeVpcd {
  public:
    FakeVpcd() : listener_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (bind(listener_.get(), raw, length) != 0 || listen(listener_.get(), 1) != 0 ||
            getsockname(listener_.get(), raw, &length) != 0) {
            ADD_FAILURE() << "cannot listen";
        }
        port_ = ntohs(address.sin_port);
    }

    std::uint16_t Port() const { return port_; }

    bool Accept() {
        if (!Readable(listener_.get())) {
            return false;
        }
        card_.Reset(accept(listener_.get(), nullptr, nullptr));
        return card_.get() >= 0;
    }

    bool Send(const std::string& payloadHex) {
        const auto frame = sim::vicc::EncodeFrame(sim::HexBytes(payloadHex));
        return send(card_.get(), frame->data(), frame->size(), MSG_NOSIGNAL) >= 0;
    }

    // The next answer's payload, "no answer" when none comes in time.
    std::string Receive(int waitMs = kWaitMs) {
        sim::vicc::FrameReader reader;
        while (Readable(card_.get(), waitMs)) {
            std::uint8_t buffer[512];
            const ssize_t count = recv(card_.get(), buffer, sizeof buffer, 0);
            if (count <= 0) {
                return "closed";
            }
            reader.Append(buffer, static_cast<std::size_t>(count));
            if (auto payload = reader.Next()) {
                return sim::HexText(*payload);
            }
        }
        return "no answer";
    }

    // Sends one frame and, when an answer is due, returns its payload.
    std::string Exchange(const std::string& payloadHex, bool answerDue = true) {
        if (!Send(payloadHex)) {
            return "send failed";
        }
        return answerDue ? Receive() : "";
    }

    // The card closed its side.
    bool CardGone() {
        if (!Readable(card_.get())) {
            return false;
        }
        std::uint8_t byte = 0;
        return recv(card_.get(), &byte, 1, 0) == 0;
    }

    void DropCard() { card_.Close(); }

  private:
    Descriptor listener_;
    Descriptor card_;
    std::uint16_t port_ = 0;
};

class ViccLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        commandsRead_.Reset(ends[0]);
        commandsWrite_.Reset(ends[1]);
        options_.port = vpcd_.Port();
        options_.connectTimeoutMs = 2000;
    }

    void Start() {
        result_ = std::async(std::launch::async, [this] {
            return sim::vicc::RunVicc(options_, card_, commandsRead_.get(), out_, err_);
        });
    }

    void Command(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(commandsWrite_.get(), text.data(), text.size()),
                  static_cast<ssize_t>(text.size()));
    }

    int Finish() {
        if (result_.wait_for(std::chrono::milliseconds(kWaitMs)) != std::future_status::ready) {
            ADD_FAILURE() << "kestrova-vicc did not stop";
            commandsWrite_.Close();
            vpcd_.DropCard();
        }
        return result_.get();
    }

    FakeVpcd vpcd_;
    sim::FinancialCard card_{SampleContent(sim::Protocol::kT0)};
    sim::vicc::ViccOptions options_;
    Descriptor commandsRead_;
    Descriptor commandsWrite_;
    std::ostringstream out_;
    std::ostringstream err_;
    std::future<int> result_;
};

TEST_F(ViccLoop, ServesTheCardAndTakesItOutAndBackOnCommand) {
    Start();
    ASSERT_TRUE(vpcd_.Accept());
    EXPECT_EQ(vpcd_.Exchange("04"), "3B021450");
    vpcd_.Exchange("01", false);
    EXPECT_EQ(vpcd_.Exchange("00A4040008A000000172950001"), "610C");
    EXPECT_EQ(vpcd_.Exchange("00C000000C"), "6F0A8408A0000001729500019000");
    Command("remove");
    EXPECT_TRUE(vpcd_.CardGone());
    Command("remove");
    Command("insert");
    ASSERT_TRUE(vpcd_.Accept());
    vpcd_.Exchange("01", false);
    EXPECT_EQ(vpcd_.Exchange("00C000000C"), "6985") << "a fresh power-up";
    Command("dance");
    Command("quit");
    EXPECT_EQ(Finish(), sim::vicc::kViccExitSuccess);
    EXPECT_EQ(out_.str(),
              "card inserted\ncard removed\nerror: the card is already out\ncard inserted\n"
              "error: unknown command \"dance\" (remove, remove-after-command, hold-after-command, "
              "release, insert, quit)\n");
}

// Armed, the card goes right after answering the chosen command, before vpcd
// can send the next one; commands that start otherwise do not count. A
// command line is in force for every frame sent after it.
TEST_F(ViccLoop, TakesTheCardOutRightAfterTheArmedCommand) {
    Start();
    ASSERT_TRUE(vpcd_.Accept());
    vpcd_.Exchange("01", false);
    for (const char* wrong : {"remove-after-command 0G", "remove-after-command 002",
                              "remove-after-command 00 0", "remove-after-command 0020 x"}) {
        Command(wrong);
    }
    Command("remove-after-command 00a404 2");
    EXPECT_EQ(vpcd_.Exchange("00A40400023F00").substr(0, 2), "6A");
    EXPECT_EQ(vpcd_.Exchange("00A4020002C200").substr(0, 2), "6A");  // still in
    EXPECT_EQ(vpcd_.Exchange("00A4040008A000000172950001"), "610C");
    EXPECT_TRUE(vpcd_.CardGone());
    Command("quit");
    EXPECT_EQ(Finish(), sim::vicc::kViccExitSuccess);
    EXPECT_EQ(out_.str(),
              "card inserted\n"
              "error: remove-after-command takes 1 to 16 bytes in hex\n"
              "error: remove-after-command takes 1 to 16 bytes in hex\n"
              "error: the count of remove-after-command must be a number from 1 to 1000\n"
              "error: the count of remove-after-command must be a number from 1 to 1000\n"
              "armed\ncard removed\n");
}

TEST_F(ViccLoop, CanStartWithTheCardOutAndStopsWhenTheCommandsEndWhileItIsOut) {
    options_.startRemoved = true;
    Start();
    Command("insert");
    ASSERT_TRUE(vpcd_.Accept());
    EXPECT_EQ(vpcd_.Exchange("04"), "3B021450");
    Command("insert");
    Command("remove");
    ASSERT_TRUE(vpcd_.CardGone());
    commandsWrite_.Close();
    EXPECT_EQ(Finish(), sim::vicc::kViccExitSuccess);
    EXPECT_EQ(out_.str(), "card inserted\nerror: the card is already in\ncard removed\n");
}

TEST_F(ViccLoop, KeepsServingWhenTheCommandsEndWithTheCardIn) {
    Start();
    ASSERT_TRUE(vpcd_.Accept());
    commandsWrite_.Close();
    EXPECT_EQ(vpcd_.Exchange("04"), "3B021450");
    EXPECT_EQ(vpcd_.Exchange("00B0000010"), "6986");
    vpcd_.DropCard();
    // The daemon went: the card is out, and no command can put it back.
    EXPECT_EQ(Finish(), sim::vicc::kViccExitSuccess);
    EXPECT_EQ(out_.str(), "card inserted\ncard removed\n");
    EXPECT_NE(err_.str().find("vpcd closed the connection"), std::string::npos) << err_.str();
}

// A hold stops the card between two commands of one operation; the next
// frame waits, unanswered, until the release.
TEST_F(ViccLoop, HoldsAfterTheArmedCommandUntilReleased) {
    Start();
    ASSERT_TRUE(vpcd_.Accept());
    EXPECT_EQ(vpcd_.Exchange("01", false), "");
    Command("release");
    Command("hold-after-command 00B0");
    EXPECT_EQ(vpcd_.Exchange("00B0000010"), "6986");
    ASSERT_TRUE(vpcd_.Send("00A4040008A000000172950001"));
    EXPECT_EQ(vpcd_.Receive(300), "no answer") << "held";
    Command("release");
    EXPECT_EQ(vpcd_.Receive(), "610C");
    Command("quit");
    EXPECT_EQ(Finish(), sim::vicc::kViccExitSuccess);
    EXPECT_EQ(out_.str(), "card inserted\nerror: nothing is held\narmed\nheld\nreleased\n");
}

TEST_F(ViccLoop, GivesUpWhenVpcdCannotBeReached) {
    options_.port = 1;  // nothing listens there
    options_.connectTimeoutMs = 200;
    Start();
    EXPECT_EQ(Finish(), sim::vicc::kViccExitFailure);
    EXPECT_EQ(out_.str().rfind("error: cannot reach vpcd at 127.0.0.1:1", 0), 0U) << out_.str();
}

}  // namespace
}  // namespace kestrova::sim_card_test
