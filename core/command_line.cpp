#include "core/command_line.hpp"

#include <algorithm>
#include <iostream>
#include <sstream>

#include "core/version.hpp"

namespace qivra {

namespace {

const CommandLineOption kHelp{"help", 'h', "", "display this help and exit"};
const CommandLineOption kVersion{"version", 0, "", "output version information and exit"};

std::vector<CommandLineOption> AllOptions(const CommandLineSpec& form) {
    std::vector<CommandLineOption> all = form.options;
    all.push_back(kHelp);
    all.push_back(kVersion);
    return all;
}

const CommandLineOption* FindLong(const std::vector<CommandLineOption>& all, std::string_view name) {
    const auto it = std::find_if(all.begin(), all.end(), [&](const CommandLineOption& o) { return o.name == name; });
    return it == all.end() ? nullptr : &*it;
}

const CommandLineOption* FindShort(const std::vector<CommandLineOption>& all, char name) {
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const CommandLineOption& o) { return o.shortName != 0 && o.shortName == name; });
    return it == all.end() ? nullptr : &*it;
}

}  // namespace

bool CommandLine::Has(std::string_view name) const {
    return std::any_of(given.begin(), given.end(), [&](const auto& g) { return g.first == name; });
}

std::optional<std::string> CommandLine::Value(std::string_view name) const {
    for (auto it = given.rbegin(); it != given.rend(); ++it) {
        if (it->first == name) return it->second;
    }
    return std::nullopt;
}

std::string CommandLineHelp(const CommandLineSpec& form) {
    const std::vector<CommandLineOption> all = AllOptions(form);
    std::vector<std::string> lefts;
    size_t width = 0;
    for (const CommandLineOption& o : all) {
        std::string left = o.shortName != 0 ? std::string("  -") + o.shortName + ", " : std::string(6, ' ');
        left += "--" + o.name;
        if (!o.valueName.empty()) left += "=" + o.valueName;
        width = std::max(width, left.size());
        lefts.push_back(std::move(left));
    }
    std::ostringstream text;
    text << "Usage: " << form.program << " [OPTION]...\n";
    if (!form.summary.empty()) text << form.summary << "\n";
    text << "\n";
    for (size_t i = 0; i < all.size(); ++i) {
        text << lefts[i] << std::string(width - lefts[i].size() + 2, ' ') << all[i].help << "\n";
    }
    if (form.passOthers && !form.othersNote.empty()) text << "\n" << form.othersNote << "\n";
    return text.str();
}

std::string CommandLineVersion(std::string_view program) {
    return std::string(program) + " (Qivra28) " + std::string(kProgramVersion) + "\n";
}

CommandLine ParseCommandLine(const CommandLineSpec& form, int argc, const char* const* argv, std::ostream& out,
                             std::ostream& err) {
    const std::vector<CommandLineOption> all = AllOptions(form);
    CommandLine line;
    const auto fail = [&](const std::string& message) {
        err << form.program << ": " << message << "\n"
            << "Try '" << form.program << " --help' for more information.\n";
        line.exitStatus = 2;
        return line;
    };
    bool optionsEnded = false;
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const std::string_view arg = argv[i];
        const CommandLineOption* option = nullptr;
        std::optional<std::string> attached;  // the value written into the same word
        std::string shown;                    // the option as the user wrote it, for messages
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            if (form.passOthers) continue;
            return fail("unexpected argument '" + std::string(arg) + "'");
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg.starts_with("--")) {
            const size_t eq = arg.find('=');
            const std::string_view name = arg.substr(2, eq == std::string_view::npos ? std::string_view::npos : eq - 2);
            shown = "--" + std::string(name);
            option = FindLong(all, name);
            if (option == nullptr) return fail("unrecognized option '" + shown + "'");
            if (eq != std::string_view::npos) {
                if (option->valueName.empty()) return fail("option '" + shown + "' doesn't allow an argument");
                attached = std::string(arg.substr(eq + 1));
            }
        } else {
            // -x, or -xVALUE for an option that takes a value.
            option = FindShort(all, arg[1]);
            if (option == nullptr || (arg.size() > 2 && option->valueName.empty())) {
                if (form.passOthers) continue;
                return fail("invalid option -- '" + std::string(arg.substr(1)) + "'");
            }
            shown = std::string(arg.substr(0, 2));
            if (arg.size() > 2) attached = std::string(arg.substr(2));
        }

        if (option->name == kHelp.name) {
            out << CommandLineHelp(form);
            line.exitStatus = 0;
            return line;
        }
        if (option->name == kVersion.name) {
            out << CommandLineVersion(form.program);
            line.exitStatus = 0;
            return line;
        }
        if (option->valueName.empty()) {
            line.given.emplace_back(option->name, std::string());
        } else if (attached) {
            line.given.emplace_back(option->name, *attached);
        } else if (i + 1 < argc && argv[i + 1] != nullptr) {
            line.given.emplace_back(option->name, argv[++i]);
        } else {
            return fail("option '" + shown + "' requires an argument");
        }
    }
    return line;
}

CommandLineSpec ProgramCommandLineSpec() {
    CommandLineSpec form;
    form.program = "qivra28";
    form.summary = "Follows two 28 games, classifies every draw and judges plans and formulas.";
    form.passOthers = true;
    form.othersNote = "Qt's own options (-platform NAME, -style NAME, ...) are passed on to Qt.";
    return form;
}

std::optional<int> ProgramCommandLine(int argc, const char* const* argv) {
    return ParseCommandLine(ProgramCommandLineSpec(), argc, argv, std::cout, std::cerr).exitStatus;
}

}  // namespace qivra
