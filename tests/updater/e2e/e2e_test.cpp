// updater.exe end to end under Wine: a fake game folder, a kit with a patch
// made by patchmake, the registry set with reg.exe, and a driver that plays
// the user.
#include "tests/updater/e2e/driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string g_bin, g_work;

const char kTitle[] = "KORVANTE Aggiornamento";
const char kPlain[] = "utils.dll: plain build";
const char kMmx[] = "utilsmmx.dll: MMX build";

int RunCommand(std::string cmd, const std::string &folder = "") {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

std::string ReadFile(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path &p, const std::string &data) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(data.data(), std::streamsize(data.size()));
}

std::string Random(size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (char &c : s) c = char(g());
    return s;
}

std::string SystemCopy() {
    char buf[MAX_PATH];
    GetSystemDirectoryA(buf, MAX_PATH);
    return std::string(buf) + "\\patchw32.dll";
}

using Files = std::map<std::string, std::string>;

class E2E : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(g_work) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root);
        kit = root / "kit";
        game = root / "game";
        fs::create_directories(kit);
        DeleteFileA(SystemCopy().c_str());
        olds = {{"korvante.exe", Random(70000, 1)},
                {"data\\mappa.dat", Random(400000, 2)},
                {"leggimi.txt", "Versione 1.0\r\n"},
                {"save\\partido.dat", "stale save"},
                {"save\\altro.sav", "kept"}};
        for (auto &[name, data] : olds) WriteFile(game / name, data);
        SetRegistry(game.string());
    }

    void TearDown() override {
        if (!HasFailure()) fs::remove_all(root);
    }

    void SetRegistry(const std::string &dir) {
        ASSERT_EQ(
            RunCommand("reg.exe add \"HKLM\\SOFTWARE\\BRELLOWAY\\KORVANTE\" /v DIR /t REG_SZ /d \"" + dir + "\" /f"),
            0);
    }
    void DeleteRegistry() { RunCommand("reg.exe delete \"HKLM\\SOFTWARE\\BRELLOWAY\" /f"); }

    // The kit: updater.exe with a probe, the engine, both utils builds and a
    // patch from the game's current files to news.
    void MakeKit(const Files &news, const char *probe = "probe1", bool engine = true, bool patch = true) {
        fs::copy_file(fs::path(g_bin) / "updater.exe", kit / "updater.exe");
        fs::copy_file(fs::path(g_bin) / probe / "CPUID.dll", kit / "CPUID.dll");
        if (engine) fs::copy_file(fs::path(g_bin) / "PATCHW32.DLL", kit / "PATCHW32.DLL");
        WriteFile(kit / "utils.dll", kPlain);
        WriteFile(kit / "utilsmmx.dll", kMmx);
        if (!patch) return;
        for (auto &[name, data] : news) {
            auto it = olds.find(name);
            if (it != olds.end()) WriteFile(root / "old" / name, it->second);
            WriteFile(root / "new" / name, data);
        }
        fs::create_directories(root / "old");
        std::string cmd = "\"" + g_bin + "\\patchmake.exe\" \"" + (root / "old").string() + "\" \"" +
                          (root / "new").string() + "\" \"" + (kit / "QMBPATCH36.RTP").string() + "\"";
        ASSERT_EQ(RunCommand(cmd), 0) << cmd;
    }

    void Run(Session &s) {
        RunUpdater((kit / "updater.exe").string(), kit.string(), s);
        EXPECT_FALSE(s.timedOut);
        EXPECT_EQ(s.exitCode, 0u);
    }

    // A kit of news installed through the dialog: one closing box with this
    // message, and the game holding exactly its old files updated by news.
    void InstallUpdating(const Files &news, const char *message, Session &s) {
        MakeKit(news);
        s.press = Press::Install;
        Run(s);
        ASSERT_EQ(s.boxes.size(), 1u);
        ExpectBox(s.boxes[0], kTitle, message, false);
        ExpectGame(With(AfterSetUp(), news));
    }

    // The game folder holds exactly these files, byte for byte.
    void ExpectGame(const Files &want) {
        Files have;
        for (auto &e : fs::recursive_directory_iterator(game))
            if (e.is_regular_file()) have[fs::relative(e.path(), game).string()] = ReadFile(e.path());
        EXPECT_EQ(have.size(), want.size());
        for (auto &[name, data] : want) {
            auto it = have.find(name);
            if (it == have.end())
                ADD_FAILURE() << name << " is missing";
            else
                EXPECT_TRUE(it->second == data) << name << " differs";
        }
        for (auto &[name, data] : have)
            if (!want.count(name)) ADD_FAILURE() << name << " should not be there";
    }

    // What set-up alone leaves: the chosen build copied, the save file gone.
    Files AfterSetUp(const char *build = kMmx) {
        Files f = olds;
        f.erase("save\\partido.dat");
        f["utils.dll"] = build;
        return f;
    }

    static Files With(Files f, const Files &changes) {
        for (auto &[name, data] : changes) f[name] = data;
        return f;
    }

    static void ExpectBox(const Box &b, const std::string &title, const std::string &text, bool icon,
                          bool okCancel = false) {
        EXPECT_EQ(b.title, title);
        EXPECT_EQ(b.text, text);
        EXPECT_EQ(b.icon, icon) << text;
        EXPECT_EQ(b.okCancel, okCancel) << text;
    }

    fs::path root, kit, game;
    Files olds;
};

