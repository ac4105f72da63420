/* panelbin as a user runs it: round trips, the damages check names, what
 * make refuses, bad command lines, and push/pull against board-sim. */
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "panel/binfile/bin_file.h"
#include "tests/native/board_sim_process.h"
#include "tests/panelbin/run_panelbin.h"

namespace {

using Json = nlohmann::ordered_json;

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

/* Every enumerated value's name dropped: dump names the stored enumerator,
 * a document written by hand need not. */
Json WithoutNames(Json document) {
    for (Json& panel : document["panels"])
        for (auto& field : panel.items())
            if (field.value().is_object()) field.value()["name"] = nullptr;
    return document;
}

class PanelbinTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/panelbin-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { (void)system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    /* The tool with its output in files: no pipe to fill up. */
    Outcome Panelbin(std::vector<std::string> args, const std::string& in = "/dev/null") {
        return RunPanelbin(std::move(args), m_dir, in);
    }

    /* A document of `count` panels whose options are all choice 0, named
     * Panel 0, Panel 1, ...: what dump gives for any file of such panels. */
    Json Document(PanelGeneration generation, size_t count) {
        std::vector<KS_U8> zeros(count * BodySize(generation) + 1, 0);
        KS_PANEL_HEADER_S header = {KS_PANEL_INDEX_STORE_MEDIA_EMMC, 0xFFFFFFFF, 3, 1};
        BinStatus status;
        EXPECT_TRUE(WriteBinFile(Path("zero.bin").c_str(), header, zeros.data(), count, generation,
                                 &status));
        Json document = Json::parse(Panelbin({"dump", Path("zero.bin")}).out);
        for (Json& panel : document["panels"]) {
            panel.erase("reserved"); /* the writer's fill instead of the zeros above */
            for (auto& field : panel.items())
                if (field.value().is_object()) field.value() = {{"id", 0}, {"name", nullptr}};
        }
        for (size_t i = 0; i < count; ++i)
            document["panels"][i]["chName"] = "Panel " + std::to_string(i) + " 液晶\U0001F4FA";
        return document;
    }

    /* A sound file of those panels, made by the tool. */
    std::string MadeFile(PanelGeneration generation, size_t count, const std::string& name) {
        Spit(Path(name + ".json"), Document(generation, count).dump());
        Outcome made = Panelbin({"make", Path(name), "--from", Path(name + ".json")});
        EXPECT_EQ(made.status, 0) << made.err;
        return Path(name);
    }

