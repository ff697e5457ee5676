#include "platform/patchw32/patchapply.h"
#include "platform/patchw32/patchfmt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using rtp::Bytes;

namespace {

Bytes Random(size_t n, unsigned seed) {
    std::mt19937 g(seed);
    Bytes b(n);
    for (auto &c : b) c = uint8_t(g());
    return b;
}

Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Slice(const Bytes &b, size_t from, size_t len) { return Bytes(b.begin() + from, b.begin() + from + len); }

TEST(Delta, RebuildsTheNewFile) {
    Bytes a = Random(100000, 1), b = Random(50000, 2);
    struct Case {
        const char *name;
        Bytes oldData, newData;
    };
    std::vector<Case> cases = {
        {"empty to empty", {}, {}},
        {"empty to data", {}, Text("hello")},
        {"data to empty", Text("hello"), {}},
        {"identical", a, a},
        {"insert in the middle", a, Cat({Slice(a, 0, 500), Text("inserted"), Slice(a, 500, a.size() - 500)})},
        {"cut from the middle", a, Cat({Slice(a, 0, 500), Slice(a, 9000, a.size() - 9000)})},
        {"blocks swapped", a, Cat({Slice(a, 60000, 40000), Slice(a, 0, 60000)})},
        {"unrelated", a, b},
        {"short files", Text("abc"), Text("abd")},
        {"repeats", Bytes(5000, 7), Bytes(7000, 7)},
    };
    for (const Case &c : cases) {
        Bytes delta = rtp::MakeDelta(c.oldData, c.newData), out;
        ASSERT_TRUE(rtp::ApplyDelta(c.oldData, delta, uint32_t(c.newData.size()), out)) << c.name;
        EXPECT_EQ(out, c.newData) << c.name;
    }
}

TEST(Delta, SmallEditsGiveASmallDelta) {
    Bytes a = Random(1 << 20, 3), b = a;
    for (size_t i = 1000; i < b.size(); i += 100000) b[i] ^= 0xFF;
    EXPECT_LT(rtp::MakeDelta(a, b).size(), 1000u);
}

TEST(Delta, RejectsInstructionsOutsideTheOldFileOrTheNewSize) {
    Bytes old = Text("0123456789");
    auto op = [](uint8_t code, std::initializer_list<uint32_t> nums, const std::string &lit = "") {
        Bytes b{code};
        for (uint32_t n : nums)
            for (int i = 0; i < 4; ++i) b.push_back(uint8_t(n >> (8 * i)));
        b.insert(b.end(), lit.begin(), lit.end());
        return b;
    };
    struct Case {
        const char *name;
        Bytes delta;
        uint32_t size;
        bool ok;
    };
    std::vector<Case> cases = {
        {"copy inside", op(1, {2, 3}), 3, true},
        {"copy to the end", op(1, {0, 10}), 10, true},
        {"copy past the end", op(1, {8, 3}), 3, false},
        {"offset past the end", op(1, {11, 0}), 0, false},
        {"offset wraps", op(1, {0xFFFFFFF0u, 0x20}), 0x20, false},
        {"more than the new size", op(1, {0, 5}), 4, false},
        {"less than the new size", op(1, {0, 5}), 6, false},
        {"literal", op(2, {3}, "abc"), 3, true},
        {"literal cut short", op(2, {4}, "abc"), 4, false},
        {"literal over the size", op(2, {3}, "abc"), 2, false},
        {"instruction cut short", Bytes{1, 0, 0}, 0, false},
        {"unknown instruction", Bytes{3}, 0, false},
    };
    for (const Case &c : cases) {
        Bytes out;
        EXPECT_EQ(rtp::ApplyDelta(old, c.delta, c.size, out), c.ok) << c.name;
    }
}

TEST(Format, SafeRelativePaths) {
    for (const char *p : {"a", "save/partido.dat", "data/x y.dat", "dir.d/f"})
        EXPECT_TRUE(rtp::IsSafeRelativePath(p)) << p;
    for (const char *p :
         {"", "/abs", "a//b", "a/", "../x", "a/../b", "./a", "a\\b", "C:x", "a/b:c", "a.", "a ", "x\ny", "a*b"})
        EXPECT_FALSE(rtp::IsSafeRelativePath(p)) << p;
    EXPECT_TRUE(rtp::IsSafeRelativePath(std::string(240, 'a')));
    EXPECT_FALSE(rtp::IsSafeRelativePath(std::string(241, 'a')));
}

rtp::Patch SamplePatch() {
    rtp::Patch p;
    Bytes o = Text("old contents"), n = Text("new contents!");
    p.files.push_back(rtp::MakeEntry("a.dat", &o, n));
    p.files.push_back(rtp::MakeEntry("sub/b.dat", nullptr, Text("brand new")));
    return p;
}

// Rewrites the trailing checksum so that a change reaches the structure checks.
void Reseal(Bytes &b) {
    uint32_t c = rtp::Crc32(b.data(), b.size() - 4);
    for (int i = 0; i < 4; ++i) b[b.size() - 4 + i] = uint8_t(c >> (8 * i));
}

TEST(Format, RoundTrip) {
    rtp::Patch p = SamplePatch(), q;
    Bytes b = rtp::Serialize(p);
    ASSERT_EQ(rtp::Parse(b.data(), b.size(), q), 0u);
    ASSERT_EQ(q.files.size(), 2u);
    EXPECT_EQ(q.files[1].path, "sub/b.dat");
    EXPECT_TRUE(q.files[1].isNew);
    EXPECT_EQ(q.files[0].oldSize, 12u);
    EXPECT_EQ(q.files[0].newCrc, rtp::Crc32(Text("new contents!")));
    EXPECT_EQ(q.files[0].delta, p.files[0].delta);
}

TEST(Format, RejectsDamage) {
    const Bytes good = rtp::Serialize(SamplePatch());
    struct Case {
        const char *name;
        std::function<void(Bytes &)> damage;
        uint32_t error;
    };
    std::vector<Case> cases = {
        {"bad magic",
         [](Bytes &b) {
             b[0] = 'X';
             Reseal(b);
         },
         kEptPatchDamaged},
        {"flipped byte", [](Bytes &b) { b[20] ^= 1; }, kEptPatchDamaged},
        {"cut short", [](Bytes &b) { b.resize(b.size() - 5); }, kEptPatchDamaged},
        {"tiny", [](Bytes &b) { b.resize(6); }, kEptPatchDamaged},
        {"newer version",
         [](Bytes &b) {
             b[4] = 2;
             Reseal(b);
         },
         kEptPatchVersion},
        {"huge count",
         [](Bytes &b) {
             b[11] = 0x7F;
             Reseal(b);
         },
         kEptPatchDamaged},
        {"count one too many",
         [](Bytes &b) {
             b[8] = 3;
             Reseal(b);
         },
         kEptPatchDamaged},
        {"count one too few",
         [](Bytes &b) {
             b[8] = 1;
             Reseal(b);
         },
         kEptPatchDamaged},
        {"climbing path",
         [](Bytes &b) {
             memcpy(&b[14], "../..", 5);
             Reseal(b);
         },
         kEptPatchDamaged},
        {"bad flags",
         [](Bytes &b) {
             b[19] = 2;
             Reseal(b);
         },
         kEptPatchDamaged},
    };
    for (const Case &c : cases) {
        Bytes b = good;
        c.damage(b);
        rtp::Patch p;
        EXPECT_EQ(rtp::Parse(b.data(), b.size(), p), c.error) << c.name;
    }
    rtp::Patch dup = SamplePatch();
    dup.files[1].path = "a.dat";
    Bytes b = rtp::Serialize(dup);
    rtp::Patch p;
    EXPECT_EQ(rtp::Parse(b.data(), b.size(), p), uint32_t(kEptPatchDamaged));
}

TEST(CommandLine, FirstArgumentOnly) {
    struct Case {
        const char *in;
        bool ok;
        const char *path;
    };
    for (const Case &c : {Case{"\"C:\\Kit Dir\\QMBPATCH36.RTP\"", true, "C:\\Kit Dir\\QMBPATCH36.RTP"},
                          Case{"  \"p.rtp\"  ", true, "p.rtp"}, Case{"p.rtp", true, "p.rtp"}, Case{"", false, ""},
                          Case{"\"\"", false, ""}, Case{"\"unterminated", false, ""}, Case{"a b", false, ""},
                          Case{"\"a\" b", false, ""}}) {
        std::string path;
        EXPECT_EQ(rtp::ParseCommandLine(c.in, path), c.ok) << c.in;
        if (c.ok) {
            EXPECT_EQ(path, c.path);
        }
    }
    std::string path;
    EXPECT_FALSE(rtp::ParseCommandLine(nullptr, path));
}

// ---- Applying to a folder ----

struct Event {
    uint32_t message;
    std::string text;
    uint32_t value;
};

std::vector<Event> g_events;
std::function<bool(const Event &)> g_answer;

void *RTP_CALL Record(uint32_t message, void *param) {
    static char go = 0;
    Event e{message, "", 0};
    if (param && (message == 2 || message == 3 || message == 4 || message == 7))
        e.text = static_cast<const char *>(param);
    if (param && (message == 5 || message == 6)) e.value = *static_cast<uint32_t *>(param);
    g_events.push_back(e);
    return !g_answer || g_answer(e) ? &go : nullptr;
}

Bytes ReadFile(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path &p, const Bytes &b) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
}