TEST_F(E2E, OneFileUpdated) {
    Session s;
    ASSERT_NO_FATAL_FAILURE(
        InstallUpdating({{"leggimi.txt", "Versione 1.1\r\n"}}, "1 file aggiornato con successo.", s));
    EXPECT_EQ(ReadFile(SystemCopy()), ReadFile(kit / "PATCHW32.DLL"));
}

TEST_F(E2E, SeveralFilesUpdatedThroughTheDialog) {
    std::string map = olds["data\\mappa.dat"];
    map.replace(1000, 5000, Random(7000, 9));
    Files news = {{"korvante.exe", Random(80000, 3)},
                  {"data\\mappa.dat", map},
                  {"leggimi.txt", "Versione 1.1\r\n"},
                  {"data\\nuovo\\livello.dat", Random(3000, 4)}};
    Session s;
    ASSERT_NO_FATAL_FAILURE(InstallUpdating(news, "4 files aggiornati con successo.", s));

    // The dialog as it stood before any button was pressed.
    const DialogSeen &d = s.dialog;
    ASSERT_TRUE(d.found);
    EXPECT_EQ(d.title, kTitle);
    EXPECT_EQ(d.style & (WS_POPUP | WS_VISIBLE | WS_CAPTION), DWORD(WS_POPUP | WS_VISIBLE));
    struct Want {
        int id;
        const char *cls;
        const char *text;
        DWORD style;
        int x, y, cx, cy;
    };
    const Want wants[] = {
        {2, "Button", "Annulla", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 150, 105, 50, 14},
        {1, "Button", "Installare", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 210, 105, 50, 14},
        {1006, "msctls_progress32", "Progress1", WS_CHILD | WS_VISIBLE | WS_BORDER, 25, 89, 109, 8},
        {1007, "msctls_progress32", "Progress1", WS_CHILD | WS_VISIBLE | WS_BORDER, 150, 89, 109, 8},
    };
    ASSERT_EQ(d.controls.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const Control &c = d.controls[i];
        const Want &w = wants[i];
        EXPECT_EQ(c.id, w.id);
        EXPECT_EQ(_stricmp(c.cls.c_str(), w.cls), 0) << c.cls;
        EXPECT_EQ(c.text, w.text);
        // The progress control trades WS_BORDER for an edge of its own; the
        // template's styles are checked by Resources.
        DWORD style = w.style & ~DWORD(WS_BORDER);
        EXPECT_EQ(c.style & style, style) << w.text;
        // Dialog units to pixels by the dialog's own 282 x 132 units.
        auto px = [](int du, int units, LONG pixels) { return LONG(du * pixels / double(units) + 0.5); };
        EXPECT_NEAR(c.rect.left, px(w.x, 282, d.client.cx), 2) << w.text;
        EXPECT_NEAR(c.rect.top, px(w.y, 132, d.client.cy), 2) << w.text;
        EXPECT_NEAR(c.rect.right - c.rect.left, px(w.cx, 282, d.client.cx), 2) << w.text;
        EXPECT_NEAR(c.rect.bottom - c.rect.top, px(w.cy, 132, d.client.cy), 2) << w.text;
    }
}

struct ProbeCase {
    const char *probe;
    const char *build;
};

class CancelAtFirstScreen : public E2E, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(CancelAtFirstScreen, InstallsTheBuildAndDeletesTheSaveButPatchesNothing) {
    MakeKit({{"leggimi.txt", "Versione 1.1\r\n"}}, GetParam().probe);
    Session s;
    s.press = Press::Cancel;
    Run(s);
    EXPECT_TRUE(s.boxes.empty());
    ExpectGame(AfterSetUp(GetParam().build));
}

