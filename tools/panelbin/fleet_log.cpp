/* The log's lines, their schema, and the failed boards read back from it. */
#include "tools/panelbin/fleet_log.h"

#include <errno.h>
#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "makebin_version.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/sha256.h"

namespace {

const char* const kResultNames[] = {"ok", "failed", "mismatch", "interrupted", "skipped"};

std::string Station() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "unknown";
    return name;
}

Json NullOr(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

Json Text(const char* description) { return {{"type", "string"}, {"description", description}}; }

Json TextOrNull(const char* description) {
    return {{"type", {"string", "null"}}, {"description", description}};
}

/* The target of a line, as it was given, found again. */
Target TargetOfLine(const Json& line) {
    const std::string given = line["target"].get<std::string>();
    return line["link"] == "serial" ? SerialTarget(given) : TcpTarget(given);
}

}  // namespace

const char* ResultName(BoardResult result) { return kResultNames[static_cast<int>(result)]; }

RunFacts FactsOf(const FlashJob& job) {
    RunFacts facts;
    facts.station = Station();
    facts.file = job.path;
    facts.fileSha256 = FileSha256(job.path);
    facts.chip = GenerationName(job.file.generation);
    const Json name = RecordToJson(BodyLayout(job.file.generation), job.file.bodies[0].data())["chName"];
    facts.panel = name.is_string() ? name.get<std::string>() : name.dump();
    facts.index = job.index;
    return facts;
}

Json LogLine(const RunFacts& facts, const Target& target, const std::string& startTime,
             uint64_t durationMs, BoardResult result, const BoardOutcome& outcome) {
    Json verified = outcome.verified == Verified::kNotRead ? Json(nullptr)
                                                           : Json(outcome.verified == Verified::kEqual);
    return {{"time", startTime},
            {"station", facts.station},
            {"tool_version", MAKEBIN_VERSION},
            {"target", target.given},
            {"address", target.address},
            {"link", target.serial ? "serial" : "tcp"},
            {"file", facts.file},
            {"file_sha256", facts.fileSha256},
            {"chip", facts.chip},
            {"index", facts.index},
            {"panel", facts.panel},
            {"verified", verified},
            {"result", ResultName(result)},
            {"duration_ms", durationMs},
            {"failure", NullOr(outcome.failure)},
            {"link_text", NullOr(outcome.linkText)}};
}

Json LogLineSchema() {
    Json results = Json::array();
    for (const char* name : kResultNames) results.push_back(name);
    Json properties = {
        {"time", Text("when the board was started, ISO 8601 UTC with milliseconds")},
        {"station", Text("the host name of the machine that ran panelbin")},
        {"tool_version", Text("the makebin version of panelbin")},
        {"target", Text("the board as given: HOST:PORT, a device or serial:NUMBER")},
        {"address", Text("what the link was started on: dotted IPv4:PORT or the device")},
        {"link", {{"enum", {"tcp", "serial"}}}},
        {"file", Text("the panel bin file, as given")},
        {"file_sha256", {{"type", "string"}, {"pattern", "^[0-9a-f]{64}$"}}},
        {"chip", {{"enum", {"R100", "R120"}}}},
        {"index", {{"type", "integer"}, {"minimum", 0}}},
        {"panel", Text("the panel's name (chName)")},
        {"verified",
         {{"type", {"boolean", "null"}},
          {"description", "read back and equal (true) or different (false); null: not read back"}}},
        {"result", {{"enum", results}}},
        {"duration_ms", {{"type", "integer"}, {"minimum", 0}}},
        {"failure", TextOrNull("what went wrong, in plain words; null when ok")},
        {"link_text", TextOrNull("the board link's own text of the failure")}};
    Json required = Json::array();
    for (const auto& entry : properties.items()) required.push_back(entry.key());
    return {{"type", "object"},
            {"properties", properties},
            {"required", required},
            {"additionalProperties", false}};
}

FleetLog::FleetLog(const std::string& path) : m_path(path) {
    if (path.empty()) return;
    m_file.reset(fopen(path.c_str(), "a"));
    if (!m_file) throw Failure(kExitFile, path + ": cannot be written: " + strerror(errno));
}

bool FleetLog::Append(const Json& line, std::string* error) {
    if (!m_file) return true;
    if (fprintf(m_file.get(), "%s\n", line.dump().c_str()) >= 0 && fflush(m_file.get()) == 0)
        return true;
    *error = m_path + ": the log cannot be written: " + strerror(errno);
    m_file.reset();
    return false;
}

std::vector<Target> FailedTargets(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Failure(kExitFile, path + ": cannot be read");
    /* The last line of each board decides; a board keeps its first place. */
    std::vector<std::string> order;
    std::map<std::string, std::pair<Json, size_t>> last;
    size_t number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        Json line = Json::parse(text, nullptr, false);
        if (line.is_discarded() || !line["target"].is_string() || !line["result"].is_string())
            throw Failure(kExitUsage, path + ":" + std::to_string(number) + ": not a line of panelbin's log");
        const std::string key = line["link"].dump() + line["target"].get<std::string>();
        if (last.find(key) == last.end()) order.push_back(key);
        last[key] = {line, number};
    }
    if (in.bad()) throw Failure(kExitFile, path + ": cannot be read");
    std::vector<Target> targets;
    for (const std::string& key : order) {
        const auto& entry = last[key];
        if (entry.first["result"] == "ok") continue;
        const std::string origin = path + ":" + std::to_string(entry.second);
        try {
            targets.push_back(TargetOfLine(entry.first));
        } catch (const Failure& failure) {
            throw Failure(failure.exitStatus(), origin + ": " + failure.what());
        }
        targets.back().origin = origin;
    }
    return targets;
}