// A folder no other run can be using: created here, so a name taken by a
// concurrent run (or left over by a crashed one) is passed over.
fs::path UniqueDir(const std::string &stem) {
    std::random_device rd;
    for (;;) {
        const fs::path p = fs::temp_directory_path() / (stem + "_" + std::to_string(rd()) + std::to_string(rd()));
        if (fs::create_directory(p)) return p;
    }
}

class Apply : public ::testing::Test {
  protected:
    void SetUp() override {
        root = UniqueDir("rtp_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(root / "game");
        g_events.clear();
        g_answer = nullptr;
        // Three files to change (one over several write chunks), one to add.
        olds = {{"a.dat", Text("alpha old")}, {"data/big.bin", Random(300000, 4)}, {"c.txt", Text("gamma")}};
        news = {{"a.dat", Text("alpha NEW")},
                {"data/big.bin", Cat({Slice(olds["data/big.bin"], 0, 200000), Random(150000, 5)})},
                {"c.txt", Text("gamma, second edition")},
                {"maps/new/d.map", Random(1000, 6)}};
        for (auto &[name, data] : olds) WriteFile(root / "game" / name, data);
        rtp::Patch p;
        for (const char *name : {"a.dat", "data/big.bin", "c.txt", "maps/new/d.map"}) {
            auto it = olds.find(name);
            p.files.push_back(rtp::MakeEntry(name, it == olds.end() ? nullptr : &it->second, news[name]));
        }
        WriteFile(root / "p.rtp", rtp::Serialize(p));
    }
    void TearDown() override { fs::remove_all(root); }

    uint32_t Run(rtp::FileOps &ops) {
        return rtp::ApplyPatchFile((root / "p.rtp").string(), (root / "game").string(), &Record, ops);
    }
    uint32_t Run() {
        rtp::FileOps ops;
        return Run(ops);
    }

    // Each game file is wholly old or wholly new; nothing else lies about.
    void ExpectOldOrNew(const std::string &why) {
        for (auto &[name, data] : news) {
            fs::path p = root / "game" / name;
            auto old = olds.find(name);
            if (!fs::exists(p)) {
                EXPECT_TRUE(old == olds.end()) << name << " gone " << why;
                continue;
            }
            Bytes cur = ReadFile(p);
            EXPECT_TRUE(cur == data || (old != olds.end() && cur == old->second)) << name << " partial " << why;
        }
        for (auto &e : fs::recursive_directory_iterator(root / "game"))
            if (e.is_regular_file()) {
                EXPECT_TRUE(news.count(fs::relative(e.path(), root / "game").generic_string()))
                    << e.path() << " " << why;
            }
    }
    bool IsNew(const std::string &name) {
        return fs::exists(root / "game" / name) && ReadFile(root / "game" / name) == news[name];
    }
    bool IsOld(const std::string &name) { return ReadFile(root / "game" / name) == olds[name]; }
    std::vector<uint32_t> Numbers() {
        std::vector<uint32_t> v;
        for (const Event &e : g_events) v.push_back(e.message);
        return v;
    }

    fs::path root;
    std::map<std::string, Bytes> olds, news;
};

TEST_F(Apply, BringsEveryFileUpToDateWithTheMessagesInOrder) {
    ASSERT_EQ(Run(), 0u);
    for (auto &[name, data] : news) EXPECT_TRUE(IsNew(name)) << name;
    ExpectOldOrNew("after success");
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events[0].message, 6u);
    EXPECT_EQ(g_events[0].value, 4u);
    std::vector<std::string> started;
    uint32_t last = 0, whole = 0, ends = 0;
    for (const Event &e : g_events) {
        if (e.message == 7) {
            started.push_back(e.text);
            last = 0;
        }
        if (e.message == 5) {
            EXPECT_TRUE(e.value == 0 || e.value >= last) << "progress goes back";
            last = e.value;
            whole += e.value == 0x8000;
        }
        if (e.message == 8) {
            EXPECT_EQ(last, 0x8000u) << "a file ended before it was whole";
            ++ends;
        }
        EXPECT_TRUE(e.message >= 5 && e.message <= 8) << e.message;
    }
    EXPECT_EQ(started, (std::vector<std::string>{"a.dat", "data/big.bin", "c.txt", "maps/new/d.map"}));
    EXPECT_EQ(whole, 4u);
    EXPECT_EQ(ends, 4u);
}

