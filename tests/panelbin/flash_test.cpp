/* panelbin's flashing verbs against board-sim: verify and its mismatch,
 * failures in plain words, many boards with their log, the wire trace and
 * the port list; and the table of plain words on the link's real texts. */
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "panel/binfile/bin_file.h"
#include "tests/native/board_sim_process.h"
#include "tests/panelbin/run_panelbin.h"
#include "board/link_failure.h"
#include "tools/panelbin/sha256.h"

namespace {

using Json = nlohmann::json;

bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

class FlashTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/panelbin-flash.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        /* Two R100 panels named "Panel 0" and "Panel 1", made by the tool
         * from a dump of zeros. */
        std::vector<KS_U8> zeros(2 * BodySize(PanelGeneration::kR100), 0);
        KS_PANEL_HEADER_S header = {KS_PANEL_INDEX_STORE_MEDIA_EMMC, 0, 2, 0};
        BinStatus status;
        ASSERT_TRUE(WriteBinFile(Path("zero.bin").c_str(), header, zeros.data(), 2,
                                 PanelGeneration::kR100, &status));
        Json document = Json::parse(Panelbin({"dump", Path("zero.bin")}).out);
        for (size_t i = 0; i < 2; ++i) {
            for (auto& field : document["panels"][i].items())
                if (field.value().is_object()) field.value() = {{"id", 0}};
            document["panels"][i]["chName"] = "Panel " + std::to_string(i);
        }
        Spit("panels.json", document.dump());
        ASSERT_EQ(Panelbin({"make", Path("panels.bin"), "--from", Path("panels.json")}).status, 0);
        m_file = Path("panels.bin");
    }
    void TearDown() override { (void)system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    void Spit(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    Outcome Panelbin(std::vector<std::string> args) {
        return RunPanelbin(std::move(args), m_dir);
    }

    std::string m_dir;
    std::string m_file;
};

std::string Where(const BoardSimProcess& sim, bool serial) {
    return serial ? sim.PtyPath() : "127.0.0.1:" + std::to_string(sim.Port());
}

const char* Flag(bool serial) { return serial ? "--serial" : "--tcp"; }

/* panelbin processes that outlived their parent: the test is a subreaper,
 * so they would be its children now. */
int Orphans() {
    int found = 0;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    for (struct dirent* entry; proc && (entry = readdir(proc.get())) != nullptr;) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string pid, comm, state;
        int ppid = 0;
        if (stat >> pid >> comm >> state >> ppid && ppid == getpid() && comm == "(panelbin)") ++found;
    }
    return found;
}

/* The log's lines by target: each must be whole JSON. */
std::map<std::string, Json> LogLines(const std::string& path) {
    std::map<std::string, Json> lines;
    std::ifstream log(path);
    for (std::string text; std::getline(log, text);) {
        Json line = Json::parse(text, nullptr, false);
        EXPECT_FALSE(line.is_discarded()) << text;
        if (!line.is_discarded()) lines[line["target"]] = line;
    }
    return lines;
}

TEST_F(FlashTest, PushVerifyPassesAndAnAlteredStoreFailsNamingTheField) {
    for (bool serial : {false, true}) {
        BoardSimProcess sim;
        ASSERT_TRUE(sim.Start({"--tcp", "0", "--pty", "--fault", "alter-write"}));
        const std::string where = Where(sim, serial);
        Outcome altered = Panelbin({"push", m_file, "1", Flag(serial), where, "--verify"});
        EXPECT_EQ(altered.status, 5) << altered.err;
        EXPECT_TRUE(Has(altered.err, "chName: file \"Panel 1\", board \"Qanel 1\"")) << altered.err;
        EXPECT_EQ(Panelbin({"verify", m_file, "1", Flag(serial), where}).status, 5);

        Outcome pushed = Panelbin({"push", m_file, "1", Flag(serial), where, "--verify"});
        EXPECT_EQ(pushed.status, 0) << pushed.err;
        EXPECT_TRUE(Has(pushed.out, "verified on " + where)) << pushed.out;
        Outcome other = Panelbin({"verify", m_file, "0", Flag(serial), where});
        EXPECT_EQ(other.status, 5);
        EXPECT_TRUE(Has(other.err, "chName: file \"Panel 0\", board \"Panel 1\"")) << other.err;
    }
}

