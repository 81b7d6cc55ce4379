#include "sim/vicc/vpcd_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace kestrova::sim::vicc {
namespace {

constexpr auto kRetryPause = std::chrono::milliseconds(50);

void SetTcpOption(int descriptor, int option) {
    const int on = 1;
    // Without these options the card still works, only slower.
    static_cast<void>(setsockopt(descriptor, IPPROTO_TCP, option, &on, sizeof on));
}

struct AddressList {
    addrinfo* first = nullptr;
    ~AddressList() {
        if (first != nullptr) {
            freeaddrinfo(first);
        }
    }
};

// Connects one socket without blocking for longer than waitMs.
bool ConnectWithin(int descriptor, const addrinfo* address, int waitMs) {
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) < 0) {
        return false;
    }
    if (connect(descriptor, address->ai_addr, address->ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            return false;
        }
        pollfd waiting{descriptor, POLLOUT, 0};
        int ready = 0;
        do {
            ready = poll(&waiting, 1, waitMs);
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0) {
            errno = ready == 0 ? ETIMEDOUT : errno;
            return false;
        }
        int failure = 0;
        socklen_t length = sizeof failure;
        if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &failure, &length) != 0) {
            return false;
        }
        if (failure != 0) {
            errno = failure;
            return false;
        }
    }
    return fcntl(descriptor, F_SETFL, flags) == 0;
}

// One attempt over every address of the host: a connected descriptor, or -1
// with errno from the last attempt.
int ConnectOnce(const addrinfo* addresses, int waitMs) {
    int lastError = ECONNREFUSED;
    for (const addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
        const int descriptor =
            socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (descriptor < 0) {
            lastError = errno;
            continue;
        }
        if (ConnectWithin(descriptor, address, waitMs)) {
            return descriptor;
        }
        lastError = errno;
        close(descriptor);
    }
    errno = lastError;
    return -1;
}

}  // namespace

std::unique_ptr<VpcdConnection> VpcdConnection::Open(const std::string& host, std::uint16_t port,
                                                     int timeoutMs, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    AddressList addresses;
    const std::string service = std::to_string(port);
    if (const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses.first);
        status != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(status);
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int waitMs = static_cast<int>(std::clamp<long long>(left.count(), 1, 1000));
        const int descriptor = ConnectOnce(addresses.first, waitMs);
        if (descriptor >= 0) {
            SetTcpOption(descriptor, TCP_NODELAY);
            SetTcpOption(descriptor, TCP_QUICKACK);
            return std::make_unique<VpcdConnection>(descriptor);
        }
        const int reason = errno;
        if (std::chrono::steady_clock::now() >= deadline) {
            error = "cannot reach vpcd at ";
            error.append(host).append(":").append(service).append(": ");
            error.append(std::strerror(reason));
            return nullptr;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

VpcdConnection::~VpcdConnection() {
    close(descriptor_);
}

bool VpcdConnection::ReadInto(FrameReader& frames) {
    std::uint8_t buffer[4096];
    ssize_t count = 0;
    do {
        count = recv(descriptor_, buffer, sizeof buffer, 0);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        return false;
    }
    // The kernel turns quick acknowledgements off again by itself.
    SetTcpOption(descriptor_, TCP_QUICKACK);
    frames.Append(buffer, static_cast<std::size_t>(count));
    return true;
}

bool VpcdConnection::Send(const Bytes& payload) {
    const auto frame = EncodeFrame(payload);
    if (!frame) {
        return false;
    }
    std::size_t sent = 0;
    while (sent < frame->size()) {
        const ssize_t count =
            send(descriptor_, frame->data() + sent, frame->size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace kestrova::sim::vicc
