// qivra28-service: the program's default results service on this machine.

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>

#include "core/command_line.hpp"
#include "core/text.hpp"
#include "service/history_csv.hpp"
#include "service/results_service.hpp"

#ifndef QIVRA_SERVICE_PORT
#define QIVRA_SERVICE_PORT 28028
#endif

int main(int argc, char** argv) {
    qivra::CommandLineSpec form;
    form.program = "qivra28-service";
    form.summary = "Serves the remote configuration and both games' results feeds to the program on this machine.";
    form.options = {
        {"port", 0, "N", "port to listen on (default " + std::to_string(QIVRA_SERVICE_PORT) + ", 0 = any free port)"},
        {"bind", 0, "ADDR", "address to listen on (default 127.0.0.1)"},
        {"bias", 0, "GAME:P[:FROM]",
         "draw game GAME (0 or 1) unfairly: sums of FROM (default 14) and more with probability P, e.g. 0:0.6 "
         "(default off: every game draws fairly)"},
        {"history-csv", 0, "GAME,DAYS,FILE", "write DAYS days of the game's history as an archive CSV to FILE and exit"},
    };
    const qivra::CommandLine line = qivra::ParseCommandLine(form, argc, argv, std::cout, std::cerr);
    if (line.exitStatus) return *line.exitStatus;

    if (const auto value = line.Value("history-csv")) {
        // The file name may hold commas of its own: only the first two separate.
        const size_t first = value->find(',');
        const size_t second = first == std::string::npos ? first : value->find(',', first + 1);
        if (second == std::string::npos) {
            std::cerr << "qivra28-service: --history-csv wants GAME,DAYS,FILE: " << *value << "\n";
            return 2;
        }
        return qivra::WriteHistoryCsvCommand(value->substr(0, first), value->substr(first + 1, second - first - 1),
                                             value->substr(second + 1), qivra::ResultsService::Options{}.seed,
                                             std::cerr);
    }

    int port = QIVRA_SERVICE_PORT;
    const std::string bind = line.Value("bind").value_or("127.0.0.1");
    qivra::DrawBias bias;
    if (const auto value = line.Value("bias")) {
        const auto parsed = qivra::ParseDrawBias(*value);
        if (!parsed) {
            std::cerr << "qivra28-service: not a bias (GAME:P[:FROM]): " << *value << "\n";
            return 2;
        }
        bias = *parsed;
    }
    if (const auto value = line.Value("port")) {
        if (!qivra::IsIntegerText(*value) || qivra::Trim(*value).size() > 5 || qivra::IntegerValue(*value) < 0 ||
            qivra::IntegerValue(*value) > 65535) {
            std::cerr << "qivra28-service: not a port: " << *value << "\n";
            return 2;
        }
        port = qivra::IntegerValue(*value);
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
