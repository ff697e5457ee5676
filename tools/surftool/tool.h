// surftool: the library's command-line front end and demo.
#ifndef KORVANTE_SURFTOOL_H
#define KORVANTE_SURFTOOL_H

#include "utils.h"

#include <stdint.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace surftool {

// Thrown for bad arguments or files; main prints it and exits with 1.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A misused command line; main prints it and exits with 2.
struct UsageError : Failure {
    using Failure::Failure;
};

// "--key value" options and plain positional arguments.
class Args {
  public:
    // flags: options that take no value ("[--alpha]" in a usage text), so
    // that the argument after them stays positional.
    Args(int argc, char **argv, int first, const std::vector<std::string> &flags = {});
    bool Has(const std::string &key) const { return opts_.count(key) != 0; }
    std::string Get(const std::string &key, const std::string &def = "") const;
    std::string Need(const std::string &key) const;
    int Int(const std::string &key, int def) const;
    // The same, refused outside lo .. hi.
    int Int(const std::string &key, int def, int lo, int hi) const;
    // A colour or pixel value: 32 bits, decimal or 0x hexadecimal.
    unsigned long Colour(const std::string &key, unsigned long def) const;
    // "X,Y"; (0, 0) when the option is absent.
    CPunto Point(const std::string &key) const;
    // Options that are not in the list, for refusing them.
    std::vector<std::string> Unknown(const std::vector<std::string> &known) const;
    const std::vector<std::string> &Positional() const { return pos_; }
    std::string Pos(size_t i, const char *what) const;
    // Refuses positional arguments beyond the first n.
    void AtMost(size_t n) const;

  private:
    std::map<std::string, std::string> opts_;
    std::vector<std::string> pos_;
};

// A surface that owns its pixels and palette.
class Image {
  public:
    Image(int kind, int width, int height);
    TSurfDesc desc;
    TRGBA palette[256];
    int kind;
    uint8_t *Row(int y) { return desc.bits + static_cast<ptrdiff_t>(y) * desc.scanWidth; }

  private:
    std::vector<uint8_t> mem_;
};

// Strict number parsing for option values; `what` names the value in errors.
unsigned long ParseColour(const std::string &s, const std::string &what);
CPunto ParsePoint(const std::string &s, const std::string &what);

// Formats by name: 8, 565, 555, 1555, 4444, 24, 32.
int ParseFormat(const std::string &name);
const char *FormatName(int kind);
const std::vector<int> &AllFormats();
void ParseSize(const std::string &s, int &w, int &h);

// 8-bit colour of pixel (x, y) as 0xRRGGBB, whatever the surface's kind.
uint32_t ReadRGB(const TSurfDesc &s, int x, int y);
void WritePng(const TSurfDesc &s, const std::string &path);
// Reads any PNG into a new 32-bit image.
std::unique_ptr<Image> ReadPng(const std::string &path);
// A grey palette, so 8-bit planes (alpha, masks, shadows) show as coverage.
void GreyPalette(Image &img);

// A test card in any format: colour bars, ramps, a grid and a circle.
void DrawTestCard(Image &img);
// A copy of src in `kind`, redrawn pixel by pixel with SetPixel; value(rgb,
// x, y) gives what is written for the source's colour rgb (0xRRGGBB) there.
template <class Value>
std::unique_ptr<Image> Redrawn(const TSurfDesc &src, int kind, Value value) {
    std::unique_ptr<Image> out(new Image(kind, src.width, src.height));
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) SetPixel(out->desc, x, y, value(ReadRGB(src, x, y), x, y));
    return out;
}
// A new w x h image holding the test card.
std::unique_ptr<Image> TestCard(int kind, int w, int h);

struct Command {
    const char *name;
    const char *summary;
    const char *usage;  // shown by `surftool NAME --help`
    int (*run)(const Args &);
    size_t positional;  // the most plain arguments it takes
};
struct CommandRegistrar {
    explicit CommandRegistrar(const Command &c);
};
const std::vector<Command> &Commands();

// One picture of the gallery: an operation shown in one format.
struct GalleryEntry {
    const char *operation;
    const char *family;
    // Returns false when the operation does not support the format.
    bool (*make)(int kind, std::unique_ptr<Image> &out);
};
struct GalleryRegistrar {
    explicit GalleryRegistrar(const GalleryEntry &e);
};
const std::vector<GalleryEntry> &Gallery();

}  // namespace surftool

#endif
