// Draws the program's own icon and logo at build time:
//   p25artwork ICON.ico LOGO.bmp
// The icon (a handheld radio with an update arrow) holds a 32 by 32 and a 16 by 16 image in 16
// colours and a 32 by 32 image in 256 colours; the logo is a 244 by 61 bitmap in 256 colours.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
  uint8_t r, g, b;
};

// An RGB picture with a transparency mask, drawn in a 32-unit square or any size.
struct Canvas {
  int width, height;
  std::vector<Rgb> pixels;
  std::vector<bool> opaque;
  Canvas(int w, int h, Rgb fill, bool solid)
      : width(w), height(h), pixels(size_t(w) * size_t(h), fill), opaque(size_t(w) * size_t(h), solid) {}
  void Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    pixels[size_t(y) * size_t(width) + size_t(x)] = c;
    opaque[size_t(y) * size_t(width) + size_t(x)] = true;
  }
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y, c);
  }
};

constexpr Rgb kBlack{0, 0, 0}, kDark{56, 60, 68}, kBody{92, 98, 110}, kEdge{20, 22, 26}, kScreen{120, 220, 140},
    kKey{200, 204, 210}, kBadge{0, 128, 0}, kArrow{255, 255, 255}, kAntenna{40, 40, 40}, kLed{255, 140, 0};

// The radio in a 32-unit square, scaled to size.
Canvas DrawIcon(int size) {
  Canvas c(size, size, kBlack, false);
  auto s = [size](int v) { return v * size / 32; };
  auto box = [&](int x0, int y0, int x1, int y1, Rgb col) { c.Fill(s(x0), s(y0), s(x1), s(y1), col); };
  box(9, 1, 12, 9, kAntenna);    // antenna
  box(19, 4, 22, 8, kAntenna);   // knob
  box(20, 5, 21, 6, kLed);
  box(6, 8, 24, 31, kEdge);      // body outline
  box(7, 9, 23, 30, kBody);
  box(9, 11, 21, 17, kEdge);     // display
  box(10, 12, 20, 16, kScreen);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) box(9 + col * 4, 19 + row * 3, 12 + col * 4, 21 + row * 3, kKey);
  // Update badge: a green disc with a white downward arrow.
  const double cx = s(24) + 0.5 * s(1), cy = s(24) + 0.5 * s(1), radius = s(8) - 0.5;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      if (dx * dx + dy * dy <= radius * radius) c.Set(x, y, kBadge);
    }
  box(23, 18, 26, 25, kArrow);
  for (int i = 0; i < 4; ++i) box(21 + i, 24 + i, 28 - i, 25 + i, kArrow);
  return c;
}