TEST_F(Apply, MissingGameFileStopsBeforeAnyChange) {
    fs::remove(root / "game" / "c.txt");
    olds.erase("c.txt");
    EXPECT_EQ(Run(), uint32_t(kEptFileMissing));
    ASSERT_GE(g_events.size(), 4u);
    EXPECT_EQ(Numbers(), (std::vector<uint32_t>{6, 7, 3, 4}));
    EXPECT_EQ(g_events[1].text, "c.txt");
    EXPECT_EQ(g_events[2].text, "\nerror ept0015: ");
    EXPECT_TRUE(IsOld("a.dat"));
    EXPECT_TRUE(IsOld("data/big.bin"));
    EXPECT_FALSE(fs::exists(root / "game" / "maps"));
}

TEST_F(Apply, ForeignVersionStopsBeforeAnyChange) {
    olds["c.txt"] = Text("someone else's gamma");
    WriteFile(root / "game" / "c.txt", olds["c.txt"]);
    EXPECT_EQ(Run(), uint32_t(kEptFileDiffers));
    EXPECT_EQ(g_events[2].text, "\nerror ept0016: ");
    EXPECT_TRUE(IsOld("a.dat"));
}

TEST_F(Apply, StopsAtTheFirstErrorTextWhenTheCallbackSaysSo) {
    fs::remove(root / "game" / "a.dat");
    g_answer = [](const Event &e) { return e.message != 3; };
    EXPECT_EQ(Run(), uint32_t(kEptFileMissing));
    EXPECT_EQ(Numbers(), (std::vector<uint32_t>{6, 7, 3}));
}

