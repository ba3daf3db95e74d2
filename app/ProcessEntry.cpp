#include "app/ProcessEntry.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include <pugixml.hpp>

#include "app/AppPaths.h"
#include "app/FrontEnd.h"
#include "app/Lifecycle.h"
#include "app/Parameters.h"
#include "app/ProgramContext.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/WindowCommands.h"
#include "common/Generations.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

std::optional<fs::path> lf_userFolder(const CommandLineOptions& options) {
    if (options.configDir) return *options.configDir;
    const auto roaming = gf_roamingAppDataFolder();
    if (!roaming) return std::nullopt;
    return *roaming / kProgramName;
}

// A settings file that cannot be parsed is kept as generation 0 and removed, so that the
// program starts with defaults instead of failing on every start.
void lf_checkSettingsFile() {
    const fs::path& file = gf_paths().parametersFile;
    std::error_code ec;
    if (!fs::exists(file, ec)) return;
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(file.c_str(), pugi::parse_default, pugi::encoding_auto);
    if (!result && result.status != pugi::status_no_document_element) {
        logImportant("{} failed to load ({}). Saved as 0.xml and removed.", file.string(), result.description());
        gf_save1GenerationOf(file);
        fs::remove(file, ec);
        return;
    }
    Parameters& p = gf_params();
    const pugi::xml_node root = doc.child("root");
    const pugi::xml_node parameters = (root ? root : static_cast<pugi::xml_node>(doc)).child("parameters");
    p.MAIN_WINDOW_X.set(Parameters::readInt(parameters, p.MAIN_WINDOW_X.key()).value_or(p.MAIN_WINDOW_X.defaultValue()));
    p.MAIN_WINDOW_Y.set(Parameters::readInt(parameters, p.MAIN_WINDOW_Y.key()).value_or(p.MAIN_WINDOW_Y.defaultValue()));
}

} // namespace

int gf_processEntry(int argc, char** argv, const FrontEndFactory& makeFrontEnd) {
    std::vector<std::string> args = gf_commandLineArguments(argc, argv);
    ProgramContext& program = gf_program();
    gf_run().resetAll();
    program.restarted.store(false);
    program.options = gf_parseCommandLine(args);
    if (program.options.help || program.options.version || !program.options.error.empty()) gf_useParentConsole();
    if (program.options.help) {
        std::cout << gf_usageText();
        return 0;
    }
    if (program.options.version) {
        std::cout << gf_versionText() << "\n";
        return 0;
    }
    if (!program.options.error.empty()) {
        std::cerr << "vorl: " << program.options.error << "\n\n" << gf_usageText();
        return 2;
    }
    // Both folders are named relative to where the user started the program.
    if (program.options.configDir) program.options.configDir = fs::absolute(*program.options.configDir);
    if (program.options.workdir) {
        std::error_code ec;
        fs::current_path(*program.options.workdir, ec);
        if (ec) {
            std::cerr << "vorl: cannot use " << program.options.workdir->string() << " as the " << kProgramName
                      << " folder: " << ec.message() << "\n";
            return 2;
        }
    }

    const auto foundFolder = lf_userFolder(program.options);
    // Without the application-data folder the settings live beside the program, so that the
    // user can still work; the log says why.
    const fs::path userFolder = foundFolder ? *foundFolder : fs::absolute(kProgramName);
    std::error_code userFolderError;
    gf_paths().setUserFolder(userFolder);
    fs::create_directories(userFolder, userFolderError);

    InstanceGuard instance;
    if (!userFolderError && !instance.acquire(userFolder)) return -1;

    try {
        Log::instance().open(gf_paths().log);
    } catch (const std::exception& e) {
        std::cerr << "vorl: " << e.what() << "\n";
        return 1;
    }
    if (!foundFolder) logImportant("Could not find the AppData path");
    if (userFolderError) {
        logLine("Failed to create directory: {}", userFolderError.message());
        return 0;
    }

    gf_params().setFile(gf_paths().parametersFile);
    lf_checkSettingsFile();

    WindowCommands commands(gf_params(), gf_status(), gf_run(), gf_paths(), program.runSlot);
    std::unique_ptr<FrontEnd> frontEnd = makeFrontEnd(program.options, commands);
    if (!frontEnd) {
        logImportant("initInstance failed");
        return 0;
    }
    program.frontEnd = frontEnd.get();
    gf_params().setControlHook([fe = frontEnd.get()](const Parameter& p) { fe->updateControl(p); });
    gf_status().setRepaintHook([fe = frontEnd.get()] { fe->postRepaint(); });
    gf_run().setProduction(program.options.production.value_or(false));

    frontEnd->postStart();
    const int exitCode = frontEnd->runMessageLoop();

    gf_joinStartUpThread();
    gf_status().setRepaintHook({});
    gf_params().setControlHook({});
    program.frontEnd = nullptr;
    Log::instance().close();
    return exitCode;
}

} // namespace vorl
