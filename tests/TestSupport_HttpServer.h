// A small HTTP server on 127.0.0.1 for tests, with scripted replies per path (status, body, with or
// without Content-Length, a delay, an echo of the request body). It serves one connection at a time
// on a thread of its own, remembers every request, and stops by itself after 60 seconds or 200
// connections, whichever comes first.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpReply {
    int status = 200;
    std::string body;
    bool contentLength = true; // without it the connection's end ends the body
    int delayMs = 0;
    bool echo = false; // the body is the request's
    long long announced = -1; // a Content-Length other than the body's, when 0 or more
};

struct HttpSeen {
    std::string method;
    std::string target;
    std::string headers; // the header lines as sent, letter case kept
    std::string body;
};

class TestHttpServer {
public:
    TestHttpServer()
    {
        m_Listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(m_Listen, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(m_Listen, 32) != 0 ||
            getsockname(m_Listen, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        m_Port = ntohs(address.sin_port);
        m_Thread = std::thread([this] { Serve(); });
    }
    ~TestHttpServer()
    {
        m_Stop = true;
        if (m_Thread.joinable()) m_Thread.join();
        close(m_Listen);
    }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int Port() const { return m_Port; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_Port) + path; }
    // Paths without a route answer 404 "missing".
    void Route(const std::string& path, const HttpReply& reply)
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Routes[path] = reply;
    }
    std::vector<HttpSeen> Seen()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Seen;
    }

private:
    void Serve()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (int served = 0; !m_Stop && served < 200 && std::chrono::steady_clock::now() < deadline;) {
            pollfd ready = {m_Listen, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0) continue;
            int client = accept(m_Listen, nullptr, nullptr);
            if (client < 0) continue;
            timeval wait = {5, 0};
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
            Handle(client);
            close(client);
            ++served;
        }
    }

    static bool ReadMore(int fd, std::string& into)
    {
        char chunk[65536];
        ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        into.append(chunk, size_t(n));
        return true;
    }

    // libcurl writes the header in this case.
    static size_t ContentLength(const std::string& headers)
    {
        size_t at = headers.find("\r\nContent-Length:");
        return at == std::string::npos ? 0 : std::stoul(headers.substr(at + 17));
    }

    void Handle(int fd)
    {
        std::string text;
        size_t end;
        while ((end = text.find("\r\n\r\n")) == std::string::npos)
            if (!ReadMore(fd, text)) return;
        HttpSeen seen;
        seen.headers = text.substr(0, end + 2);
        size_t length = ContentLength(seen.headers);
        while (text.size() < end + 4 + length)
            if (!ReadMore(fd, text)) return;
        seen.body = text.substr(end + 4, length);
        size_t space = seen.headers.find(' ');
        seen.method = seen.headers.substr(0, space);
        seen.target = seen.headers.substr(space + 1, seen.headers.find(' ', space + 1) - space - 1);
        HttpReply reply{404, "missing"};
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Seen.push_back(seen);
            auto route = m_Routes.find(seen.target);
            if (route != m_Routes.end()) reply = route->second;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
        const std::string& body = reply.echo ? seen.body : reply.body;
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " Scripted\r\nConnection: close\r\n";
        long long announced = reply.announced >= 0 ? reply.announced : (long long)body.size();
        if (reply.contentLength) head += "Content-Length: " + std::to_string(announced) + "\r\n";
        std::string out = head + "\r\n" + body;
        for (size_t sent = 0; sent < out.size();) {
            ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += size_t(n);
        }
    }

    int m_Listen = -1;
    int m_Port = 0;
    std::atomic<bool> m_Stop{false};
    std::mutex m_Mutex;
    std::map<std::string, HttpReply> m_Routes;
    std::vector<HttpSeen> m_Seen;
    std::thread m_Thread;
};

} // namespace testsupport