/* Each failure leads with the target and plain words, then quotes the
 * link; all exit 4. */
TEST_F(FlashTest, FailuresSayInPlainWordsWhatWentWrong) {
    struct Case {
        bool serial;
        const char* fault; /* null: the simulator is stopped first */
        bool lockPort;
        const char* command;
        const char* words;
    } cases[] = {
        {false, nullptr, false, "push", "connection refused"},
        {true, nullptr, false, "push", "no such port"},
        {true, "bad-first", true, "push", "in use by another program"},
        {true, "silent", false, "push", "no answer from the board within 5 s (after the header)"},
        {false, "bad-checksum", false, "verify", "the board's reply is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        BoardSimProcess sim;
        ASSERT_TRUE(sim.Start({"--tcp", "0", "--pty", "--fault", c.fault ? c.fault : "trickle"}));
        /* A stopped simulator's pty may be handed to another test at once:
         * a port that is gone is one that never was. */
        const bool gone = c.fault == nullptr;
        const std::string where = gone && c.serial ? Path("ttyGONE") : Where(sim, c.serial);
        if (gone) sim.Stop();
        int held = c.lockPort ? open(where.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
        if (c.lockPort) {
            ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
        }
        Outcome failed = Panelbin({c.command, m_file, "0", Flag(c.serial), where});
        if (held != -1) close(held);
        EXPECT_EQ(failed.status, 4);
        EXPECT_TRUE(Has(failed.err, "panelbin: " + where + ": " + c.words + " (")) << failed.err;
        EXPECT_TRUE(Has(failed.err, "; the link said: ")) << failed.err;
    }
}

TEST_F(FlashTest, EightBoardsFourAtATimeOneStoppedGiveSevenSuccessesAndALineEach) {
    std::vector<std::unique_ptr<BoardSimProcess>> sims;
    std::vector<std::string> wheres;
    std::string targets = "# the line's boards\n\n";
    for (int i = 0; i < 8; ++i) {
        sims.emplace_back(new BoardSimProcess);
        ASSERT_TRUE(sims.back()->Start({"--tcp", "0", "--pty"}));
        wheres.push_back(i == 2 ? "localhost:" + std::to_string(sims.back()->Port())
                                : Where(*sims.back(), i % 2 == 1));
        targets += wheres.back() + "\n";
    }
    /* A TCP one: a stopped simulator's pty could be another test's by now. */
    sims[4]->Stop();
    Spit("targets", targets);
    Outcome run = Panelbin({"push", m_file, "1", "--targets", Path("targets"), "--jobs", "4",
                            "--verify", "--log", Path("log")});
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_TRUE(Has(run.out, "8 boards: 7 ok, 1 failed, 0 mismatched\nboards that failed:\n  " + wheres[4] +
                                 ": connection refused")) << run.out;
    Json schema = Json::parse(Panelbin({"schema", "--log-line"}).out);

    std::unique_ptr<FILE, int (*)(FILE*)> sum(popen(("sha256sum " + m_file).c_str(), "r"), pclose);
    char digest[65] = "";
    ASSERT_TRUE(sum && fscanf(sum.get(), "%64s", digest) == 1);
    std::ifstream log(Path("log"));
    std::vector<std::string> seen;
    for (std::string text; std::getline(log, text);) {
        Json line = Json::parse(text);
        seen.push_back(line["target"]);
        EXPECT_EQ(line["file_sha256"], digest);
        EXPECT_EQ(line["index"], 1);
        EXPECT_TRUE(Has(line["time"], "T") && Has(line["time"], "Z")) << line["time"];
        EXPECT_TRUE(line["duration_ms"].is_number_unsigned());
        EXPECT_EQ(line["panel"], "Panel 1");
        EXPECT_EQ(line["chip"], "R100");
        EXPECT_EQ(line["station"].get<std::string>().empty(), false);
        bool stopped = line["target"] == wheres[4];
        EXPECT_EQ(line["result"], stopped ? "failed" : "ok");
        EXPECT_EQ(line["verified"], stopped ? Json(nullptr) : Json(true));
        if (stopped) {
            EXPECT_TRUE(Has(line["failure"], wheres[4] + ": connection refused")) << line["failure"];
            EXPECT_TRUE(Has(line["link_text"], "Failed to connect the ip and port")) << line["link_text"];
        } else {
            EXPECT_TRUE(line["failure"].is_null());
        }
        if (line["target"] == wheres[2]) {
            EXPECT_EQ(line["address"], "127.0.0.1:" + std::to_string(sims[2]->Port()));
        }
        std::vector<std::string> keys, required = schema["required"];
        for (const auto& field : line.items()) keys.push_back(field.key());
        std::sort(required.begin(), required.end());
        EXPECT_EQ(keys, required);
    }
    std::sort(seen.begin(), seen.end());
    std::sort(wheres.begin(), wheres.end());
    EXPECT_EQ(seen, wheres);
}

TEST_F(FlashTest, AMismatchAmongManyBoardsExitsFiveAndNamesTheField) {
    BoardSimProcess altered, sound;
    ASSERT_TRUE(altered.Start({"--tcp", "0", "--fault", "alter-write"}));
    ASSERT_TRUE(sound.Start({"--pty"}));
    Outcome run = Panelbin({"push", m_file, "0", "--tcp", Where(altered, false), "--serial",
                            Where(sound, true), "--verify", "--jobs", "2"});
    EXPECT_EQ(run.status, 5) << run.out;
    EXPECT_TRUE(Has(run.out, "2 boards: 1 ok, 0 failed, 1 mismatched")) << run.out;
    EXPECT_TRUE(Has(run.out, "chName: file \"Panel 0\", board \"Qanel 0\"")) << run.out;
}

/* Refused before anything is sent: a bad line (by its number), a name that
 * gives no IPv4 address, the same board twice however it is written. */
TEST_F(FlashTest, TargetsThatCannotBeFlashedAreAUsageErrorNamingWhere) {
    std::string seventeen;
    for (int port = 5001; port <= 5016; ++port) seventeen += "127.0.0.1:" + std::to_string(port) + "\n";
    struct Case {
        std::string lines;
        std::vector<std::string> more;
        std::string said;
    } cases[] = {
        {"127.0.0.1:5000\n# a comment\n127.0.0.1:32768\n", {}, ":3: --tcp wants HOST:PORT with a port 0..32767"},
        {"127.0.0.1:5000\na..b:5000\n", {}, ":2: --tcp a..b:5000: use a dotted IPv4 address or a name that resolves to one"},
        {seventeen + "localhost:5003\n", {}, "the board 127.0.0.1:5003 is given twice: " + Path("targets") + ":3 and " +
                                                 Path("targets") + ":17"},
        {seventeen, {"--tcp", "localhost:5016"}, "the board 127.0.0.1:5016 is given twice: --tcp localhost:5016 and " +
                                                     Path("targets") + ":16"},
    };
    for (const Case& c : cases) {
        Spit("targets", c.lines);
        std::vector<std::string> args = {"push", m_file, "0", "--targets", Path("targets")};
        args.insert(args.end(), c.more.begin(), c.more.end());
        Outcome run = Panelbin(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(Has(run.err, c.said)) << run.err;
    }
}

/* Boards that answer a read slowly (about 2 s), four in flight when the run
 * is cancelled: by SIGTERM to panelbin alone, by two, or by a log that
 * cannot be written. No board is started after it, none is left running,
 * each board worked has a whole line. */
TEST_F(FlashTest, ACancelLeavesNoBoardRunningAndALineForEachBoard) {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    struct Case {
        const char* log;
        int signals;
        const char* worked; /* the result of a board in flight */
    } cases[] = {{"log", 1, "ok"}, {"log", 2, "interrupted"}, {"/dev/full", 0, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.log) + " " + std::to_string(c.signals));
        std::vector<std::unique_ptr<BoardSimProcess>> sims;
        std::string targets;
        for (int i = 0; i < 8; ++i) {
            sims.emplace_back(new BoardSimProcess);
            ASSERT_TRUE(sims.back()->Start({"--tcp", "0", "--fault", "trickle", "--fault", "trickle"}));
            targets += Where(*sims.back(), false) + "\n";
        }
        Spit("targets", targets);
        const std::string log = c.worked ? Path(c.log) : c.log;
        unlink(Path("log").c_str());
        pid_t pid = SpawnProgram({PANELBIN_PATH, "push", m_file, "1", "--targets", Path("targets"), "--jobs", "4",
                                  "--verify", "--log", log}, m_dir);
        /* Signalled once four boards are in flight, however slow the start. */
        const auto inFlight = [&sims] {
            return std::count_if(sims.begin(), sims.end(), [](const auto& sim) { return !sim->Records().empty(); });
        };
        for (int wait = 0; c.signals > 0 && inFlight() < 4 && wait < 100; ++wait) usleep(100 * 1000);
        for (int i = 0; i < c.signals; ++i) {
            usleep(300 * 1000);
            kill(pid, SIGTERM);
        }
        Outcome run = WaitProgram(pid, m_dir);
        EXPECT_EQ(run.status, 7) << run.err;
        EXPECT_TRUE(Has(run.err, c.worked ? "cancelled: SIGTERM" : "the log cannot be written")) << run.err;
        EXPECT_EQ(Orphans(), 0);
        std::map<std::string, Json> lines;
        if (c.worked) lines = LogLines(log); /* /dev/full reads as endless zeros */
        size_t worked = 0;
        for (const auto& sim : sims) {
            bool touched = !sim->Records().empty();
            worked += touched;
            if (c.worked) {
                EXPECT_EQ(lines[Where(*sim, false)]["result"], touched ? c.worked : "skipped");
            }
        }
        EXPECT_EQ(worked, 4u);
    }
}

/* On a terminal the live line shows the hung board as the slowest; the
 * summary names it; --retry-failed, once it answers again, flashes it alone. */
TEST_F(FlashTest, AHungBoardIsShownLiveNamedInTheSummaryAndRetriedAlone) {
    std::vector<std::unique_ptr<BoardSimProcess>> sims;
    std::string targets;
    for (int i = 0; i < 8; ++i) {
        sims.emplace_back(new BoardSimProcess);
        std::vector<std::string> args = {"--tcp", "0"};
        if (i == 5) args.insert(args.end(), {"--fault", "hang"});
        ASSERT_TRUE(sims.back()->Start(args));
        targets += Where(*sims.back(), false) + "\n";
    }
    const std::string hung = Where(*sims[5], false);
    Spit("targets", targets);
    const std::string push = std::string(PANELBIN_PATH) + " push " + m_file + " 1 --jobs 8 --log " + Path("log");
    Outcome run = WaitProgram(SpawnProgram({"script", "-qec", push + " --targets " + Path("targets"), "/dev/null"},
                                           m_dir), m_dir);
    EXPECT_EQ(run.status, 4) << run.out;
    EXPECT_TRUE(Has(run.out, "1 in flight, the slowest " + hung + " for ")) << run.out;
    EXPECT_TRUE(Has(run.out, "boards that failed:\r\n  " + hung + ": no answer from the board")) << run.out;

    std::vector<size_t> frames;
    for (const auto& sim : sims) frames.push_back(sim->Records().size());
    ASSERT_TRUE(sims[5]->Signal(SIGUSR1));
    Outcome retry = Panelbin({"push", m_file, "1", "--retry-failed", Path("log"), "--log", Path("log")});
    EXPECT_EQ(retry.status, 0) << retry.out << retry.err;
    EXPECT_TRUE(Has(retry.out, "1 boards: 1 ok")) << retry.out;
    for (size_t i = 0; i < sims.size(); ++i) EXPECT_EQ(sims[i]->Records().size(), frames[i] + (i == 5)) << i;
    EXPECT_EQ(LogLines(Path("log"))[hung]["result"], "ok");
}

/* A reply of the other series' size: read as that series when no --chip
 * was given, named when the wrong one was. */
TEST_F(FlashTest, PullFindsTheChipSeriesTheBoardHolds) {
    struct Case {
        const char* held;
        std::vector<std::string> chip;
        int status;
        const char* said;
    } cases[] = {{"R120", {}, 0, "the board holds an R120 panel; read as R120"},
                 {"R100", {"--chip", "R120"}, 4, "the board holds an R100 panel; use --chip R100"}};
    for (const Case& c : cases) {
        BoardSimProcess sim;
        ASSERT_TRUE(sim.Start({"--tcp", "0", "--generation", c.held}));
        std::vector<std::string> args = {"pull", "--tcp", Where(sim, false)};
        args.insert(args.end(), c.chip.begin(), c.chip.end());
        Outcome pulled = Panelbin(args);
        EXPECT_EQ(pulled.status, c.status) << pulled.err;
        EXPECT_TRUE(Has(pulled.err, c.said)) << pulled.err;
        if (c.status == 0) {
            EXPECT_TRUE(Has(pulled.out, "R120 panel info")) << pulled.out;
        }
    }
}

TEST_F(FlashTest, TheTraceDecodesEveryFrameOfBothLinks) {
    struct Case {
        bool serial;
        const char* fault;
        std::vector<std::string> lines;
    } cases[] = {
        {false, "trickle", {"connect 127.0.0.1:", "> header magic 0x5654534b \"KSTV\" cmd 0x8000 (panel) len 328 head-sum 0x",
                            "> data 328 bytes sub-command 1 (write panel info), data-sum 0x", "< respond 0xd0 (frame taken)",
                            "< respond 0xe0 (request done)", "> data 4 bytes sub-command 0 (read panel info), data-sum 0x00000000 (ok)",
                            "< reply 324 bytes\n           50616e656c2031", "< reply-sum 0x"}},
        {true, "trickle", {"open /dev/pts/", "locked", "> start text \"kest_pq_tool.sh\"", "< respond 0xa0 (header taken)",
                           "< respond 0xb0 (data taken)", "< reply 324 bytes", "cmd 0x1000 (end of link) len 0 head-sum"}},
        {false, "bad-checksum", {"(wrong: the bytes sum to 0x"}},
        {true, "silent", {"ms: nothing came"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[0]);
        BoardSimProcess sim;
        ASSERT_TRUE(sim.Start({"--tcp", "0", "--pty", "--fault", c.fault}));
        Panelbin({"push", m_file, "1", Flag(c.serial), Where(sim, c.serial), "--verify", "--trace", Path("trace")});
        const std::string trace = Slurp(Path("trace"));
        EXPECT_TRUE(Has(trace, "# panelbin trace; +0.000 is 20")) << trace;
        for (const std::string& line : c.lines) EXPECT_TRUE(Has(trace, line)) << line << "\n" << trace;
        if (std::string(c.fault) == "trickle") {
            EXPECT_FALSE(Has(trace, "wrong")) << trace;
        }
    }
}

TEST_F(FlashTest, PortsListsAPtyGivenByPathAndMarksALockedOneBusy) {
    BoardSimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty"}));
    for (bool locked : {false, true}) {
        int held = locked ? open(sim.PtyPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
        if (locked) {
            ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
        }
        Outcome listed = Panelbin({"ports", "--json", sim.PtyPath()});
        if (held != -1) close(held);
        ASSERT_EQ(listed.status, 0) << listed.err;
        Json pty;
        std::vector<std::string> devices;
        for (const Json& port : Json::parse(listed.out)) {
            devices.push_back(port["device"]);
            if (port["device"] == sim.PtyPath()) pty = port;
        }
        EXPECT_EQ(pty["kind"], "pseudo-terminal");
        EXPECT_EQ(pty["state"], locked ? "busy" : "free");
        if (locked) {
            EXPECT_TRUE(Has(pty["detail"], "locked by pid " + std::to_string(getpid()))) << pty;
        }
        /* Every USB and platform port of the machine is listed too. */
        for (const char* name : {"ttyUSB0", "ttyACM0", "ttyAMA0"})
            if (access(("/sys/class/tty/" + std::string(name)).c_str(), F_OK) == 0) {
                EXPECT_NE(std::find(devices.begin(), devices.end(), "/dev/" + std::string(name)),
                          devices.end());
            }
    }
    Outcome unknown = Panelbin({"push", m_file, "0", "--serial", "serial:no-such-number"});
    EXPECT_EQ(unknown.status, 4);
    EXPECT_TRUE(Has(unknown.err, "no USB serial port has the serial number no-such-number")) << unknown.err;
}

/* The padding's edges: 55 bytes fit one block, 56 and 64 need a second;
 * input fed in pieces that straddle blocks. */
TEST(Sha256, KnownDigestsAtEveryPaddingEdge) {
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        Sha256 digest;
        for (size_t at = 0; at < c.input.size(); at += 37)
            digest.Add(c.input.data() + at, std::min<size_t>(37, c.input.size() - at));
        EXPECT_EQ(digest.HexDigest(), c.digest) << c.input.size() << " bytes";
    }
}

TEST(PlainWords, TheLinksTextsReadAsPlainWords) {
    struct Case {
        const char* text;
        const char* words;
    } cases[] = {
        {"getsockopt error. error: 111, Connection refusedFailed to connect the ip and port.Operation now in progress errno:115",
         "connection refused"},
        {"select over timeFailed to connect the ip and port.Operation now in progress errno:115",
         "no answer to the connection within 3 s"},
        {"Can not connect to the Serial Port! It may be in use or not exist./dev/ttyUSB0Resource temporarily unavailable errno:11",
         "in use by another program"},
        {"Can not connect to the Serial Port! It may be in use or not exist./dev/ttyUSB0Permission denied errno:13",
         "no permission to open it (is your user in the dialout group?)"},
        {"/dev/ttyUSB0Success errno:0Receive 0 Bytes. Connection timed out errno:110Failed to read. Failed to receive "
         "0xA0 respond.Connection timed out errno:110",
         "no answer from the board within 5 s (after the header)"},
        {"Failed to write. Failed to check respond.Success", "the board answered with a wrong byte"},
        {"Failed to read. Failed to receive data.Connection reset by peer", "the board closed the connection mid-reply"},
        {"Failed to write. Failed to send data and checksum.Connection timed out errno:110",
         "the line took no bytes within 5 s"},
        {"/dev/nullFailed to set comm param.Inappropriate ioctl for device errno:25Input/output error errno:5"
         "Failed to write. Failed to receive 0xA0 respond.Input/output error errno:5",
         "not a serial port (it is no terminal)"},
        {"Can not connect to the Serial Port! It may be in use or not exist./tmp/notes.binInappropriate ioctl for device errno:25",
         "not a serial port (it is no terminal; nothing was written to it)"},
        {"Failed to read. Failed to receive respond.Connection timed out The board call ran out of its 10 s limit.",
         "the board call ran out of its 10 s limit"},
        {"The board link was busy for the whole 10 s limit of the call.",
         "the link stayed busy with another call for the whole 10 s limit"},
        {"a text no version of the link has written yet", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(PlainWords(c.text), c.words) << c.text;
}

}  // namespace