// Standard 16-colour palette.
std::vector<Rgb> Palette16() {
  return {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
          {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
          {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
}

// A 6x6x6 colour cube and 40 greys.
std::vector<Rgb> Palette256() {
  std::vector<Rgb> p;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) p.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
  for (int i = 0; i < 40; ++i) {
    const auto v = uint8_t(i * 255 / 39);
    p.push_back({v, v, v});
  }
  return p;
}

uint8_t Nearest(const std::vector<Rgb>& palette, Rgb c) {
  int best = 0;
  long bestDistance = -1;
  for (size_t i = 0; i < palette.size(); ++i) {
    const long dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = int(i);
    }
  }
  return uint8_t(best);
}

void Put16(std::string& out, uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Bitmap header, palette and bottom-up rows of palette indexes (4 or 8 bits), each row padded to 4 bytes.
std::string DeviceIndependentBitmap(const Canvas& c, const std::vector<Rgb>& palette, int bits, int headerHeight,
                                    uint32_t extraImageBytes) {
  const int rowBytes = ((c.width * bits + 31) / 32) * 4;
  std::string out;
  Put32(out, 40);
  Put32(out, uint32_t(c.width));
  Put32(out, uint32_t(headerHeight));
  Put16(out, 1);
  Put16(out, uint16_t(bits));
  Put32(out, 0);
  Put32(out, uint32_t(rowBytes * c.height) + extraImageBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, uint32_t(palette.size()));
  Put32(out, 0);
  for (const Rgb& p : palette) {
    out += char(p.b);
    out += char(p.g);
    out += char(p.r);
    out += char(0);
  }
  for (int y = c.height - 1; y >= 0; --y) {
    std::string row(size_t(rowBytes), '\0');
    for (int x = 0; x < c.width; ++x) {
      const size_t i = size_t(y) * size_t(c.width) + size_t(x);
      const uint8_t index = c.opaque[i] ? Nearest(palette, c.pixels[i]) : 0;
      if (bits == 8) {
        row[size_t(x)] = char(index);
      } else {
        const size_t at = size_t(x / 2);
        row[at] = char(uint8_t(row[at]) | (x % 2 == 0 ? index << 4 : index));
      }
    }
    out += row;
  }
  return out;
}

// An icon image: the colour bitmap (double height in its header) followed by the transparency mask.
std::string IconImage(const Canvas& c, const std::vector<Rgb>& palette, int bits) {
  const int maskRow = ((c.width + 31) / 32) * 4;
  std::string out = DeviceIndependentBitmap(c, palette, bits, c.height * 2, uint32_t(maskRow * c.height));
  for (int y = c.height - 1; y >= 0; --y) {
    std::string row(size_t(maskRow), '\0');
    for (int x = 0; x < c.width; ++x)
      if (!c.opaque[size_t(y) * size_t(c.width) + size_t(x)]) row[size_t(x / 8)] |= char(0x80 >> (x % 8));
    out += row;
  }
  return out;
}

std::string IconFile() {
  struct Entry {
    int size, bits;
    std::vector<Rgb> palette;
  };
  const std::array<Entry, 3> entries{{{32, 4, Palette16()}, {16, 4, Palette16()}, {32, 8, Palette256()}}};
  std::vector<std::string> images;
  for (const Entry& e : entries) images.push_back(IconImage(DrawIcon(e.size), e.palette, e.bits));
  std::string out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, uint16_t(entries.size()));
  uint32_t offset = 6 + 16 * uint32_t(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    out += char(entries[i].size);
    out += char(entries[i].size);
    out += char(entries[i].bits == 4 ? 16 : 0);
    out += char(0);
    Put16(out, 1);
    Put16(out, uint16_t(entries[i].bits));
    Put32(out, uint32_t(images[i].size()));
    Put32(out, offset);
    offset += uint32_t(images[i].size());
  }
  for (const std::string& image : images) out += image;
  return out;
}

// A 5 by 7 font for the letters the logo uses.
const std::array<uint8_t, 7>* Glyph(char ch) {
  struct Entry {
    char ch;
    std::array<uint8_t, 7> rows;
  };
  static const Entry kFont[] = {
      {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
      {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
      {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
      {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
      {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
      {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
      {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
      {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
  };
  for (const Entry& e : kFont)
    if (e.ch == ch) return &e.rows;
  return nullptr;
}

void Text(Canvas& c, int x, int y, const std::string& text, int scale, Rgb colour) {
  for (char ch : text) {
    if (const auto* rows = Glyph(ch))
      for (int r = 0; r < 7; ++r)
        for (int b = 0; b < 5; ++b)
          if ((*rows)[size_t(r)] & (0x10 >> b)) c.Fill(x + b * scale, y + r * scale, x + (b + 1) * scale, y + (r + 1) * scale, colour);
    x += 6 * scale;
  }
}

std::string LogoFile() {
  Canvas c(244, 61, kBlack, true);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      c.Set(x, y, {uint8_t(10 + x / 8), uint8_t(30 + x / 5), uint8_t(90 + x * 120 / 244 - y / 2)});
  const Canvas radio = DrawIcon(48);
  for (int y = 0; y < radio.height; ++y)
    for (int x = 0; x < radio.width; ++x)
      if (radio.opaque[size_t(y) * 48 + size_t(x)]) c.Set(6 + x, 7 + y, radio.pixels[size_t(y) * 48 + size_t(x)]);
  Text(c, 62, 12, "FIRMWARE UPDATE", 2, {255, 255, 255});
  Text(c, 62, 38, "P25 HANDHELD", 1, {255, 210, 90});
  std::string dib = DeviceIndependentBitmap(c, Palette256(), 8, c.height, 0);
  std::string out = "BM";
  Put32(out, uint32_t(14 + dib.size()));
  Put32(out, 0);
  Put32(out, 14 + 40 + 256 * 4);
  return out + dib;
}

bool Write(const char* path, const std::string& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s ICON.ico LOGO.bmp\n", argv[0]);
    return 2;
  }
  if (!Write(argv[1], IconFile()) || !Write(argv[2], LogoFile())) {
    std::perror("p25artwork");
    return 1;
  }
  return 0;
}
