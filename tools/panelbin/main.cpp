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
    group->add_option("--tcp", options->tcp,
                      "the board's HOST:PORT (dotted IPv4, or a name that resolves to one)");
    group->add_option("--serial", options->serial, "the serial device of the board (/dev/ttyUSB0)");
    group->require_option(1);
}

/* push and verify: one board or many, each --tcp and --serial may repeat. */
void AddTargets(CLI::App* command, Options* options) {
    auto* group = command->add_option_group("boards", "where the boards are");
    group->add_option("--tcp", options->tcpTargets,
                      "a board's HOST:PORT (dotted IPv4 or a name resolving to one, port up to 32767)")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    group->add_option("--serial", options->serialTargets,
                      "a board's serial device, or serial:NUMBER for the USB port of that serial number")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    group->add_option("--targets", options->targetsFile,
                      "a file of boards, one a line: HOST:PORT, a device or serial:NUMBER")
        ->check(CLI::ExistingFile);
    group->add_option("--retry-failed", options->retryLog,
                      "the boards whose last line in this log (of --log) is not ok")
        ->check(CLI::ExistingFile);
    group->require_option(1, 0);
    command->add_option("--jobs", options->jobs, "boards worked at once (default 1)")
        ->check(CLI::Range(1, 64));
    command->add_option("--log", options->logPath,
                        "append one JSON line per board to this file (panelbin schema --log-line)");
    command->add_flag("--quiet", options->quiet,
                      "many boards: no live status line, no line for a board that went well");
}

/* show, check and timing read the pixel clock in a unit. */
void AddClockUnit(CLI::App* command, Options* options) {
    command->add_option("--clock-unit", options->clockUnit,
                        "read the pixel clock in Hz, kHz, 10kHz or MHz (default: the unit under "
                        "which most panels' 60 Hz timings come within 2 % of 60 Hz)")
        ->check(CLI::IsMember({"Hz", "kHz", "10kHz", "10 kHz", "MHz"}));
}

void AddTrace(CLI::App* command, Options* options) {
    command->add_option("--trace", options->tracePath,
                        "write every frame sent and received, decoded, to this file "
                        "(FILE.N for the N-th of many boards)");
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
    show->add_flag("--timings", options.timings, "a line per timing under each panel");
    AddClockUnit(show, &options);

    auto* dump = app.add_subcommand("dump", "The header and the panels as JSON.");
    dump->add_option("FILE", options.file, "panel bin file")->required();
    dump->add_option("--index", options.index, "only this panel")->check(CLI::Range(0, INT_MAX));
    AddChip(dump, &options, stored);

    auto* make = app.add_subcommand("make", "A panel bin file from dump's JSON, as makePanelBin makes it.");
    make->add_option("FILE", options.file, "panel bin file to write")->required();
    make->add_option("--from", options.from, "JSON document, - for stdin")->required();
    AddChip(make, &options, "R100 or R120 (default: the document's generation)");

    auto* check = app.add_subcommand("check", "Is the file sound, and would its panels work? Every finding.");
    check->add_option("FILE", options.file, "panel bin file")->required();
    AddChip(check, &options, stored);
    check->add_flag("--json", options.json, "as one JSON document (panelbin schema check)");
    check->add_flag("--strict", options.strict, "warnings fail the check too");
    AddClockUnit(check, &options);

    auto* timing = app.add_subcommand("timing", "One panel's three timings in full, pictured to scale.");
    timing->add_option("FILE", options.file, "panel bin file")->required();
    timing->add_option("INDEX", options.index, "the panel")->required()->check(CLI::Range(0, INT_MAX));
    AddChip(timing, &options, stored);
    AddClockUnit(timing, &options);

    auto* diff = app.add_subcommand("diff", "Every byte in which the records differ, by field, panel by panel.");
    diff->add_option("A", options.file, "panel bin file")->required();
    diff->add_option("B", options.other, "panel bin file")->required();
    AddChip(diff, &options, "R100 or R120 for both (default: each file's stored panel size)");
    diff->add_flag("--json", options.json, "as one JSON document (panelbin schema diff)");

    auto* push = app.add_subcommand("push", "Writes one panel of a file to a board.");
    push->add_option("FILE", options.file, "panel bin file")->required();
    push->add_option("INDEX", options.index, "the panel")->required()->check(CLI::Range(0, INT_MAX));
    AddTargets(push, &options);
    AddChip(push, &options, stored);
    push->add_flag("--verify", options.verify, "read the panel info back and compare it with the file");
    AddTrace(push, &options);

    auto* verify = app.add_subcommand("verify", "Compares a board's panel info with one panel of a file.");
    verify->add_option("FILE", options.file, "panel bin file")->required();
    verify->add_option("INDEX", options.index, "the panel")->required()->check(CLI::Range(0, INT_MAX));
    AddTargets(verify, &options);
    AddChip(verify, &options, stored);
    AddTrace(verify, &options);

    auto* pull = app.add_subcommand("pull", "Reads the board's panel info.");
    AddBoard(pull, &options);
    AddChip(pull, &options, "R100 or R120 (default R100)");
    pull->add_flag("--json", options.json, "as dump shows a one-panel file, for make");
    AddTrace(pull, &options);

    auto* set = app.add_subcommand("set", "Changes fields of one record in place, as make would write them.");
    set->add_option("FILE", options.file, "panel bin file")->required();
    set->add_option("INDEX", options.record, "the panel's number, or header")->required();
    set->add_option("ASSIGNMENT", options.assignments, "key=value, as many as wanted")->required();
    AddChip(set, &options, stored);

    auto* schema = app.add_subcommand("schema", "The JSON Schema of dump's document, or of a --json output.");
    schema->add_option("WHAT", options.schema, "dump (the default), show, check or diff")
        ->check(CLI::IsMember({"dump", "show", "check", "diff"}));
    schema->add_flag("--log-line", options.logLineSchema, "of a line of push's and verify's --log instead");

    auto* ports = app.add_subcommand("ports", "The serial ports, what they are and whether they are free.");
    ports->add_option("DEVICE", options.portPaths, "more devices to list (pseudo-terminals)");
    ports->add_flag("--json", options.json, "as JSON");

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
    if (*verify) return RunVerify(options);
    if (*ports) return RunPorts(options);
    if (*set) return RunSet(options);
    if (*schema) return RunSchema(options);
    if (*timing) return RunTiming(options);
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
