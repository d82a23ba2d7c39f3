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
#include "service/results_service.hpp"

#ifndef QIVRA_SERVICE_PORT
#define QIVRA_SERVICE_PORT 28028
#endif

namespace {

void Usage(std::ostream& out) {
    out << "usage: qivra28-service [--port N] [--bind ADDR] [--bias GAME:P[:FROM]]\n"
           "  --port N     port to listen on (default " << QIVRA_SERVICE_PORT << ", 0 = any free port)\n"
           "  --bind ADDR  address to listen on (default 127.0.0.1)\n"
           "  --bias GAME:P[:FROM]  draw game GAME (0 or 1) unfairly: sums of FROM (default 14) and more\n"
           "               with probability P, e.g. 0:0.6 (default off: every game draws fairly)\n";
}

}  // namespace

int main(int argc, char** argv) {
    int port = QIVRA_SERVICE_PORT;
    std::string bind = "127.0.0.1";
    qivra::DrawBias bias;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(std::cout);
            return 0;
        }
        if (arg == "--bias" && i + 1 < argc) {
            const auto parsed = qivra::ParseDrawBias(argv[++i]);
            if (!parsed) {
                std::cerr << "qivra28-service: not a bias (GAME:P[:FROM]): " << argv[i] << "\n";
                return 2;
            }
            bias = *parsed;
            continue;
        }
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
    options.bias = bias;
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
        if (bias.Active()) std::cout << "biased draws: " << qivra::DrawBiasText(bias) << std::endl;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    service.Stop();
    std::lock_guard<std::mutex> lock(outputMutex);
    std::cout << "stopped (" << (signal == SIGINT ? "SIGINT" : "SIGTERM") << ")" << std::endl;
    return 0;
}
