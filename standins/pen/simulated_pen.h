// A barcode pen on a pseudo-terminal: each "c" it receives is answered with the next scripted
// record followed by LF CR, optionally cut into pieces sent apart; once the script is used up
// it stays silent. Every byte received is kept, so tests can count the requests.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace standins {

class SimulatedPen {
  public:
    struct Answer {
        std::vector<std::string> pieces;     // sent in this order, LF CR included by the caller
        std::chrono::milliseconds delay{0};  // before each piece
    };

    // Opens the pseudo-terminal in raw mode; throws std::runtime_error on failure.
    SimulatedPen();
    ~SimulatedPen();
    SimulatedPen(const SimulatedPen&) = delete;
    SimulatedPen& operator=(const SimulatedPen&) = delete;

    // The terminal side's path ("/dev/pts/N"), for a dosdevices link.
    const std::string& TerminalPath() const { return terminalPath_; }

    // Script, before Start: one record answered in one piece ("EMPTY" included by the caller).
    void AddRecord(const std::string& record);
    void AddAnswer(Answer answer);
    // The record is split into pieces of at most size bytes, each after delay.
    void AddRecordInPieces(const std::string& record, std::size_t size,
                           std::chrono::milliseconds delay);

    // Before Start: every byte received is sent straight back, and the script is not used (a
    // loop-back plug, for tests of the serial line itself).
    void EchoEverything() { echo_ = true; }

    void Start();
    void Stop();

    std::string Received() const;
    int Requests() const;  // the "c" bytes received

  private:
    void Run();
    void WriteAll(std::string_view bytes);

    int master_ = -1;
    int terminal_ = -1;  // kept open so the line stays up between the reader's openings
    std::string terminalPath_;
    mutable std::mutex mutex_;
    std::deque<Answer> script_;
    std::string received_;
    std::atomic<bool> stop_{false};
    bool echo_ = false;
    std::thread thread_;
};

}  // namespace standins