    std::string m_dir;
};

TEST_F(PanelbinTest, DumpOfMadeFileGivesTheDocumentBackAndCheckCallsItSound) {
    for (PanelGeneration generation : {PanelGeneration::kR100, PanelGeneration::kR120}) {
        for (size_t count : {0, 1, 3}) {
            Json document = Document(generation, count);
            std::string file = MadeFile(generation, count, "made.bin");
            Outcome dumped = Panelbin({"dump", file});
            ASSERT_EQ(dumped.status, 0) << dumped.err;
            EXPECT_EQ(WithoutNames(Json::parse(dumped.out)), document)
                << GenerationName(generation) << " " << count;
            Outcome checked = Panelbin({"check", file});
            EXPECT_EQ(checked.status, 0) << checked.out;
            EXPECT_NE(checked.out.find("sound"), std::string::npos) << checked.out;
        }
    }
}

/* The library's readers refuse a FIFO; the tool reads one into memory and
 * says of it what it says of the file that went in. */
TEST_F(PanelbinTest, AFifoIsReadAsTheFileWrittenIntoIt) {
    const std::string bytes = Slurp(MadeFile(PanelGeneration::kR120, 3, "made.bin"));
    const std::string fifo = Path("fifo");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (const std::string command : {"check", "show"}) {
        std::thread writer([&] { Spit(fifo, bytes); });
        Outcome read = Panelbin({command, fifo});
        writer.join();
        EXPECT_EQ(0, read.status) << command << ": " << read.err;
        EXPECT_NE(std::string::npos, read.out.find(command == "check" ? "sound, R120" : "R120"))
            << command << ": " << read.out;
    }
}

TEST_F(PanelbinTest, CheckNamesEachDamage) {
    const std::string sound = Slurp(MadeFile(PanelGeneration::kR120, 3, "sound.bin"));
    const size_t record = 36 + 632, firstKey = 132;
    struct Damage {
        const char* name;
        std::function<void(std::string&)> damage;
        std::vector<std::string> chip;
        const char* says;
    } damages[] = {
        {"short", [](std::string& f) { f.resize(819100); }, {}, "file is 819100 bytes, expected 819200"},
        {"magic", [](std::string& f) { f[0] = 'x'; }, {}, "does not start with \"###\""},
        {"header table", [](std::string& f) { f[8 + 10] = 'X'; }, {}, "no table \"panelheader\""},
        {"used size", [](std::string& f) { f.replace(4, 4, std::string("\xff\xff\x0f\x00", 4)); }, {},
         "bytes in use 1048575 exceed 819200"},
        {"table size", [](std::string& f) { f.replace(128, 4, std::string("\x00\x00\x0f\x00", 4)); }, {},
         "past the end of the used region"},
        {"key order", [&](std::string& f) { f[firstKey + record + 5] = '7'; }, {},
         "named \"index7\", expected \"index1\""},
        {"chip", [](std::string&) {}, {"--chip", "R100"}, "key index0 holds 632 bytes, the R100 panel size is 476"},
        {"tail", [](std::string& f) { f[819199] = 1; }, {}, "after the used region"},
    };
    for (const Damage& d : damages) {
        std::string image = sound;
        d.damage(image);
        Spit(Path("damaged.bin"), image);
        std::vector<std::string> args = {"check", Path("damaged.bin")};
        args.insert(args.end(), d.chip.begin(), d.chip.end());
        Outcome checked = Panelbin(args);
        EXPECT_EQ(checked.status, 1) << d.name;
        EXPECT_NE(checked.out.find(d.says), std::string::npos) << d.name << ": " << checked.out;
    }
}

TEST_F(PanelbinTest, MakeRefusesBadDocumentsByPanelAndKeyAndWritesNothing) {
    const Json good = Document(PanelGeneration::kR100, 2);
    const std::string kept = "the file that was there";
    struct Case {
        std::function<void(Json&)> spoil;
        std::vector<std::string> chip;
        const char* says;
    } cases[] = {
        {[](Json& d) { d["panels"][1]["colour"] = 1; }, {}, "panel 1: unknown key colour"},
        {[](Json& d) { d["panels"][0].erase("u32PanelWidth"); }, {}, "panel 0: missing key u32PanelWidth"},
        {[](Json& d) { d["panels"][0]["chName"] = 5; }, {}, "panel 0, key chName: must be a string"},
        {[](Json& d) { d["panels"][1]["u16HsyncWidth"] = 70000; }, {}, "panel 1, key u16HsyncWidth: value 70000 is out of range 0..65535"},
        {[](Json& d) { d["panels"][0]["bSupport48Hz"] = 2; }, {}, "key bSupport48Hz: value 2 is out of range 0..1"},
        {[](Json& d) { d["panels"][0]["u32PanelWidth"] = 1.5; }, {}, "key u32PanelWidth: value must be an integer"},
        {[](Json& d) { d["panels"][0]["enIntfType"] = {{"id", 3}}; }, {},
         "key enIntfType: id 3 is not one of its choices (0 LVDS, 1 VBONE, 2 MINLVDS)"},
        {[](Json& d) { d["panels"][0]["enIntfType"] = {{"id", 1}, {"name", "LVDS"}}; }, {},
         "key enIntfType: name \"LVDS\" does not match id 1, which is VBONE"},
        {[](Json& d) { d["panels"][0]["chName"] = std::string(49, 'a'); }, {}, "key chName: text is 49 bytes, the field holds 48"},
        {[](Json& d) { d["panels"][0]["sendI2c"] = 1; }, {}, "panel 0: key sendI2c belongs to the other chip series"},
        {[](Json& d) { d["header"]["enMedia"] = 1.5; }, {}, "header, key enMedia: must be an object"},
        {[](Json&) {}, {"--chip", "R120"}, "--chip R120 disagrees with the document's generation R100"},
    };
    for (const Case& c : cases) {
        Json document = good;
        c.spoil(document);
        Spit(Path("bad.json"), document.dump());
        Spit(Path("target.bin"), kept);
        std::vector<std::string> args = {"make", Path("target.bin"), "--from", Path("bad.json")};
        args.insert(args.end(), c.chip.begin(), c.chip.end());
        Outcome made = Panelbin(args);
        EXPECT_EQ(made.status, 1) << c.says;
        EXPECT_NE(made.err.find(c.says), std::string::npos) << made.err;
        EXPECT_EQ(Slurp(Path("target.bin")), kept) << c.says;
    }
    Spit(Path("bad.json"), "{\"panels\": [");
    Outcome broken = Panelbin({"make", Path("new.bin"), "--from", Path("bad.json")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("not JSON: parse error at line 1"), std::string::npos) << broken.err;
    EXPECT_NE(access(Path("new.bin").c_str(), F_OK), 0);
}

TEST_F(PanelbinTest, BadCommandLinesAreUsageErrors) {
    const std::string file = MadeFile(PanelGeneration::kR100, 1, "one.bin");
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"show"},
        {"frobnicate", file},
        {"make", Path("x.bin")},
        {"dump", file, "--chip", "R130"},
        {"dump", file, "--index", "-1"},
        {"push", file, "0"},
        {"push", file, "0", "--tcp", "127.0.0.1:1", "--targets"},
        {"pull", "--tcp", "127.0.0.1"},
        {"pull", "--tcp", "127.0.0.1:70000"},
        {"pull", "--tcp", "127.0.0.1:32768"},
        {"push", file, "0", "--tcp", "127.0.0.1:1", "--jobs", "0"},
        {"verify", file, "0"},
    };
    for (const std::vector<std::string>& line : lines) {
        Outcome run = Panelbin(line);
        std::string shown = line.empty() ? "(nothing)" : line[0];
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_TRUE(run.out.empty()) << shown << ": " << run.out;
        EXPECT_FALSE(run.err.empty()) << shown;
    }
}

