// qivra28-service: the program's default results service on this machine.

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>

#include "core/text.hpp"
#include "service/history_csv.hpp"
#include "service/results_service.hpp"

#ifndef QIVRA_SERVICE_PORT
#define QIVRA_SERVICE_PORT 28028
#endif

namespace {

void Usage(std::ostream& out) {
    out << "usage: qivra28-service [--port N] [--bind ADDR]\n"
           "  --port N     port to listen on (default " << QIVRA_SERVICE_PORT << ", 0 = any free port)\n"
           "  --bind ADDR  address to listen on (default 127.0.0.1)\n"
           "  --history-csv GAME DAYS FILE  write DAYS days of the game's history as CSV and exit\n";
}

}  // namespace

int main(int argc, char** argv) {
    int port = QIVRA_SERVICE_PORT;
    std::string bind = "127.0.0.1";
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        }
        if (arg == "--history-csv" && i + 3 < argc)
            return qivra::WriteHistoryCsvCommand(argv[i + 1], argv[i + 2], argv[i + 3],
                                                 qivra::ResultsService::Options{}.seed, std::cerr);
        if ((arg == "--port" || arg == "--bind") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--bind") {
                bind = value;
                continue;
            }
            if (!qivra::IsIntegerText(value) || qivra::Trim(value).size() > 5 || qivra::IntegerValue(value) < 0 ||
                qivra::IntegerValue(value) > 65535) {
                std::cerr << "qivra28-service: not a port: " << value << "\n";
                return 2;
            }
            port = qivra::IntegerValue(value);
            continue;
        }
        std::cerr << "qivra28-service: unknown argument: " << arg << "\n";
        Usage(std::cerr);
        return 2;
    }

    // Signals are taken by sigwait below; block them before any server thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    static std::mutex outputMutex;
    qivra::ResultsService::Options options;
    options.requestLog = [](const std::string& line) {
        std::lock_guard<std::mutex> lock(outputMutex);
        std::cout << line << std::endl;
    };
    qivra::ResultsService service(options);
    if (service.Start(bind, port) < 0) {
        std::cerr << "qivra28-service: cannot listen on " << bind << ":" << port << "\n";
        return 1;
    }
    {
        std::lock_guard<std::mutex> lock(outputMutex);
        std::cout << service.ConfigUrl() << std::endl;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    service.Stop();
    std::lock_guard<std::mutex> lock(outputMutex);
    std::cout << "stopped (" << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ")" << std::endl;
    return 0;
}