TEST_F(Apply, UpToDateFileIsAWarningAndTheRestGoesOn) {
    WriteFile(root / "game" / "a.dat", news["a.dat"]);
    olds["a.dat"] = news["a.dat"];
    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(g_events[1].message, 7u);
    EXPECT_EQ(g_events[3].message, 2u);
    EXPECT_NE(g_events[3].text.find("a.dat"), std::string::npos);
    EXPECT_EQ(g_events[4].message, 8u);
    EXPECT_TRUE(IsNew("c.txt"));
    EXPECT_TRUE(IsNew("maps/new/d.map"));
}

TEST_F(Apply, WarningAnsweredWithStopLeavesTheRestOld) {
    WriteFile(root / "game" / "c.txt", news["c.txt"]);
    olds["c.txt"] = news["c.txt"];
    g_answer = [](const Event &e) { return e.message != 2; };
    EXPECT_EQ(Run(), uint32_t(kEptStopped));
    EXPECT_TRUE(IsNew("a.dat"));
    EXPECT_TRUE(IsNew("data/big.bin"));
    EXPECT_FALSE(fs::exists(root / "game" / "maps"));
    ExpectOldOrNew("after the warning");
}

TEST_F(Apply, NothingToDoIsTheQuietError) {
    for (auto &[name, data] : news) WriteFile(root / "game" / name, data);
    EXPECT_EQ(Run(), uint32_t(kEptUpToDate));
    EXPECT_EQ(Numbers(), (std::vector<uint32_t>{6, 3, 4}));
    EXPECT_EQ(g_events[1].text, "\nerror ept0036: ");
}