TEST_F(PanelbinTest, PushAndPullGoThroughTheBoardLink) {
    for (const char* transport : {"--tcp", "--serial"}) {
        const std::string file = MadeFile(PanelGeneration::kR120, 3, "board.bin");
        BoardSimProcess board;
        ASSERT_TRUE(board.Start({"--tcp", "0", "--pty"}));
        const std::string where = std::string(transport) == "--tcp"
                                      ? "127.0.0.1:" + std::to_string(board.Port())
                                      : board.PtyPath();
        Outcome pushed = Panelbin({"push", file, "2", transport, where});
        ASSERT_EQ(pushed.status, 0) << transport << ": " << pushed.err;
        /* The frame carries sub-command 1, then panel 2's 364-byte panel info. */
        std::vector<KS_U8> body(632);
        BinFileReader reader;
        ASSERT_TRUE(reader.Open(file.c_str(), PanelGeneration::kR120) && reader.ReadPanel(2, body.data()));
        const std::string payload = "01000000" + Hex(body.data(), 364);
        bool sent = false;
        for (const std::string& frame : board.Records()) sent |= frame.find(payload) != std::string::npos;
        EXPECT_TRUE(sent) << transport;

        Outcome pulled = Panelbin({"pull", transport, where, "--chip", "R120", "--json"});
        ASSERT_EQ(pulled.status, 0) << transport << ": " << pulled.err;
        Json panel = Json::parse(pulled.out)["panels"][0];
        EXPECT_EQ(panel["chName"], "Panel 2 液晶\U0001F4FA");
        EXPECT_EQ(panel["u32PanelBackLightPwm"], 0) << "kept on the host";
        Spit(Path("pulled.json"), pulled.out);
        Outcome remade = Panelbin({"make", Path("pulled.bin"), "--from", Path("pulled.json")});
        EXPECT_EQ(remade.status, 0) << "make takes what pull --json prints: " << remade.err;

        board.Stop();
        /* Gone: the link's own failure text, not a guess. A stopped
         * simulator's pty may be another test's at once, so the serial
         * board that is gone is a port that never was. */
        const std::string gone = std::string(transport) == "--serial" ? Path("ttyGONE") : where;
        Outcome failed = Panelbin({"push", file, "0", transport, gone});
        EXPECT_EQ(failed.status, 4) << transport;
        EXPECT_NE(failed.err.find(gone + ": "), std::string::npos) << failed.err;
        EXPECT_EQ(failed.err.find("the board link "), std::string::npos) << failed.err;
    }
}