INSTANTIATE_TEST_SUITE_P(Probe, CancelAtFirstScreen,
                         ::testing::Values(ProbeCase{"probe0", kPlain}, ProbeCase{"probe1", kMmx}),
                         [](const ::testing::TestParamInfo<ProbeCase> &i) {
                             return std::string(i.param.probe[5] == '0' ? "NoMmx" : "Mmx");
                         });

struct SetUpFailure {
    const char *name;
    bool registry, engine, entryPoint, patch;
    const char *text;
};

class SetUpFails : public E2E, public ::testing::WithParamInterface<SetUpFailure> {};

TEST_P(SetUpFails, ShowsItsMessageAndLeavesTheGameAlone) {
    const SetUpFailure &c = GetParam();
    if (!c.registry) DeleteRegistry();
    MakeKit({{"leggimi.txt", "Versione 1.1\r\n"}}, "probe1", c.engine, c.patch);
    if (!c.entryPoint) fs::copy_file(fs::path(g_bin) / "CPUID.dll", kit / "PATCHW32.DLL");
    Session s;
    Run(s);
    ASSERT_EQ(s.boxes.size(), 1u);
    ExpectBox(s.boxes[0], kTitle, c.text, true);
    ExpectGame(olds);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetUpFails,
    ::testing::Values(SetUpFailure{"NoRegistryKey", false, true, true, true,
                                   "E' necessario avere installato KORVANTE."},
                      SetUpFailure{"NoPatchFile", true, true, true, false, "Manca il file: 'QMBPATCH36.RTP'"},
                      SetUpFailure{"NoEngine", true, false, true, true,
                                   "Non \xE8 stata trovata la DLL necessaria per eseguire il programma."},
                      SetUpFailure{"EngineWithoutEntryPoint", true, false, false, true,
                                   "Non \xE8 stata trovata la DLL necessaria per eseguire il programma."}),
    [](const ::testing::TestParamInfo<SetUpFailure> &i) { return std::string(i.param.name); });

TEST_F(E2E, MissingGameFileIsNamedAndNothingIsPatched) {
    Files news = {{"korvante.exe", Random(80000, 3)}, {"leggimi.txt", "Versione 1.1\r\n"}};
    MakeKit(news);
    fs::remove(game / "leggimi.txt");
    olds.erase("leggimi.txt");
    Session s;
    s.press = Press::Install;
    Run(s);
    ASSERT_EQ(s.boxes.size(), 2u);
    ExpectBox(s.boxes[0], "Errore!", "Non \xE8 stato trovato il file 'leggimi.txt' di KORVANTE.", true);
    ExpectBox(s.boxes[1], kTitle, "Aggiornamento non realizzato.", true);
    ExpectGame(AfterSetUp());
}

struct WarningCase {
    const char *name;
    int answer;
    int updatedFiles;
    const char *report;
};

class Warning : public E2E, public ::testing::WithParamInterface<WarningCase> {};

// leggimi.txt is already the new version: the engine warns about it.
TEST_P(Warning, AnsweredByTheUser) {
    const WarningCase &c = GetParam();
    Files news = {
        {"korvante.exe", Random(80000, 3)}, {"leggimi.txt", "Versione 1.1\r\n"}, {"save\\altro.sav", "converted"}};
    MakeKit(news);
    WriteFile(game / "leggimi.txt", news["leggimi.txt"]);
    olds["leggimi.txt"] = news["leggimi.txt"];
    Session s;
    s.press = Press::Install;
    s.answers = {c.answer};
    Run(s);
    ASSERT_EQ(s.boxes.size(), 2u);
    ExpectBox(s.boxes[0], "Avvertenza!", "Il file 'leggimi.txt' e' gia' aggiornato e non viene modificato.", true,
              true);
    ExpectBox(s.boxes[1], kTitle, c.report, c.updatedFiles == 0);
    Files want = With(AfterSetUp(), {{"korvante.exe", news["korvante.exe"]}});
    if (c.answer == IDOK) want["save\\altro.sav"] = "converted";
    ExpectGame(want);
}

INSTANTIATE_TEST_SUITE_P(Answer, Warning,
                         ::testing::Values(WarningCase{"Cancel", IDCANCEL, 1, "1 file aggiornato con successo."},
                                           WarningCase{"Ok", IDOK, 2, "2 files aggiornati con successo."}),
                         [](const ::testing::TestParamInfo<WarningCase> &i) { return std::string(i.param.name); });

