/* panelbin: inspect, check, compare, make and flash panel bin files with
 * the library's own code, without a JVM. The command line is parsed here;
 * each command lives in its own file. */
#include <limits.h>
#include <stdio.h>

#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "makebin_version.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"

namespace {

void AddChip(CLI::App* command, Options* options, const char* what) {
    command->add_option("--chip", options->chip, what)->check(CLI::IsMember({"R100", "R120"}));
}

void AddBoard(CLI::App* command, Options* options) {
    auto* group = command->add_option_group("board", "where the board is");
    group->add_option("--tcp", options->tcp, "the board's HOST:PORT (dotted IPv4)");
    group->add_option("--serial", options->serial, "the serial device of the board (/dev/ttyUSB0)");
    group->require_option(1);
}

int Run(int argc, char** argv) {
    Options options;
    CLI::App app{"Inspect, check, compare, make and flash panel bin files."};
    app.set_version_flag("--version", MAKEBIN_VERSION);
    app.require_subcommand(1);
    const char* stored = "R100 or R120 (default: what the stored panel size says)";

    auto* show = app.add_subcommand("show", "The header and one line per panel.");
    show->add_option("FILE", options.file, "panel bin file")->required();
    AddChip(show, &options, stored);
    show->add_flag("--json", options.json, "as one JSON document (panelbin schema show)");

    auto* dump = app.add_subcommand("dump", "The header and the panels as JSON.");
    dump->add_option("FILE", options.file, "panel bin file")->required();
    dump->add_option("--index", options.index, "only this panel")->check(CLI::Range(0, INT_MAX));
    AddChip(dump, &options, stored);

    auto* make = app.add_subcommand("make", "A panel bin file from dump's JSON, as makePanelBin makes it.");
    make->add_option("FILE", options.file, "panel bin file to write")->required();
    make->add_option("--from", options.from, "JSON document, - for stdin")->required();
    AddChip(make, &options, "R100 or R120 (default: the document's generation)");

    auto* check = app.add_subcommand("check", "Is the file sound? The first fault, by name.");
    check->add_option("FILE", options.file, "panel bin file")->required();
    AddChip(check, &options, stored);
    check->add_flag("--json", options.json, "as one JSON document (panelbin schema check)");
    check->add_flag("--strict", options.strict, "warnings fail the check too");

    auto* diff = app.add_subcommand("diff", "Every byte in which the records differ, by field, panel by panel.");
    diff->add_option("A", options.file, "panel bin file")->required();
    diff->add_option("B", options.other, "panel bin file")->required();
    AddChip(diff, &options, "R100 or R120 for both (default: each file's stored panel size)");
    diff->add_flag("--json", options.json, "as one JSON document (panelbin schema diff)");

    auto* push = app.add_subcommand("push", "Writes one panel of a file to a board.");
    push->add_option("FILE", options.file, "panel bin file")->required();
    push->add_option("INDEX", options.index, "the panel")->required()->check(CLI::Range(0, INT_MAX));
    AddBoard(push, &options);
    AddChip(push, &options, stored);

    auto* pull = app.add_subcommand("pull", "Reads the board's panel info.");
    AddBoard(pull, &options);
    AddChip(pull, &options, "R100 or R120 (default R100)");
    pull->add_flag("--json", options.json, "as dump shows a one-panel file, for make");

    auto* set = app.add_subcommand("set", "Changes fields of one record in place, as make would write them.");
    set->add_option("FILE", options.file, "panel bin file")->required();
    set->add_option("INDEX", options.record, "the panel's number, or header")->required();
    set->add_option("ASSIGNMENT", options.assignments, "key=value, as many as wanted")->required();
    AddChip(set, &options, stored);

    auto* schema = app.add_subcommand("schema", "The JSON Schema of dump's document, or of a --json output.");
    schema->add_option("WHAT", options.schema, "dump (the default), show, check or diff")
        ->check(CLI::IsMember({"dump", "show", "check", "diff"}));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        /* --help and --version are exits with status 0. */
        return app.exit(error) == 0 ? kExitOk : kExitUsage;
    }
    if (*show) return RunShow(options);
    if (*dump) return RunDump(options);
    if (*make) return RunMake(options);
    if (*check) return RunCheck(options);
    if (*diff) return RunDiff(options);
    if (*push) return RunPush(options);
    if (*set) return RunSet(options);
    if (*schema) return RunSchema(options);
    return RunPull(options);
}

}  // namespace

int main(int argc, char** argv) {
    int status = kExitFailed;
    try {
        status = Run(argc, argv);
    } catch (const Failure& failure) {
        fprintf(stderr, "panelbin: %s\n", failure.what());
        status = failure.exitStatus();
    } catch (const std::exception& error) {
        fprintf(stderr, "panelbin: %s\n", error.what());
        status = kExitFailed;
    }
    /* Output that did not reach its reader is a failure, not a success. */
    std::cout.flush();
    if (fflush(stdout) != 0 || !std::cout) {
        fprintf(stderr, "panelbin: cannot write the output\n");
        return kExitFile;
    }
    return status;
}
