#include "app/CommandLine.h"

#include <charconv>

#include <fmt/format.h>

#include "common/Folders.h"

namespace vorl {
namespace {

// "--name=value" or "--name value"; false when `arg` is not this option.
bool lf_takeValue(const std::string& name, const std::vector<std::string>& args, std::size_t& i,
                  std::string& value, std::string& error) {
    const std::string& arg = args[i];
    if (arg.rfind(name + "=", 0) == 0) {
        value = arg.substr(name.size() + 1);
    } else if (arg == name) {
        if (i + 1 >= args.size()) {
            error = fmt::format("{} needs a value", name);
            return true;
        }
        value = args[++i];
    } else {
        return false;
    }
    if (value.empty()) error = fmt::format("{} needs a value", name);
    return true;
}

} // namespace

CommandLineOptions gf_parseCommandLine(const std::vector<std::string>& args) {
    CommandLineOptions options;
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string upper = gf_upperAscii(args[i]);
        std::string value;
        if (upper == "--PRODUCTION" || upper == "/PRODUCTION") {
            options.production = true;
        } else if (upper == "--NO-PRODUCTION" || upper == "/NO-PRODUCTION") {
            options.production = false;
        } else if (args[i] == "--headless") {
            options.headless = true;
        } else if (args[i] == "--version") {
            options.version = true;
        } else if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
        } else if (lf_takeValue("--workdir", args, i, value, options.error)) {
            options.workdir = value;
        } else if (lf_takeValue("--config-dir", args, i, value, options.error)) {
            options.configDir = value;
        } else if (lf_takeValue("--window-png", args, i, value, options.error)) {
            options.windowPicture = value;
        } else if (lf_takeValue("--sim", args, i, value, options.error)) {
            if (value != "standin" && value != "simconnect")
                options.error = fmt::format("--sim takes standin or simconnect, not '{}'", value);
            options.sim = value;
        } else if (lf_takeValue("--sim-trace", args, i, value, options.error)) {
            options.simTrace = value;
        } else if (lf_takeValue("--sim-map", args, i, value, options.error)) {
            options.simMap = value;
        } else if (lf_takeValue("--user-script", args, i, value, options.error)) {
            if (value != "departure" && value != "parked")
                options.error = fmt::format("--user-script takes departure or parked, not '{}'", value);
            options.userScript = value;
        } else if (lf_takeValue("--sim-version", args, i, value, options.error)) {
            if (value != "2020" && value != "2024")
                options.error = fmt::format("--sim-version takes 2020 or 2024, not '{}'", value);
            options.simVersion = value;
        } else if (lf_takeValue("--duration", args, i, value, options.error)) {
            int seconds = 0;
            const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (ec != std::errc{} || ptr != value.data() + value.size() || seconds < 1)
                options.error = fmt::format("--duration takes a whole number of seconds, not '{}'", value);
            options.durationSeconds = seconds;
        }
    }
    return options;
}

std::string gf_usageText() {
    return "Usage: vorl [options]\n"
           "\n"
           "  --production, /production        check the installation: start, read the data files,\n"
           "                                   write \"production\" to Log.txt and end\n"
           "  --no-production, /no-production  a normal run (the default); the last switch wins\n"
           "  --headless                       no window: status lines go to the console and Log.txt\n"
           "  --workdir DIR                    the VORL install folder (the one holding docs/);\n"
           "                                   default: the current folder\n"
           "  --config-dir DIR                 the user folder holding parameters.xml;\n"
           "                                   default: the per-user configuration folder + VORL\n"
           "  --duration SECONDS               close down normally after that many seconds\n"
           "  --sim standin|simconnect         the simulator link (default: simconnect on Windows, else standin)\n"
           "  --sim-trace FILE                 the simulator stand-in writes every call and event\n"
           "                                   to FILE (JSON Lines)\n"
           "  --sim-map FILE                   the simulator stand-in draws the user and the AI\n"
           "                                   aircraft with their last minute of track (SVG)\n"
           "  --sim-version 2020|2024          the simulator the stand-in plays (default: the\n"
           "                                   one the settings name)\n"
           "  --user-script departure|parked   the stand-in's user aircraft stands at EHAM D7 and\n"
           "                                   departs after two minutes (default), or stays there\n"
           "  --window-png FILE                save a picture of the window to FILE when closing\n"
           "  --version                        print the program's version\n"
           "  --help                           this text\n";
}

} // namespace vorl
