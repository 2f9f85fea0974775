// SetUp.exe as built: template 141 read back out of the executable and
// compared field by field with the C++ table that the simulation uses, the
// two bitmaps (decoded and compared with the drawing), the icon's images and the manifest. (The import table and the
// version information: tests/hardening/image_win_test.cpp.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "ui/setup_template.h"

namespace {

std::wstring Wide(const char* gbk) {
  if (!gbk) return L"";
  const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk, -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
  if (n > 1) MultiByteToWideChar(936, 0, gbk, -1, &w[0], n);
  return w;
}

std::wstring Upper(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
  return s;
}

// Reads a DLGTEMPLATEEX.
class Reader {
 public:
  Reader(const BYTE* p, std::size_t size) : p_(p), end_(p + size) {}
  template <class T>
  T Get() {
    T v{};
    if (p_ + sizeof(T) <= end_) std::memcpy(&v, p_, sizeof(T));
    p_ += sizeof(T);
    return v;
  }
  // sz_Or_Ord: 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string.
  std::wstring SzOrOrd(int* ordinal) {
    *ordinal = 0;
    WORD first = Get<WORD>();
    if (first == 0xFFFF) {
      *ordinal = Get<WORD>();
      return L"";
    }
    std::wstring s;
    while (first != 0 && p_ < end_) {
      s += static_cast<wchar_t>(first);
      first = Get<WORD>();
    }
    return s;
  }
  void AlignDword(const BYTE* base) {
    while ((p_ - base) % 4) ++p_;
  }
  bool Overrun() const { return p_ > end_; }

 private:
  const BYTE* p_;
  const BYTE* end_;
};

class ExeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExA(e2e::SetupExePath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  static bool Resource(LPCSTR type, int id, const BYTE** data, std::size_t* size) {
    HRSRC r = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
    if (!r) return false;
    HGLOBAL g = LoadResource(module_, r);
    *data = static_cast<const BYTE*>(LockResource(g));
    *size = SizeofResource(module_, r);
    return *data != nullptr;
  }
  static HMODULE module_;
};
HMODULE ExeTest::module_ = nullptr;

std::wstring ClassName(const std::wstring& name, int ordinal) {
  switch (ordinal) {
    case 0x80: return L"BUTTON";
    case 0x81: return L"EDIT";
    case 0x82: return L"STATIC";
    case 0: return Upper(name);
    default: return L"?";
  }
}

TEST_F(ExeTest, Template141IsTheTableOfTheSimulation) {
  ASSERT_NE(module_, nullptr) << e2e::SetupExePath();
  const BYTE* data = nullptr;
  std::size_t size = 0;
  ASSERT_TRUE(Resource(MAKEINTRESOURCEA(5), kSetupDialogId, &data, &size));  // RT_DIALOG
  const platform::DialogTemplate& t = kSetupDialogTemplate;
  Reader r(data, size);
  ASSERT_EQ(r.Get<WORD>(), 1);       // dlgVer
  ASSERT_EQ(r.Get<WORD>(), 0xFFFF);  // DLGTEMPLATEEX
  EXPECT_EQ(r.Get<DWORD>(), 0u);     // helpID
  EXPECT_EQ(r.Get<DWORD>(), t.exStyle);
  EXPECT_EQ(r.Get<DWORD>(), t.style);
  const WORD count = r.Get<WORD>();
  EXPECT_EQ(r.Get<short>(), t.x);
  EXPECT_EQ(r.Get<short>(), t.y);
  EXPECT_EQ(r.Get<short>(), t.cx);
  EXPECT_EQ(r.Get<short>(), t.cy);
  int ordinal = 0;
  EXPECT_EQ(r.SzOrOrd(&ordinal), L"");  // no menu
  EXPECT_EQ(ordinal, 0);
  EXPECT_EQ(r.SzOrOrd(&ordinal), L"");  // the dialog class
  EXPECT_EQ(ordinal, 0);
  EXPECT_EQ(r.SzOrOrd(&ordinal), Wide(t.caption));
  EXPECT_EQ(r.Get<WORD>(), t.pointSize);
  EXPECT_EQ(r.Get<WORD>(), t.weight);
  EXPECT_EQ(r.Get<BYTE>(), t.italic ? 1 : 0);
  EXPECT_EQ(r.Get<BYTE>(), t.charSet);
  EXPECT_EQ(r.SzOrOrd(&ordinal), Wide(t.face));
  ASSERT_EQ(count, t.items.size());
  for (const platform::DialogItemTemplate& item : t.items) {
    SCOPED_TRACE(item.id);
    r.AlignDword(data);
    EXPECT_EQ(r.Get<DWORD>(), 0u);  // helpID
    EXPECT_EQ(r.Get<DWORD>(), item.exStyle);
    EXPECT_EQ(r.Get<DWORD>(), item.style);
    EXPECT_EQ(r.Get<short>(), item.x);
    EXPECT_EQ(r.Get<short>(), item.y);
    EXPECT_EQ(r.Get<short>(), item.cx);
    EXPECT_EQ(r.Get<short>(), item.cy);
    EXPECT_EQ(static_cast<int>(r.Get<DWORD>()), item.id);
    const std::wstring cls = r.SzOrOrd(&ordinal);
    EXPECT_EQ(ClassName(cls, ordinal), Upper(Wide(item.className)));
    const std::wstring text = r.SzOrOrd(&ordinal);
    EXPECT_EQ(text, Wide(item.text));
    EXPECT_EQ(ordinal, item.textOrdinal);
    const WORD extra = r.Get<WORD>();
    EXPECT_EQ(extra, 0);
    for (WORD i = 0; i < extra; ++i) r.Get<BYTE>();
  }
  EXPECT_FALSE(r.Overrun());
}

struct BitmapCase {
  int id;
  LONG width, height;
  const char* reference;  // the pixels as drawn (tools/draw-resources.py --reference)
};

// Each bitmap is stored with a palette and run-length encoded, and decodes,
// as the static control loads it, to exactly the pixels that were drawn.
TEST_F(ExeTest, BitmapsAreRle8AndDecodeToTheDrawing) {
  ASSERT_NE(module_, nullptr);
  for (const BitmapCase& c : {BitmapCase{kLogoBitmapId, 64, 64, "logo.rgb"},
                              BitmapCase{kMenuBitmapId, 303, 120, "menu.rgb"}}) {
    SCOPED_TRACE(c.id);
    const BYTE* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(Resource(MAKEINTRESOURCEA(2), c.id, &data, &size));  // RT_BITMAP
    ASSERT_GE(size, sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof h);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, c.height);
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RLE8));
    EXPECT_EQ(size, h.biSize + 4 * h.biClrUsed + h.biSizeImage);

    std::ifstream in(e2e::WinPath(std::string(TARNWELL_BITMAP_REFERENCE) + "/" + c.reference),
                     std::ios::binary);
    const std::string drawn((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(drawn.size(), static_cast<std::size_t>(c.width * c.height * 3));

    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module_, MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(bitmap, nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = c.width;
    bi.bmiHeader.biHeight = -c.height;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> bgrx(static_cast<std::size_t>(c.width * c.height * 4));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, bitmap, 0, static_cast<UINT>(c.height), bgrx.data(), &bi, DIB_RGB_COLORS),
              c.height);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    std::string decoded;  // BGRX to RGB
    for (std::size_t i = 0; i < bgrx.size(); i += 4)
      decoded += {static_cast<char>(bgrx[i + 2]), static_cast<char>(bgrx[i + 1]), static_cast<char>(bgrx[i])};
    const auto diff = std::mismatch(decoded.begin(), decoded.end(), drawn.begin());
    EXPECT_TRUE(decoded == drawn) << "first different pixel: " << (diff.first - decoded.begin()) / 3;
  }
}