/* Records of random bytes, as a file from elsewhere may hold: the document
 * keeps every byte, and diff names every byte that differs. Panel k of the
 * second file differs from the first in byte k alone. */
TEST_F(PanelbinTest, EveryByteOfARecordSurvivesDumpAndMakeAndDiffNamesIt) {
    srand(17);
    for (PanelGeneration generation : {PanelGeneration::kR100, PanelGeneration::kR120}) {
        const size_t size = BodySize(generation);
        std::vector<KS_U8> base(size);
        for (KS_U8& byte : base) byte = static_cast<KS_U8>(rand() % 4 == 0 ? 0 : rand());
        base[0] = 'a', base[1] = 'b', base[2] = 0; /* chName "ab", then bytes after it */
        std::vector<KS_U8> same, flipped;
        for (size_t k = 0; k < size; ++k) {
            same.insert(same.end(), base.begin(), base.end());
            flipped.insert(flipped.end(), base.begin(), base.end());
            flipped[k * size + k] ^= static_cast<KS_U8>(1 + rand() % 255);
        }
        KS_PANEL_HEADER_S header = {static_cast<KS_PANEL_INDEX_STORE_MEDIA_E>(rand()), 7, 9, 11};
        BinStatus status;
        ASSERT_TRUE(WriteBinFile(Path("a.bin").c_str(), header, same.data(), size, generation, &status));
        ASSERT_TRUE(WriteBinFile(Path("b.bin").c_str(), header, flipped.data(), size, generation, &status));
        for (const char* name : {"a.bin", "b.bin"}) {
            Spit(Path("doc.json"), Panelbin({"dump", Path(name)}).out);
            Outcome made = Panelbin({"make", Path("again.bin"), "--from", Path("doc.json")});
            ASSERT_EQ(made.status, 0) << made.err;
            EXPECT_EQ(Slurp(Path("again.bin")), Slurp(Path(name))) << GenerationName(generation);
            EXPECT_EQ(Panelbin({"diff", Path(name), Path("again.bin")}).status, 0);
        }
        Outcome diff = Panelbin({"diff", "--json", Path("a.bin"), Path("b.bin")});
        EXPECT_EQ(diff.status, 1);
        std::vector<size_t> lines(size, 0);
        const Json differences = Json::parse(diff.out)["differences"];
        for (const Json& d : differences) ++lines.at(d["panel"].get<size_t>());
        for (size_t k = 0; k < size; ++k) EXPECT_GE(lines[k], 1u) << "byte " << k << " not reported";
        EXPECT_NE(diff.out.find("panel 10 chName, after the text, byte 10: "), std::string::npos);
        EXPECT_NE(diff.out.find("panel 0 chName: \\\"ab\\\" -> "), std::string::npos);
    }
}

