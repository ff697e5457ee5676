#include "updater/core.h"
#include "tests/updater/fake_host.h"
#include "updater/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using upd::Answer;
using upd::Updater;
using Lines = std::vector<std::string>;

namespace {

struct Fixture {
    FakeHost host;
    Updater updater{host};
    Fixture() { host.updater = &updater; }
    void *Send(uint32_t message, const void *param = nullptr) {
        return updater.OnEngineMessage(message, const_cast<void *>(param));
    }
    void *Progress(uint32_t v) { return Send(5, &v); }
};

const std::string kBox = "box [KORVANTE Aggiornamento] ";

TEST(MainSequence, SetUpThenWaitsAndCancelLeavesUtilsCopiedAndSaveDeleted) {
    Fixture f;
    f.host.pressed = upd::kIdCancel;
    EXPECT_EQ(f.updater.Entry("updater.exe"), 0);
    EXPECT_EQ(f.host.log, (Lines{
                              "copy PATCHW32.DLL -> C:\\WINDOWS\\SYSTEM32\\patchw32.dll",
                              "window",
                              "load engine",
                              "exists QMBPATCH36.RTP",
                              "registry",
                              "copy utilsmmx.dll -> C:\\GIOCHI\\KORVANTE\\utils.dll",
                              "delete C:\\GIOCHI\\KORVANTE\\save\\partido.dat",
                              "repaint Totale file",
                              "loop",
                              "quit",
                              "free engine",
                              "release",
                          }));
}

TEST(MainSequence, ProcessorWithoutMmxGetsThePlainBuild) {
    Fixture f;
    f.host.mmx = 0;
    f.updater.MainSequence();
    EXPECT_EQ(f.host.log[5], "copy utils.dll -> C:\\GIOCHI\\KORVANTE\\utils.dll");
}

TEST(MainSequence, LabelStaysEmptyUntilSetUpEnds) {
    Fixture f;
    EXPECT_STREQ(f.updater.Label(), "");
    f.host.registryOk = false;
    f.updater.MainSequence();
    EXPECT_STREQ(f.updater.Label(), "");
}

struct SetUpFailure {
    const char *name;
    void (*breakIt)(FakeHost &);
    Lines tail;  // the log after the system copy
};

class MainSequenceFailure : public ::testing::TestWithParam<SetUpFailure> {};

TEST_P(MainSequenceFailure, StopsWithItsMessage) {
    Fixture f;
    GetParam().breakIt(f.host);
    EXPECT_EQ(f.updater.MainSequence(), 0);
    Lines tail(f.host.log.begin() + 1, f.host.log.end());
    EXPECT_EQ(tail, GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainSequenceFailure,
    ::testing::Values(
        SetUpFailure{"NoDialog", [](FakeHost &h) { h.windowCreated = false; }, {"window", "release"}},
        SetUpFailure{
            "NoEngine",
            [](FakeHost &h) { h.engineLoads = false; },
            {"window", "load engine",
             kBox + "Non \xE8 stata trovata la DLL necessaria per eseguire il programma. (warning, ok)", "release"}},
        SetUpFailure{"NoPatchFile",
                     [](FakeHost &h) { h.patchFileThere = false; },
                     {"window", "load engine", "exists QMBPATCH36.RTP",
                      kBox + "Manca il file: 'QMBPATCH36.RTP' (warning, ok)", "free engine", "release"}},
        SetUpFailure{"NoRegistry",
                     [](FakeHost &h) { h.registryOk = false; },
                     {"window", "load engine", "exists QMBPATCH36.RTP", "registry",
                      kBox + "E' necessario avere installato KORVANTE. (warning, ok)", "free engine", "release"}},
        SetUpFailure{"EmptyInstallFolder",
                     [](FakeHost &h) { h.installFolder = ""; },
                     {"window", "load engine", "exists QMBPATCH36.RTP", "registry",
                      kBox + "E' necessario avere installato KORVANTE. (warning, ok)", "free engine", "release"}},
        SetUpFailure{"InstallFolderTooLong",
                     [](FakeHost &h) { h.installFolder = std::string(260, 'x'); },
                     {"window", "load engine", "exists QMBPATCH36.RTP", "registry",
                      kBox + "E' necessario avere installato KORVANTE. (warning, ok)", "free engine", "release"}}),
    [](const ::testing::TestParamInfo<SetUpFailure> &i) { return std::string(i.param.name); });

TEST(MainSequence, FailedRegistryReadLeavesTheFolderEmpty) {
    Fixture f;
    f.host.installFolder = std::string(300, 'x');
    f.updater.MainSequence();
    EXPECT_STREQ(f.updater.InstallFolder(), "");
}

struct LongPath {
    size_t systemLen, installLen;
    bool engineCopied, utilsCopied, saveDeleted;
};

class MainSequenceLongPaths : public ::testing::TestWithParam<LongPath> {};

// A path that would not fit its 260-byte buffer is refused whole, never cut.
TEST_P(MainSequenceLongPaths, RefusesWhatDoesNotFit) {
    const LongPath &p = GetParam();
    Fixture f;
    f.host.systemFolder = "C:\\" + std::string(p.systemLen - 3, 's');
    f.host.installFolder = "C:\\" + std::string(p.installLen - 3, 'g');
    f.updater.MainSequence();
    auto has = [&](const std::string &prefix) {
        for (const std::string &l : f.host.log)
            if (l.compare(0, prefix.size(), prefix) == 0) return true;
        return false;
    };
    EXPECT_EQ(has("copy PATCHW32.DLL -> " + f.host.systemFolder + "\\patchw32.dll"), p.engineCopied);
    EXPECT_EQ(has("copy utilsmmx.dll -> " + f.host.installFolder + "\\utils.dll"), p.utilsCopied);
    EXPECT_EQ(has("delete " + f.host.installFolder + "\\save\\partido.dat"), p.saveDeleted);
    EXPECT_TRUE(has("loop"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainSequenceLongPaths,
    ::testing::Values(LongPath{246, 242, true, true, true},    // 246 + 13 and 242 + 17: the longest that fit 259
                      LongPath{247, 249, false, true, false},  // 249 + 10 = 259 fits, 249 + 17 = 266 does not
                      LongPath{100, 243, true, true, false}, LongPath{100, 249, true, true, false},
                      LongPath{100, 250, true, false, false}, LongPath{100, 259, true, false, false}));

TEST(ProgramEntry, EmptyOrMissingCommandLineEndsAtOnce) {
    Fixture f;
    EXPECT_EQ(f.updater.Entry(nullptr), -1);
    EXPECT_EQ(f.updater.Entry(""), -1);
    EXPECT_TRUE(f.host.log.empty());
    EXPECT_EQ(f.updater.Entry("\"C:\\KIT\\updater.exe\" ignored arguments"), 0);
    EXPECT_FALSE(f.host.log.empty());
}

TEST(ProgramEntry, SkipsTheProgramNameAndItsBlanks) {
    struct Row {
        const char *in;
        const char *rest;
    };
    for (const Row &r : {Row{"updater.exe", ""}, Row{"updater.exe   a b", "a b"}, Row{"updater.exe\t x", "x"},
                         Row{"\"C:\\Kit Dir\\updater.exe\"  /x", "/x"}, Row{"\"C:\\Kit Dir\\updater.exe\"", ""},
                         Row{"\"unterminated name", ""}, Row{"\"\" y", "y"}})
        EXPECT_STREQ(upd::SkipProgramName(r.in), r.rest) << r.in;
}

TEST(WindowProcedure, CommandsByNotificationAndControl) {
    struct Row {
        unsigned code;
        int control;
        int result;
        Lines log;
    };
    for (const Row &r : {Row{0, upd::kIdCancel, 1, {"quit"}}, Row{0, 1234, 1, {"quit"}}, Row{1, upd::kIdInstall, 0, {}},
                         Row{5, upd::kIdCancel, 0, {}}}) {
        Fixture f;
        EXPECT_EQ(f.updater.OnCommand(r.code, r.control), r.result);
        EXPECT_EQ(f.host.log, r.log) << r.code << " " << r.control;
    }
}

TEST(Install, RunsTheEngineFromTheInstallFolderThenReportsAndQuits) {
    Fixture f;
    f.host.registryOk = true;
    f.updater.MainSequence();
    f.host.log.clear();
    f.host.engine = [](Updater &u) {
        uint32_t one = 1, full = 0x8000;
        u.OnEngineMessage(6, &one);
        u.OnEngineMessage(7, const_cast<char *>("a.dat"));
        u.OnEngineMessage(5, &full);
        u.OnEngineMessage(8, nullptr);
    };
    EXPECT_EQ(f.updater.OnCommand(0, upd::kIdInstall), 1);
    EXPECT_EQ(f.host.log, (Lines{
                              "disable 2 and 1",
                              "cursor wait",
                              "chdir C:\\GIOCHI\\KORVANTE",
                              "engine \"D:\\KIT\\QMBPATCH36.RTP\"",
                              "total range 1",
                              "file range 100",
                              "file pos 0",
                              "file pos 100",
                              "file pos 100",
                              "total step",
                              "cursor none",
                              kBox + "1 file aggiornato con successo. (no icon, ok)",
                              "quit",
                          }));
}

TEST(Install, RefusesToStartTheEngineWhenTheCommandLineCannotBeMade) {
    struct Row {
        const char *name;
        void (*breakIt)(FakeHost &);
        bool engineRuns;
    };
    for (const Row &r :
         {Row{"fits", [](FakeHost &h) { h.currentFolder = "D:\\" + std::string(239, 'k'); }, true},
          Row{"command line too long", [](FakeHost &h) { h.currentFolder = "D:\\" + std::string(240, 'k'); }, false},
          Row{"current folder too long", [](FakeHost &h) { h.currentFolder = std::string(256, 'k'); }, false},
          Row{"install folder gone", [](FakeHost &h) { h.chdirOk = false; }, false}}) {
        Fixture f;
        r.breakIt(f.host);
        f.updater.Install(upd::kIdInstall);
        bool ran = false;
        for (const std::string &l : f.host.log) ran = ran || l.compare(0, 7, "engine ") == 0;
        EXPECT_EQ(ran, r.engineRuns) << r.name;
        EXPECT_EQ(f.host.log.back(), kBox + (r.engineRuns ? "Non \xE8 stato aggiornato nessun file. (warning, ok)"
                                                          : "Aggiornamento non realizzato. (warning, ok)"))
            << r.name;
    }
}

struct Row {
    const char *name;
    uint32_t message;
    const char *text;  // the parameter, for the text messages
    Answer answer;     // to the message box, if one shows
    bool goesOn;
    bool failed;
    Lines log;
};

class Callback : public ::testing::TestWithParam<Row> {};

TEST_P(Callback, Table) {
    const Row &r = GetParam();
    Fixture f;
    f.Send(7, "data\\mappa.dat");
    f.host.log.clear();
    f.host.answers.push_back(r.answer);
    void *result = f.Send(r.message, r.text);
    EXPECT_EQ(result != nullptr, r.goesOn);
    if (result) {
        EXPECT_EQ(*static_cast<char *>(result), '\0');
    }
    EXPECT_EQ(f.updater.Failed(), r.failed);
    EXPECT_EQ(f.host.log, r.log);
}

const char kWarn[] = "Il file e' gia' aggiornato.";

INSTANTIATE_TEST_SUITE_P(
    Messages, Callback,
    ::testing::Values(
        Row{"WarningOk",
            2,
            kWarn,
            Answer::Ok,
            true,
            false,
            {"cursor none", std::string("box [Avvertenza!] ") + kWarn + " (warning, ok/cancel)", "cursor wait"}},
        Row{"WarningCancel",
            2,
            kWarn,
            Answer::Cancel,
            false,
            false,
            {"cursor none", std::string("box [Avvertenza!] ") + kWarn + " (warning, ok/cancel)"}},
        Row{"WarningBoxFailed",
            2,
            kWarn,
            Answer::Other,
            true,
            false,
            {"cursor none", std::string("box [Avvertenza!] ") + kWarn + " (warning, ok/cancel)", "cursor wait"}},
        Row{"MissingGameFile",
            3,
            "\nerror ept0015: ",
            Answer::Ok,
            false,
            true,
            {"cursor none",
             "box [Errore!] Non \xE8 stato trovato il file 'data\\mappa.dat' di KORVANTE. (warning, ok)"}},
        Row{"QuietStop", 3, "\nerror ept0036: ", Answer::Ok, false, false, {}},
        Row{"OtherCode", 3, "\nerror ept0016: ", Answer::Ok, true, false, {}},
        Row{"NoLineFeed", 3, "error ept0015: ", Answer::Ok, true, false, {}},
        Row{"NoBlank", 3, "\nerror ept0036:", Answer::Ok, true, false, {}},
        Row{"UpperCase", 3, "\nERROR EPT0015: ", Answer::Ok, true, false, {}},
        Row{"TrailingText", 3, "\nerror ept0015: x", Answer::Ok, true, false, {}},
        Row{"EmptyText", 3, "", Answer::Ok, true, false, {}}, Row{"NullText", 3, nullptr, Answer::Ok, true, false, {}},
        Row{"Error",
            4,
            "Disco pieno.",
            Answer::Ok,
            false,
            true,
            {"cursor none", "box [Errore!] Disco pieno. (warning, ok)"}},
        Row{"FileStart", 7, "b.dat", Answer::Ok, true, false, {"file pos 0"}},
        Row{"FileEnd", 8, nullptr, Answer::Ok, true, false, {"file pos 100", "total step"}},
        Row{"Unknown0", 0, nullptr, Answer::Ok, true, false, {}},
        Row{"Unknown1", 1, nullptr, Answer::Ok, true, false, {}},
        Row{"Unknown9", 9, nullptr, Answer::Ok, true, false, {}},
        Row{"UnknownLarge", 0xFFFFFFFFu, nullptr, Answer::Ok, true, false, {}}),
    [](const ::testing::TestParamInfo<Row> &i) { return std::string(i.param.name); });

TEST(Callback, FileCountSetsBothRangesFromTheLow16Bits) {
    Fixture f;
    uint32_t count = 0x10005;
    EXPECT_NE(f.Send(6, &count), nullptr);
    EXPECT_EQ(f.host.log, (Lines{"total range 5", "file range 100"}));
}

TEST(Callback, MissingFileAfterFileEndNamesNoFile) {
    Fixture f;
    f.Send(7, "a.dat");
    f.Send(8);
    f.host.log.clear();
    EXPECT_EQ(f.Send(3, "\nerror ept0015: "), nullptr);
    EXPECT_EQ(f.host.log.back(), "box [Errore!] Non \xE8 stato trovato il file '' di KORVANTE. (warning, ok)");
}

TEST(Callback, OverlongFileNameIsCutToItsBuffer) {
    Fixture f;
    std::string name(400, 'n');
    f.Send(7, name.c_str());
    EXPECT_EQ(std::string(f.updater.CurrentFile()), std::string(255, 'n'));
    f.Send(3, "\nerror ept0015: ");
    EXPECT_EQ(f.host.log.back(), "box [Errore!] Non \xE8 stato trovato il file '" + std::string(255, 'n') +
                                     "' di KORVANTE. (warning, ok)");
}

TEST(Callback, QuitMessageStopsBeforeAnything) {
    for (uint32_t message : {2u, 4u, 5u, 6u, 7u, 8u, 42u}) {
        Fixture f;
        uint32_t v = 0x8000;
        f.host.pumps.push_back(false);
        EXPECT_EQ(f.Send(message, message == 5 || message == 6 ? static_cast<const void *>(&v) : "t"), nullptr);
        EXPECT_TRUE(f.host.log.empty()) << message;
        EXPECT_FALSE(f.updater.Failed());
        EXPECT_EQ(f.updater.UpdatedCount(), 0u);
    }
}

struct ProgressCase {
    const char *name;
    std::vector<uint32_t> values;
    Lines positions;
    uint32_t updated;
};

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, PositionsAndCount) {
    Fixture f;
    for (uint32_t v : GetParam().values) EXPECT_NE(f.Progress(v), nullptr);
    EXPECT_EQ(f.host.log, GetParam().positions);
    EXPECT_EQ(f.updater.UpdatedCount(), GetParam().updated);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Progress,
    ::testing::Values(ProgressCase{"Half", {0x4000}, {"file pos 50"}, 0},
                      ProgressCase{"Whole", {0x8000}, {"file pos 100"}, 1},
                      ProgressCase{"JustOverWhole", {0x8001}, {"file pos 100"}, 1},
                      ProgressCase{"MaxIsIgnored", {0xFFFF}, {}, 0},
                      ProgressCase{"OverHundredIsIgnored", {0x4000, 0x8290}, {"file pos 50"}, 0},
                      ProgressCase{"HighBitsDropped", {0x12348000}, {"file pos 100"}, 1},
                      ProgressCase{"FirstZeroSendsNothing", {0}, {}, 0},
                      ProgressCase{"RepeatSendsOnce", {0x4000, 0x4000, 0x4001}, {"file pos 50"}, 0},
                      ProgressCase{"HundredTwiceInARowCountsOnce", {0x8000, 0x8000}, {"file pos 100"}, 1},
                      ProgressCase{"HundredAgainAfterAnotherValueCountsTwice",
                                   {0x8000, 0x4000, 0x8000},
                                   {"file pos 100", "file pos 50", "file pos 100"},
                                   2},
                      ProgressCase{"BackToZero", {0x2000, 0}, {"file pos 25", "file pos 0"}, 0}),
    [](const ::testing::TestParamInfo<ProgressCase> &i) { return std::string(i.param.name); });

struct ReportCase {
    uint32_t fullReports;
    bool error;
    const char *text;
    upd::Icon icon;
};

class Report : public ::testing::TestWithParam<ReportCase> {};

TEST_P(Report, TextAndIcon) {
    const ReportCase &c = GetParam();
    Fixture f;
    f.host.answers.assign(8, Answer::Ok);
    for (uint32_t i = 0; i < c.fullReports; ++i) {
        f.Progress(0);
        f.Progress(0x8000);
    }
    if (c.error) f.Send(4, "x");
    upd::Report r = f.updater.FinalReport();
    EXPECT_STREQ(r.text, c.text);
    EXPECT_EQ(r.icon, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Report,
    ::testing::Values(ReportCase{0, false, "Non \xE8 stato aggiornato nessun file.", upd::Icon::Warning},
                      ReportCase{0, true, "Aggiornamento non realizzato.", upd::Icon::Warning},
                      ReportCase{1, true, "Aggiornamento non realizzato.", upd::Icon::Warning},
                      ReportCase{5, true, "Aggiornamento non realizzato.", upd::Icon::Warning},
                      ReportCase{1, false, "1 file aggiornato con successo.", upd::Icon::None},
                      ReportCase{2, false, "2 files aggiornati con successo.", upd::Icon::None},
                      ReportCase{65, false, "65 files aggiornati con successo.", upd::Icon::None}));

TEST(Report, QuietStopAndCancelledWarningAreNoFailure) {
    Fixture f;
    f.Progress(0x8000);
    f.Send(3, "\nerror ept0036: ");
    EXPECT_STREQ(f.updater.FinalReport().text, "1 file aggiornato con successo.");
    f.host.answers.push_back(Answer::Cancel);
    f.Send(2, "w");
    EXPECT_STREQ(f.updater.FinalReport().text, "1 file aggiornato con successo.");
}

TEST(FormatChecked, RefusesInsteadOfCutting) {
    char buf[8];
    EXPECT_TRUE(upd::FormatChecked(buf, sizeof buf, "%s", "1234567"));
    EXPECT_STREQ(buf, "1234567");
    EXPECT_FALSE(upd::FormatChecked(buf, sizeof buf, "%s", "12345678"));
    EXPECT_STREQ(buf, "");
}

}  // namespace