TEST_F(Apply, MissingOrDamagedPatchFile) {
    Bytes b = ReadFile(root / "p.rtp");
    b[30] ^= 0x40;
    WriteFile(root / "p.rtp", b);
    EXPECT_EQ(Run(), uint32_t(kEptPatchDamaged));
    EXPECT_EQ(g_events[0].text, "\nerror ept0003: ");
    fs::remove(root / "p.rtp");
    g_events.clear();
    EXPECT_EQ(Run(), uint32_t(kEptPatchOpen));
    EXPECT_EQ(Numbers(), (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(g_events[0].text, "\nerror ept0002: ");
    ExpectOldOrNew("after a bad patch file");
    EXPECT_TRUE(IsOld("a.dat"));
}

// Stopping at every single callback leaves each file old or new.
TEST_F(Apply, StoppedAtAnyMessageLeavesNoPartialFile) {
    ASSERT_EQ(Run(), 0u);
    const size_t total = g_events.size();
    ASSERT_GT(total, 10u);
    for (size_t stopAt = 0; stopAt < total; ++stopAt) {
        for (auto &[name, data] : olds) WriteFile(root / "game" / name, data);
        fs::remove_all(root / "game" / "maps");
        g_events.clear();
        size_t calls = 0;
        g_answer = [&](const Event &) { return calls++ != stopAt; };
        EXPECT_EQ(Run(), uint32_t(kEptStopped)) << stopAt;
        EXPECT_EQ(g_events.size(), stopAt + 1);
        ExpectOldOrNew("stopped at " + std::to_string(stopAt));
    }
}

struct FaultyOps : rtp::FileOps {
    std::string failReplaceOf, failCommitOf, failWriteOf, corruptReadOf;
    struct Writer : rtp::FileOps::Writer {
        std::unique_ptr<rtp::FileOps::Writer> inner;
        bool failWrite, failCommit;
        bool Write(const uint8_t *d, size_t n) override { return !failWrite && inner->Write(d, n); }
        bool Commit() override { return inner->Commit() && !failCommit; }
    };
    static bool Ends(const std::string &s, const std::string &tail) {
        return !tail.empty() && s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    }
    std::unique_ptr<rtp::FileOps::Writer> Create(const std::string &path) override {
        auto w = std::make_unique<Writer>();
        w->inner = rtp::FileOps::Create(path);
        w->failWrite = Ends(path, failWriteOf);
        w->failCommit = Ends(path, failCommitOf);
        return w;
    }
    bool Replace(const std::string &from, const std::string &to) override {
        return !Ends(to, failReplaceOf) && rtp::FileOps::Replace(from, to);
    }
    bool ReadAll(const std::string &path, Bytes &out, bool &exists) override {
        bool ok = rtp::FileOps::ReadAll(path, out, exists);
        if (ok && Ends(path, corruptReadOf) && !out.empty()) out[0] ^= 1;
        return ok;
    }
};

TEST_F(Apply, WriteFaultsLeaveTheFileOldAndNoTemporary) {
    struct Case {
        const char *name;
        std::function<void(FaultyOps &)> arm;
        uint32_t error;
    };
    std::vector<Case> cases = {
        {"write", [](FaultyOps &o) { o.failWriteOf = rtp::TempNameFor("big.bin"); }, kEptWrite},
        {"flush", [](FaultyOps &o) { o.failCommitOf = rtp::TempNameFor("big.bin"); }, kEptWrite},
        {"read back", [](FaultyOps &o) { o.corruptReadOf = rtp::TempNameFor("big.bin"); }, kEptVerify},
        {"replace", [](FaultyOps &o) { o.failReplaceOf = "big.bin"; }, kEptReplace},
    };
    for (const Case &c : cases) {
        for (auto &[name, data] : olds) WriteFile(root / "game" / name, data);
        g_events.clear();
        FaultyOps ops;
        c.arm(ops);
        EXPECT_EQ(Run(ops), c.error) << c.name;
        EXPECT_TRUE(IsNew("a.dat")) << c.name;
        EXPECT_TRUE(IsOld("data/big.bin")) << c.name;
        EXPECT_TRUE(IsOld("c.txt")) << c.name;
        ExpectOldOrNew(c.name);
        ASSERT_GE(g_events.size(), 2u);
        EXPECT_EQ(g_events[g_events.size() - 2].message, 3u) << c.name;
        EXPECT_EQ(g_events.back().message, 4u) << c.name;
    }
}

TEST_F(Apply, EmptyNewFileStillReportsWhole) {
    rtp::Patch p;
    Bytes o = olds["a.dat"];
    p.files.push_back(rtp::MakeEntry("a.dat", &o, {}));
    news = {{"a.dat", {}}};
    WriteFile(root / "p.rtp", rtp::Serialize(p));
    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(ReadFile(root / "game" / "a.dat").size(), 0u);
    EXPECT_EQ(Numbers(), (std::vector<uint32_t>{6, 7, 5, 5, 8}));
    EXPECT_EQ(g_events[3].value, 0x8000u);
}

}  // namespace
