#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A TCP receiver on 127.0.0.1 that only counts bytes: what a sender achieves when the receiver is
// no limit.
class DiscardSink {
public:
    DiscardSink() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        m_ok = ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               ::listen(m_listener, 8) == 0 &&
               ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~DiscardSink() {
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        m_thread.join();
    }
    DiscardSink(const DiscardSink&) = delete;
    DiscardSink& operator=(const DiscardSink&) = delete;

    [[nodiscard]] bool Ok() const { return m_ok; }
    [[nodiscard]] std::uint16_t Port() const { return m_port; }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_received = 0;
    }
    bool WaitFor(long long count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::minutes(2), [&] { return m_received >= count; });
    }

private:
    void Serve() {
        std::vector<char> buffer(1 << 20);
        for (;;) {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                return;
            for (ssize_t n; (n = ::read(connection, buffer.data(), buffer.size())) > 0;) {
                std::lock_guard lock(m_mutex);
                m_received += n;
                m_changed.notify_all();
            }
            ::close(connection);
        }
    }

    int m_listener = -1;
    bool m_ok = false;
    std::uint16_t m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    long long m_received = 0;
    std::thread m_thread;
};