TEST_F(PanelbinTest, ExitStatusesTellWhatWentWrong) {
    const std::string one = MadeFile(PanelGeneration::kR100, 1, "one.bin");
    Json miscounted = Document(PanelGeneration::kR100, 1);
    miscounted["header"]["u32TotalNum"] = 4; /* as dump --index 1 of a 4-panel file keeps it */
    Spit(Path("miscounted.json"), miscounted.dump());
    ASSERT_EQ(Panelbin({"make", Path("four.bin"), "--from", Path("miscounted.json")}).status, 0);
    const std::string r120 = MadeFile(PanelGeneration::kR120, 2, "r120.bin");
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    const std::string pts = ptsname(terminal);
    Spit(Path("deep.json"), std::string(100000, '[') + std::string(100000, ']'));
    Spit(Path("twice.json"), "{\"header\": {}, \"header\": {}}");
    Spit(Path("long.json"), "{\"generation\": \"" + std::string(1 << 20, 'x') + "\"}");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string says; /* on stdout or stderr */
    } cases[] = {
        {{"check", Path("missing.bin")}, 3, "cannot read: No such file"},
        {{"show", m_dir}, 3, "a directory, not a bin file"},
        {{"dump", pts}, 3, "a terminal, not a bin file"},
        {{"check", "-"}, 0, "standard input: sound, R120"}, /* stdin: the R120 file */
        {{"show", "-"}, 0, "standard input: R120 (from the stored panel size), 2 panels"},
        {{"check", Path("four.bin")}, 0, "warning: the header's u32TotalNum is 4, the file holds 1 panel"},
        {{"check", "--strict", Path("four.bin")}, 1, "conformity: FAIL (0 errors, 2 warnings) --strict"},
        {{"check", one}, 0, "sound"},
        {{"make", Path("x.bin"), "--from", Path("deep.json")}, 1, "nested deeper than 64 levels"},
        {{"make", Path("x.bin"), "--from", Path("twice.json")}, 1, "key \"header\" is given twice"},
        {{"make", Path("x.bin"), "--from", Path("long.json")}, 1, "not \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"...\n"},
        {{"make", m_dir + "/none/x.bin", "--from", Path("miscounted.json")}, 3, "none/x.bin"},
        {{"set", one, "0", "nosuch=1"}, 1, "panel 0: unknown key nosuch"},
        {{"set", one, "0", "bSupport48Hz=2"}, 1, "value 2 is out of range 0..1"},
        {{"set", one, "0", "enIntfType=HDMI"}, 1, "no choice is named \"HDMI\""},
        {{"set", one, "3", "u32PanelWidth=1"}, 2, "panel number below 1"},
        /* A regular file is no serial port: refused before a byte goes to it. */
        {{"pull", "--serial", one}, 4, one + ": not a serial port"},
    };
    for (const auto& c : cases) {
        Outcome run = Panelbin(c.args, r120);
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args[1] << ": " << run.err;
        EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    }
    EXPECT_NE(access(Path("x.bin").c_str(), F_OK), 0);
    EXPECT_EQ(Slurp(one), Slurp(MadeFile(PanelGeneration::kR100, 1, "one-again.bin")))
        << "pull --serial wrote into a regular file";
    close(terminal);

    /* A pipe is read once, whole; make writes "-" to standard output. */
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(Path("fifo"), std::ios::binary) << Slurp(r120); });
    Outcome piped = Panelbin({"dump", Path("fifo")});
    writer.join();
    EXPECT_EQ(piped.status, 0) << piped.err;
    Spit(Path("piped.json"), piped.out);
    EXPECT_EQ(Panelbin({"make", "-", "--from", Path("piped.json")}).out, Slurp(r120));
    EXPECT_NE(access("-", F_OK), 0);
}

