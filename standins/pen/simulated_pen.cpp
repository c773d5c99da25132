#include "simulated_pen.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace standins {

SimulatedPen::SimulatedPen() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("cannot open a pseudo-terminal");
    }
    terminalPath_ = ptsname(master_);
    terminal_ = open(terminalPath_.c_str(), O_RDWR | O_NOCTTY);
    if (terminal_ < 0) throw std::runtime_error("cannot open " + terminalPath_);
    termios raw{};
    tcgetattr(terminal_, &raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B38400);
    tcsetattr(terminal_, TCSANOW, &raw);
}

SimulatedPen::~SimulatedPen() {
    Stop();
    if (terminal_ >= 0) close(terminal_);
    if (master_ >= 0) close(master_);
}

void SimulatedPen::AddRecord(const std::string& record) { AddAnswer({{record + "\n\r"}, {}}); }

void SimulatedPen::AddAnswer(Answer answer) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(answer));
}

void SimulatedPen::AddRecordInPieces(const std::string& record, std::size_t size,
                                     std::chrono::milliseconds delay) {
    const std::string bytes = record + "\n\r";
    Answer answer{{}, delay};
    for (std::size_t i = 0; i < bytes.size(); i += size)
        answer.pieces.push_back(bytes.substr(i, size));
    AddAnswer(std::move(answer));
}

void SimulatedPen::Start() {
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
}

void SimulatedPen::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

std::string SimulatedPen::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

int SimulatedPen::Requests() const {
    const std::string received = Received();
    return static_cast<int>(std::count(received.begin(), received.end(), 'c'));
}

void SimulatedPen::WriteAll(std::string_view bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno != EINTR && errno != EAGAIN) break;
        if (n > 0) sent += static_cast<std::size_t>(n);
    }
}

void SimulatedPen::Run() {
    char buffer[256];
    while (!stop_) {
        pollfd fd{master_, POLLIN, 0};
        const int ready = poll(&fd, 1, 100);
        if (ready <= 0 || !(fd.revents & POLLIN)) continue;
        const ssize_t got = read(master_, buffer, sizeof buffer);
        if (got <= 0) continue;
        if (echo_) {
            {
                std::lock_guard lock(mutex_);
                received_.append(buffer, static_cast<std::size_t>(got));
            }
            WriteAll(std::string_view(buffer, static_cast<std::size_t>(got)));
            continue;
        }
        for (ssize_t i = 0; i < got; ++i) {
            Answer answer;
            {
                std::lock_guard lock(mutex_);
                received_ += buffer[i];
                if (buffer[i] != 'c' || script_.empty()) continue;
                answer = std::move(script_.front());
                script_.pop_front();
            }
            for (const auto& piece : answer.pieces) {
                if (answer.delay.count() > 0) std::this_thread::sleep_for(answer.delay);
                WriteAll(piece);
            }
        }
    }
}

}  // namespace standins
