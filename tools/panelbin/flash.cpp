/* push and verify: the commands, and the work on one board. One target is
 * worked in this process; several go to FlashMany (fleet.cpp). */
#include "tools/panelbin/flash.h"

#include <stdio.h>

#include <memory>

#include "tools/panelbin/chip_series.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/targets.h"
#include "tools/panelbin/verify.h"

namespace {

FlashJob JobOf(const Options& options, bool write) {
    FlashJob job;
    PanelGeneration chip;
    job.file = LoadPanelFile(options.file, ChipOption(options.chip, &chip), options.index);
    job.path = options.file;
    job.index = options.index;
    job.write = write;
    job.verify = !write || options.verify;
    job.tracePath = options.tracePath;
    return job;
}

std::string PanelName(const FlashJob& job) {
    Json panel = RecordToJson(BodyLayout(job.file.generation), job.file.bodies[0].data());
    return "panel " + std::to_string(job.index) + " (" + panel["chName"].dump() + ")";
}

/* One board, in this process, told as a person wants it. */
int FlashSingle(const FlashJob& job, const Target& target) {
    BoardOutcome outcome = FlashOne(job, target);
    if (outcome.status == kExitMismatch) {
        fprintf(stderr, "panelbin: %s\n", outcome.failure.c_str());
        for (const std::string& line : outcome.differences) fprintf(stderr, "  %s\n", line.c_str());
        return outcome.status;
    }
    if (outcome.status != kExitOk) throw Failure(outcome.status, outcome.failure);
    if (job.write)
        printf("%s written to %s as %s\n", PanelName(job).c_str(), target.where.c_str(),
               GenerationName(job.file.generation));
    if (job.verify)
        printf("%s verified on %s: all %zu fields of the panel info as in the file\n",
               PanelName(job).c_str(), target.where.c_str(), outcome.fieldsCompared);
    return kExitOk;
}

int Flash(const Options& options, bool write) {
    std::vector<Target> targets = GatherTargets(options);
    if (targets.empty() && !options.retryLog.empty()) {
        printf("%s: no board failed; nothing to retry\n", options.retryLog.c_str());
        return kExitOk;
    }
    if (targets.empty()) throw Failure(kExitUsage, "no board: give --tcp, --serial or --targets");
    FlashJob job = JobOf(options, write);
    if (targets.size() == 1 && options.logPath.empty()) return FlashSingle(job, targets[0]);
    FleetSettings settings;
    settings.jobs = options.jobs;
    settings.logPath = options.logPath;
    settings.quiet = options.quiet;
    return FlashMany(job, targets, settings);
}

/* The write and the read-back, as the job asks, on one link; the body read
 * (empty without a read). A read-back reply that does not fit is read
 * once more as the other series, on a link of its own, to name it. */
std::vector<KS_U8> WriteAndReadBack(const FlashJob& job, const Target& target) {
    const std::string panel = "panel " + std::to_string(job.index);
    const PanelGeneration generation = job.file.generation;
    std::unique_ptr<LinkFailed> misfit;
    {
        BoardLink link(target, job.tracePath);
        if (job.write) link.Send(generation, job.file.bodies[0].data(), panel + " not written");
        if (!job.verify) return {};
        try {
            return link.Fetch(generation, panel + " not read back");
        } catch (const LinkFailed& failure) {
            if (!MisfitReply(failure)) throw;
            misfit.reset(new LinkFailed(failure));
        }
    }
    ReadAsOtherSeries(target, job.tracePath, generation, *misfit);
    throw LinkFailed(target.where + ": " + HeldSeries(OtherSeries(generation)), misfit->linkText());
}

}  // namespace

BoardOutcome FlashOne(const FlashJob& job, const Target& target) {
    BoardOutcome outcome;
    const std::string panel = "panel " + std::to_string(job.index);
    try {
        std::vector<KS_U8> back = WriteAndReadBack(job, target);
        if (job.verify) {
            const PanelGeneration generation = job.file.generation;
            outcome.fieldsCompared = PanelInfoFieldCount(generation);
            outcome.differences = PanelInfoDifferences(generation, job.file.bodies[0].data(), back.data());
            outcome.verified = outcome.differences.empty() ? Verified::kEqual : Verified::kDifferent;
        }
    } catch (const LinkFailed& failure) {
        outcome.status = failure.exitStatus();
        outcome.failure = failure.what();
        outcome.linkText = failure.linkText();
        return outcome;
    } catch (const Failure& failure) {
        outcome.status = failure.exitStatus();
        outcome.failure = failure.what();
        return outcome;
    } catch (const std::exception& error) {
        outcome.status = kExitBoard;
        outcome.failure = target.where + ": " + error.what();
        return outcome;
    }
    if (!outcome.differences.empty()) {
        outcome.status = kExitMismatch;
        /* The first few names; the lines of differences say the rest. */
        const size_t kNamed = 5;
        std::string fields;
        for (size_t i = 0; i < outcome.differences.size() && i < kNamed; ++i)
            fields += (i == 0 ? "" : ", ") + outcome.differences[i].substr(0, outcome.differences[i].find(':'));
        if (outcome.differences.size() > kNamed)
            fields += " and " + std::to_string(outcome.differences.size() - kNamed) + " more fields";
        outcome.failure = target.where + ": the board's panel info differs from " + panel +
                          " of the file in " + fields;
    }
    return outcome;
}

int RunPush(const Options& options) { return Flash(options, true); }

int RunVerify(const Options& options) { return Flash(options, false); }