TEST_F(E2E, NothingToDoStopsQuietly) {
    Files news = {{"leggimi.txt", "Versione 1.1\r\n"}};
    MakeKit(news);
    WriteFile(game / "leggimi.txt", news["leggimi.txt"]);
    olds["leggimi.txt"] = news["leggimi.txt"];
    Session s;
    s.press = Press::Install;
    Run(s);
    ASSERT_EQ(s.boxes.size(), 1u);
    ExpectBox(s.boxes[0], kTitle, "Non \xE8 stato aggiornato nessun file.", true);
    ExpectGame(AfterSetUp());
}

// The resources as compiled into updater.exe, in Italian.
TEST(Resources, DialogBitmapAndIcon) {
    HMODULE m = LoadLibraryExA((g_bin + "\\updater.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(m, nullptr);
    const WORD italian = MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN);
    auto load = [&](LPCSTR type, int id) -> const BYTE * {
        HRSRC r = FindResourceExA(m, type, MAKEINTRESOURCEA(id), italian);
        return r ? static_cast<const BYTE *>(LockResource(LoadResource(m, r))) : nullptr;
    };

    const BYTE *p = load(RT_DIALOG, 101);
    ASSERT_NE(p, nullptr);
    auto word = [&p]() {
        WORD w;
        memcpy(&w, p, 2);
        p += 2;
        return w;
    };
    auto dword = [&p]() {
        DWORD d;
        memcpy(&d, p, 4);
        p += 4;
        return d;
    };
    auto text = [&]() {  // a name or an ordinal, as "#n"
        std::string s;
        WORD w = word();
        if (w == 0xFFFF) return "#" + std::to_string(word());
        for (; w; w = word()) s += char(w);
        return s;
    };
    const BYTE *start = p;
    EXPECT_EQ(dword(), 0x90000BD4u);
    EXPECT_EQ(dword(), 0u);
    WORD count = word();
    EXPECT_EQ(count, 4);
    word();
    word();
    EXPECT_EQ(word(), 282);
    EXPECT_EQ(word(), 132);
    EXPECT_EQ(text(), "");  // menu
    EXPECT_EQ(text(), "");  // class
    EXPECT_EQ(text(), "");  // title
    EXPECT_EQ(word(), 8);
    EXPECT_EQ(text(), "MS Sans Serif");
    struct Item {
        DWORD style;
        int x, y, cx, cy, id;
        const char *cls;
        const char *text;
    };
    const Item items[] = {
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 150, 105, 50, 14, 2, "#128", "Annulla"},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 210, 105, 50, 14, 1, "#128", "Installare"},
        {WS_CHILD | WS_VISIBLE | WS_BORDER, 25, 89, 109, 8, 1006, "msctls_progress32", "Progress1"},
        {WS_CHILD | WS_VISIBLE | WS_BORDER, 150, 89, 109, 8, 1007, "msctls_progress32", "Progress1"},
    };
    for (int i = 0; i < count && i < 4; ++i) {
        p = start + ((p - start + 3) & ~3);
        const Item &it = items[i];
        EXPECT_EQ(dword(), it.style) << it.text;
        EXPECT_EQ(dword(), 0u);
        EXPECT_EQ(short(word()), it.x);
        EXPECT_EQ(short(word()), it.y);
        EXPECT_EQ(short(word()), it.cx);
        EXPECT_EQ(short(word()), it.cy);
        EXPECT_EQ(word(), it.id);
        std::string cls = text();
        // windres writes class names in capitals; they match regardless of case.
        EXPECT_TRUE(_stricmp(cls.c_str(), it.cls) == 0 ||
                    (std::string(it.cls) == "#128" && _stricmp(cls.c_str(), "Button") == 0))
            << cls;
        EXPECT_EQ(text(), it.text);
        EXPECT_EQ(word(), 0);
    }

    const BYTE *bmp = load(RT_BITMAP, 103);
    ASSERT_NE(bmp, nullptr);
    BITMAPINFOHEADER bi;
    memcpy(&bi, bmp, sizeof bi);
    EXPECT_EQ(bi.biWidth, 427);
    EXPECT_EQ(bi.biHeight, 220);
    EXPECT_EQ(bi.biBitCount, 8);

    const BYTE *group = load(RT_GROUP_ICON, 104);
    ASSERT_NE(group, nullptr);
    WORD n;
    memcpy(&n, group + 4, 2);
    std::set<std::pair<int, int>> kinds;  // size, bits per pixel
    for (int i = 0; i < n; ++i) {
        const BYTE *e = group + 6 + 14 * i;
        WORD bits;
        memcpy(&bits, e + 6, 2);
        kinds.insert({e[0], bits});
    }
    EXPECT_EQ(kinds, (std::set<std::pair<int, int>>{{16, 4}, {16, 8}, {32, 4}, {32, 8}}));
    FreeLibrary(m);
}