TEST_F(ExeTest, IconHasThreeSizesAtThreeDepths) {
  ASSERT_NE(module_, nullptr);
  const BYTE* data = nullptr;
  std::size_t size = 0;
  ASSERT_TRUE(Resource(MAKEINTRESOURCEA(14), kProgramIconId, &data, &size));  // RT_GROUP_ICON
  ASSERT_GE(size, 6u);
  WORD header[3];
  std::memcpy(header, data, sizeof header);
  EXPECT_EQ(header[1], 1);  // icons
  ASSERT_EQ(size, 6u + 14u * header[2]);
  std::set<std::pair<int, int>> images;
  for (WORD i = 0; i < header[2]; ++i) {
    const BYTE* e = data + 6 + 14 * i;
    const int width = e[0] ? e[0] : 256, height = e[1] ? e[1] : 256;
    WORD bitCount = 0, id = 0;
    std::memcpy(&bitCount, e + 6, 2);
    std::memcpy(&id, e + 12, 2);
    EXPECT_EQ(width, height);
    images.insert({width, bitCount});
    // The image itself: a DIB of that size and depth.
    const BYTE* image = nullptr;
    std::size_t imageSize = 0;
    ASSERT_TRUE(Resource(MAKEINTRESOURCEA(3), id, &image, &imageSize));  // RT_ICON
    BITMAPINFOHEADER h;
    ASSERT_GE(imageSize, sizeof h);
    std::memcpy(&h, image, sizeof h);
    EXPECT_EQ(h.biWidth, width);
    EXPECT_EQ(h.biHeight, 2 * height);
    EXPECT_EQ(h.biBitCount, bitCount);
  }
  const std::set<std::pair<int, int>> expected = {{48, 4}, {48, 8}, {48, 32}, {32, 4}, {32, 8},
                                                  {32, 32}, {16, 4}, {16, 8}, {16, 32}};
  EXPECT_EQ(images, expected);
  EXPECT_EQ(header[2], 9);
}

TEST_F(ExeTest, ManifestRequiresAdministratorWithoutUiAccess) {
  ASSERT_NE(module_, nullptr);
  const BYTE* data = nullptr;
  std::size_t size = 0;
  ASSERT_TRUE(Resource(MAKEINTRESOURCEA(24), 1, &data, &size));  // RT_MANIFEST
  const std::string text(reinterpret_cast<const char*>(data), size);
  EXPECT_NE(text.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("asInvoker"), std::string::npos);
}

}  // namespace