TEST_F(PanelbinTest, SetChangesOnlyTheFieldsNamed) {
    const std::string file = MadeFile(PanelGeneration::kR120, 3, "set.bin");
    const std::string before = Path("before.bin");
    Spit(before, Slurp(file));
    Outcome set = Panelbin({"set", file, "1", "chName=新しい name", "enIntfType=MINLVDS",
                            "u32PanelWidth=-1", "i2cDataArray=[1,2]", "bSupport48Hz={\"raw\": 9}"});
    ASSERT_EQ(set.status, 0) << set.err;
    ASSERT_EQ(Panelbin({"set", file, "header", "u32Index=2"}).status, 0);
    Outcome diff = Panelbin({"diff", before, file});
    EXPECT_EQ(diff.out,
              "header u32Index: 1 -> 2\n"
              "panel 1 chName: \"Panel 1 液晶\U0001F4FA\" -> \"新しい name\"\n"
              "panel 1 u32PanelWidth: 0 -> -1\n"
              "panel 1 bSupport48Hz: 0 -> raw 9\n"
              "panel 1 enIntfType: 0 (LVDS) -> 2 (MINLVDS)\n"
              "panel 1 i2cDataArray[0]: 0 -> 1\n"
              "panel 1 i2cDataArray[1]: 0 -> 2\n");
}

/* Panels of the CEA 1080p60 timing, the clock in kHz. */
Json WithTimings(Json document) {
    for (Json& p : document["panels"]) {
        p["u32PanelWidth"] = 1920, p["u32Panelheight"] = 1080, p["stTiming60HzPixelClk"] = 148500;
        p["stTiming60HzHtotal"] = 2200, p["stTiming60HzVtotal"] = 1125;
        p["u16Timing60HzHsyncFP"] = 88, p["u16Timing60HzVsyncFP"] = 4;
        p["u16HsyncWidth"] = 44, p["u16VsyncWidth"] = 5;
    }
    return document;
}

TEST_F(PanelbinTest, CheckReportsEveryFindingOfAFileInOneRun) {
    Json document = WithTimings(Document(PanelGeneration::kR100, 4));
    document["header"]["u32TotalNum"] = 4;
    Spit(Path("good.json"), document.dump());
    ASSERT_EQ(Panelbin({"make", Path("good.bin"), "--from", Path("good.json")}).status, 0);
    Outcome good = Panelbin({"check", "--strict", Path("good.bin")});
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_NE(good.out.find("pixel clock read as kHz: 4 of 4 panels' 60 Hz timings fit\n"
                            "conformity: PASS (0 errors, 0 warnings)"), std::string::npos) << good.out;
    EXPECT_EQ(Panelbin({"check", "--strict", "--clock-unit", "MHz", Path("good.bin")}).status, 1);

    Json& panels = document["panels"];
    panels[0]["u16HsyncWidth"] = 192;
    panels[1]["u32PanelWidth"] = 3968;
    panels[2]["enIntfType"] = {{"raw", 99}};
    panels[2]["bHSyncOutput"] = {{"raw", 7}};
    panels[2]["bSupport48Hz"] = 1;
    panels[3]["stTiming60HzPixelClk"] = 124416;
    panels[3]["chName"] = std::string(48, 'x');
    Spit(Path("bad.json"), document.dump());
    ASSERT_EQ(Panelbin({"make", Path("bad.bin"), "--from", Path("bad.json")}).status, 0);
    Outcome bad = Panelbin({"check", Path("bad.bin")});
    EXPECT_EQ(bad.status, 1);
    for (const char* line :
         {"pixel clock read as kHz: 3 of 4 panels' 60 Hz timings fit",
          "panel 0, stTiming60HzHtotal: warning: h back porch is 0",
          "panel 1, stTiming60HzHtotal: error: total 2200 is less than width 3968 + front porch 88 + sync 44 = 4100",
          "panel 2, enIntfType: error: stored value 99 is no choice (0 LVDS, 1 VBONE, 2 MINLVDS)",
          "panel 2, bHSyncOutput: error: a flag holding 7, not 0 or 1",
          "panel 2, bSupport48Hz: error: claims 48 Hz, but the 48 Hz timing is all zero",
          "panel 3, stTiming60HzPixelClk: warning: refresh 50.269 Hz with the clock read as kHz",
          "panel 3, chName: warning: text fills all 48 bytes", "conformity: FAIL (4 errors, 3 warnings)"})
        EXPECT_NE(bad.out.find(line), std::string::npos) << line << "\n" << bad.out;
    const Json json = Json::parse(Panelbin({"check", "--json", Path("bad.bin")}).out);
    EXPECT_EQ(json["findings"].size(), 7u);
    EXPECT_EQ(json["errors"], 4);
}

