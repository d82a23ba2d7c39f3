#pragma once
// GNU-style command lines for both executables: --help, --version, --name=value or --name value,
// read before anything else starts, so that both answer without a display or a free port.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qivra {

struct CommandLineOption {
    std::string name;       // long name without the dashes: "port"
    char shortName = 0;     // 'p' for -p, or 0
    std::string valueName;  // "N" when the option takes a value; empty for a switch
    std::string help;       // one line
};

struct CommandLineSpec {
    std::string program;  // name in messages: "qivra28-service"
    std::string summary;  // the line under the usage line
    std::vector<CommandLineOption> options;  // --help (-h) and --version come on top of these
    // Single-dash words that are not in the table, and operands, are left to another parser
    // (Qt's -platform NAME, -style NAME, ...) instead of refused; unknown --options still are.
    bool passOthers = false;
    std::string othersNote;  // the paragraph closing --help when passOthers
};

struct CommandLine {
    std::optional<int> exitStatus;  // set: end now with this status (help, version or an error)
    std::vector<std::pair<std::string, std::string>> given;  // options as given, in order; "" for switches

    bool Has(std::string_view name) const;
    std::optional<std::string> Value(std::string_view name) const;  // the last one given
};

// Help and version go to `out`, errors to `err` with a hint at --help (status 2).
CommandLine ParseCommandLine(const CommandLineSpec& form, int argc, const char* const* argv, std::ostream& out,
                             std::ostream& err);

std::string CommandLineHelp(const CommandLineSpec& form);
std::string CommandLineVersion(std::string_view program);  // "qivra28 (Qivra28) 1.4.0"

// The program's own line: --help and --version; everything else is Qt's.
CommandLineSpec ProgramCommandLineSpec();
// Reads the program's line on stdout/stderr; a value means: end now with that status.
std::optional<int> ProgramCommandLine(int argc, const char* const* argv);

}  // namespace qivra
