/* Gathering the boards: a board flashed twice in one run is a mistake in a
 * list, never a wish, so it is refused before anything is sent. */
#include "tools/panelbin/targets.h"

#include <map>

#include "tools/panelbin/failure.h"
#include "tools/panelbin/fleet_log.h"

namespace {

void Append(std::vector<Target>* all, std::vector<Target> more) {
    all->insert(all->end(), more.begin(), more.end());
}

/* "--tcp localhost:5000", "targets.txt:17". */
std::string Place(const Target& target) {
    return target.origin.rfind("--", 0) == 0 ? target.origin + " " + target.given : target.origin;
}

void RefuseDuplicates(const std::vector<Target>& targets) {
    std::map<std::string, const Target*> seen;
    for (const Target& target : targets) {
        const std::string key = (target.serial ? "serial " : "tcp ") + target.address;
        auto found = seen.emplace(key, &target);
        if (found.second) continue;
        throw Failure(kExitUsage, "the board " + target.address + " is given twice: " +
                                      Place(*found.first->second) + " and " + Place(target));
    }
}

}  // namespace

std::vector<Target> GatherTargets(const Options& options) {
    std::vector<Target> targets;
    for (const std::string& tcp : options.tcpTargets) targets.push_back(TcpTarget(tcp));
    for (const std::string& serial : options.serialTargets) targets.push_back(SerialTarget(serial));
    if (!options.targetsFile.empty()) Append(&targets, ReadTargets(options.targetsFile));
    if (!options.retryLog.empty()) Append(&targets, FailedTargets(options.retryLog));
    RefuseDuplicates(targets);
    return targets;
}