TEST_F(PanelbinTest, ShowAndDiffTellADamagedFileFromADifference) {
    const std::string sound = MadeFile(PanelGeneration::kR100, 2, "sound.bin");
    for (size_t size : {2000, 100}) {
        Spit(Path("short.bin"), Slurp(sound).substr(0, size));
        const std::string says = "damaged: file is " + std::to_string(size) + " bytes, expected 819200";
        Outcome shown = Panelbin({"show", Path("short.bin")});
        EXPECT_EQ(shown.status, 1);
        EXPECT_EQ(shown.out.substr(0, shown.out.find('\n')), Path("short.bin") + ": " + says);
        Outcome diff = Panelbin({"diff", "--json", sound, Path("short.bin")});
        EXPECT_EQ(diff.status, 6) << diff.err;
        const Json document = Json::parse(diff.out);
        EXPECT_EQ(document["exitStatus"], 6);
        EXPECT_EQ(document["sides"][1]["damaged"], says.substr(9));
    }
    ASSERT_EQ(Panelbin({"set", sound, "1", "u32PanelWidth=7"}).status, 0);
    EXPECT_EQ(Panelbin({"diff", sound, MadeFile(PanelGeneration::kR100, 2, "other.bin")}).status, 1);
}

TEST_F(PanelbinTest, SetAndMakeTakeAChoiceByNameOrIdAndSayWhatWasMeant) {
    const std::string file = MadeFile(PanelGeneration::kR120, 1, "one.bin");
    ASSERT_EQ(Panelbin({"set", file, "0", "enIntfType=vbone", "enLink2=3"}).status, 0);
    const Json panel = Json::parse(Panelbin({"dump", file}).out)["panels"][0];
    EXPECT_EQ(panel["enIntfType"]["id"], 1);
    EXPECT_EQ(panel["enLink2"]["name"], "PIXEL3");
    Outcome unknown = Panelbin({"set", file, "0", "enIntfType=lvdx"});
    EXPECT_NE(unknown.err.find("(choices: 0 LVDS, 1 VBONE, 2 MINLVDS)"), std::string::npos) << unknown.err;
    Outcome misspelt = Panelbin({"set", file, "0", "u32panelwidth=1"});
    EXPECT_NE(misspelt.err.find("unknown key u32panelwidth (did you mean u32PanelWidth?)"),
              std::string::npos) << misspelt.err;
    Json document = Document(PanelGeneration::kR100, 2);
    document["panels"][0]["enIntfType"] = {{"name", "MINLVDS"}};
    document["panels"][1]["enIntfType"] = "VBONE";
    document["header"]["enMedia"] = 2;
    Spit(Path("named.json"), document.dump());
    ASSERT_EQ(Panelbin({"make", Path("named.bin"), "--from", Path("named.json")}).status, 0);
    const Json made = Json::parse(Panelbin({"dump", Path("named.bin")}).out);
    EXPECT_EQ(made["panels"][0]["enIntfType"]["id"], 2);
    EXPECT_EQ(made["panels"][1]["enIntfType"]["id"], 1);
    EXPECT_EQ(made["header"]["enMedia"]["name"], "NAND_FLASH");
}

}  // namespace
