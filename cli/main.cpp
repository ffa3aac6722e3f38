// `quellix`: the engine's command line for servers without a desktop and for
// automation. Bad usage and runs that cannot start exit with status 2 and one
// line on standard error.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "interrupt.h"
#include "rules/signature_table.h"
#include "yara_support.h"

namespace {

std::string VersionLine() {
    return "quellix " QX_VERSION " (" + std::to_string(qx::kSignatureRows) +
           " signatures, 4 rule sets, YARA support: " + (qx::cli::YaraSupported() ? "yes" : "no") +
           ")";
}

}  // namespace

int main(int argc, char** argv) {
    // Text without a byte-order mark is read in the locale's encoding.
    std::setlocale(LC_CTYPE, "");
    std::vector<std::string> args = qx::cli::Utf8Arguments(argc, argv);
    qx::cli::PrepareConsole();
    qx::cli::CatchInterrupts();

    CLI::App app{"Finds webshells in a site's tree and cleans injected markup out of its pages.",
                 "quellix"};
    app.require_subcommand(1);
    app.allow_windows_style_options(false);  // "/path" is a directory, not an option
    app.failure_message([](const CLI::App*, const CLI::Error& e) { return std::string(e.what()); });
    app.set_version_flag("--version", VersionLine(), "print the version and exit");

    int status = 0;
    qx::cli::AddScanCommand(app, status);
    qx::cli::AddCleanCommand(app, status);
    qx::cli::AddWatchCommand(app, status);
    qx::cli::AddNetstatCommand(app, status);
    qx::cli::AddLocateCommand(app, status);
    qx::cli::AddPowerCommand(app, status);
    qx::cli::AddRegexCommand(app, status);
    qx::cli::AddRestoreCommand(app, status);

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
        app.parse(std::move(reversed));
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        std::fprintf(stderr, "quellix: %s\n", e.what());
        return 2;
    } catch (const qx::cli::UsageError& e) {
        std::fprintf(stderr, "quellix: %s\n", e.what());
        return 2;
    }
    return status;
}
