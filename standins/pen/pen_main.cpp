// pen_simulator --link PATH [--record TEXT]... [--generate N] [--pieces SIZE,MS]
//               [--log FILE] [--lifetime SECONDS]
// Links PATH (e.g. $WINEPREFIX/dosdevices/com5) to a simulated pen, prints "ready" when it
// listens, and answers until SIGTERM or the lifetime ends. --generate adds N readings
// "ARTnnnn;n;n;1,5" and then "EMPTY". --log writes every byte received when it ends.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "simulated_pen.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }
}  // namespace

int main(int argc, char** argv) {
    std::string link;
    std::string log;
    int lifetime = 60;
    std::size_t pieceSize = 0;
    int pieceDelay = 0;
    try {
        standins::SimulatedPen pen;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            const char* value = i + 1 < argc ? argv[i + 1] : "";
            if (arg == "--link") {
                link = value;
                ++i;
            } else if (arg == "--record") {
                if (pieceSize > 0) {
                    pen.AddRecordInPieces(value, pieceSize, std::chrono::milliseconds(pieceDelay));
                } else {
                    pen.AddRecord(value);
                }
                ++i;
            } else if (arg == "--generate") {
                const int count = std::atoi(value);
                for (int n = 1; n <= count; ++n) {
                    pen.AddRecord("ART" + std::to_string(n) + ";" + std::to_string(n) + ";" +
                                  std::to_string(n % 7) + ";1,5");
                }
                pen.AddRecord("EMPTY");
                ++i;
            } else if (arg == "--pieces") {
                std::sscanf(value, "%zu,%d", &pieceSize, &pieceDelay);
                ++i;
            } else if (arg == "--log") {
                log = value;
                ++i;
            } else if (arg == "--lifetime") {
                lifetime = std::atoi(value);
                ++i;
            } else {
                std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
                return 2;
            }
        }
        if (!link.empty()) {
            unlink(link.c_str());
            if (symlink(pen.TerminalPath().c_str(), link.c_str()) != 0) {
                std::perror("symlink");
                return 1;
            }
        }
        std::signal(SIGTERM, RequestStop);
        std::signal(SIGINT, RequestStop);
        pen.Start();
        std::printf("ready %s\n", pen.TerminalPath().c_str());
        std::fflush(stdout);
        for (int tenths = 0; tenths < lifetime * 10 && !stopRequested; ++tenths) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        pen.Stop();
        if (!log.empty()) std::ofstream(log, std::ios::binary) << pen.Received();
        if (!link.empty()) unlink(link.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