std::string g_shot;

// Copies the screen from (x, y) into pixels, laid out as bi says: its width,
// height (negative: top-down) and bits per pixel; the rest is filled in here.
void GrabScreen(int x, int y, BITMAPINFOHEADER &bi, void *pixels) {
    const int w = bi.biWidth, h = bi.biHeight < 0 ? -bi.biHeight : bi.biHeight;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
    SelectObject(mem, old);
    bi.biSize = sizeof bi;
    bi.biPlanes = 1;
    GetDIBits(mem, bmp, 0, UINT(h), pixels, reinterpret_cast<BITMAPINFO *>(&bi), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

void SaveScreenArea(HWND window, const std::string &path) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFOHEADER bi = {};
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biBitCount = 24;
    const DWORD stride = (DWORD(w) * 3 + 3) & ~3u;
    std::string pixels(stride * DWORD(h), '\0');
    GrabScreen(r.left, r.top, bi, &pixels[0]);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + DWORD(pixels.size());
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char *>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char *>(&bi), sizeof bi);
    f.write(pixels.data(), std::streamsize(pixels.size()));
}

// Pixels of the labels' colour (0x029CEFFF: RGB FF EF 9C) inside the two
// label rectangles of the client area; the background has none there.
int g_labelPixels[2] = {-1, -1};

void CountLabelPixels(HWND dialog) {
    const RECT labels[2] = {{39, 128, 239, 148}, {225, 128, 425, 148}};
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    const int w = 430, h = 150;
    BITMAPINFOHEADER bi = {};
    bi.biWidth = w;
    bi.biHeight = -h;  // top-down
    bi.biBitCount = 32;
    std::vector<uint32_t> px(size_t(w) * h);
    GrabScreen(origin.x, origin.y, bi, px.data());
    // Smoothed glyph edges blend into the background; their cores do not.
    auto within = [](int a, int b) { return a - b <= 24 && b - a <= 24; };
    for (int i = 0; i < 2; ++i) {
        int n = 0;
        for (int y = labels[i].top; y < labels[i].bottom; ++y)
            for (int x = labels[i].left; x < labels[i].right && x < w; ++x) {
                const uint32_t p = px[size_t(y) * w + x];
                n += within(int(p >> 16 & 0xFF), 0xFF) && within(int(p >> 8 & 0xFF), 0xEF) &&
                     within(int(p & 0xFF), 0x9C);
            }
        g_labelPixels[i] = n;
    }
}

// Half way through a big file, the program held still meanwhile, both labels
// must show. With UPDATER_SCREENSHOT=file.bmp it also photographs the dialog.
TEST_F(E2E, Screenshot) {
    char path[MAX_PATH] = {};
    g_shot.clear();
    if (GetEnvironmentVariableA("UPDATER_SCREENSHOT", path, MAX_PATH)) g_shot = path;
    std::string map = olds["data\\mappa.dat"];
    map[10] ^= 1;
    Files news = {{"data\\mappa.dat", map}, {"korvante.exe", Random(48 << 20, 7)}, {"leggimi.txt", "1.1"}};
    MakeKit(news);
    Session s;
    s.press = Press::Install;
    s.duringPatch = [](HWND dialog, HANDLE thread) {
        SuspendThread(thread);
        Sleep(300);
        CountLabelPixels(dialog);
        if (!g_shot.empty()) SaveScreenArea(dialog, g_shot);
        ResumeThread(thread);
    };
    Run(s);
    ExpectGame(With(AfterSetUp(), news));
    // "Totale file" and "Totale aggiornamento" in 14-pixel bold: well over
    // a hundred pixels each; none at all when Wine has no font to draw with.
    EXPECT_GE(g_labelPixels[0], 60) << "\"Totale file\" is not drawn (are Wine's fonts installed?)";
    EXPECT_GE(g_labelPixels[1], 60) << "\"Totale aggiornamento\" is not drawn";
    if (!g_shot.empty()) {
        EXPECT_TRUE(fs::exists(g_shot));
    }
}

}  // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        fprintf(stderr, "usage: updater_e2e BIN_FOLDER WORK_FOLDER\n");
        return 2;
    }
    g_bin = argv[1];
    g_work = argv[2];
    fs::create_directories(g_work);
    return RUN_ALL_TESTS();
}
