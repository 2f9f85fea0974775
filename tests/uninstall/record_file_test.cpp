// The install record on disk: the writer and the reader agree, a second
// install merges into the first, and the reader passes over every line of a
// tampered record that names something this installer did not write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/case_name.h"
#include "package/sha256.h"
#include "record/record_file.h"

namespace {

const std::string kFolder = "C:\\Korvex\\Tarnwell";
const std::string kHostKey = "SOFTWARE\\ZWSOFT\\ZWCAD\\2024\\zh-CN\\";
const std::string kLocation = "C:\\ZWCAD 2024";
const std::string kDigest = Sha256Hex("font");

RecordScope Scope() {
  RecordScope scope;
  scope.installFolder = kFolder;
  scope.hostKeys[3].push_back(kHostKey);
  scope.hostLocations.push_back(kLocation);
  return scope;
}

// The entry lines of a parsed record, as the writer writes them.
std::vector<std::string> EntryLines(const InstallRecord& record) {
  std::vector<std::string> lines;
  const std::string text = FormatRecord(record);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  // Without the header, the folder line and "end".
  return std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
}

InstallRecord Sample() {
  InstallRecord r;
  r.m_installFolder = kFolder;
  r.AddCreatedFolder("C:\\Korvex");
  r.AddCreatedFolder(kFolder);
  r.AddFile(kFolder + "\\Korvex2021.ZRX");
  r.AddFile(kFolder + "\\说明.txt");
  r.AddLibraryFile(kFolder + "\\Korvex扩展绘图库\\门窗.dwg");
  r.AddLoaderKey(kHostKey + "Applications\\Korvex2024");
  r.AddFont(kLocation + "\\Fonts\\Korvex_EN.shx", kDigest);
  return r;
}

TEST(RecordFile, WrittenThenReadGivesTheSameRecord) {
  const InstallRecord r = Sample();
  const std::string text = FormatRecord(r);
  EXPECT_EQ(text.substr(0, text.find("\r\n")), kRecordHeader);
  InstallRecord back;
  int ignored = -1;
  ASSERT_EQ(ParseRecord(text, Scope(), &back, &ignored), kRecordOk);
  EXPECT_EQ(ignored, 0);
  EXPECT_EQ(back.m_installFolder, kFolder);
  EXPECT_EQ(FormatRecord(back), text);
}

TEST(RecordFile, MergeKeepsBothInstallsAndTheNewestFontDigest) {
  InstallRecord first = Sample();
  InstallRecord second;
  second.AddCreatedFolder(kFolder + "\\Korvex扩展绘图库");
  second.AddFile(kFolder + "\\KORVEX2021.zrx");  // the same file, another spelling
  second.AddFile(kFolder + "\\Korvex2025.ZRX");
  second.AddLoaderKey(kHostKey + "Applications\\Korvex2024");
  second.AddFont(kLocation + "\\Fonts\\korvex_en.shx", Sha256Hex("new font"));
  second.AddFont(kLocation + "\\Fonts\\Korvex_HZ.shx", kDigest);
  first.Merge(second);
  EXPECT_EQ(EntryLines(first),
            (std::vector<std::string>{
                "created\tC:\\Korvex", "created\t" + kFolder,
                "created\t" + kFolder + "\\Korvex扩展绘图库",
                "file\t" + kFolder + "\\Korvex2021.ZRX", "file\t" + kFolder + "\\说明.txt",
                "file\t" + kFolder + "\\Korvex2025.ZRX",
                "library\t" + kFolder + "\\Korvex扩展绘图库\\门窗.dwg",
                "loader\t" + kHostKey + "Applications\\Korvex2024",
                "font\t" + kLocation + "\\Fonts\\Korvex_EN.shx\t" + Sha256Hex("new font"),
                "font\t" + kLocation + "\\Fonts\\Korvex_HZ.shx\t" + kDigest}));
}

TEST(RecordFile, WriterLeavesOutWhatTheReaderWouldRefuse) {
  InstallRecord r;
  r.AddFile(kFolder + "\\a\nfile\tC:\\Windows\\x.dll");
  r.AddFont(kLocation + "\\Fonts\\Korvex_EN.shx", "not a digest");
  EXPECT_TRUE(r.Empty());
}

struct TamperCase {
  const char* name;
  std::string text;                 // the whole file
  RecordRead result;
  std::vector<std::string> kept;    // entry lines read
  int ignored;
};

const std::string kHead = std::string(kRecordHeader) + "\r\nfolder\t" + kFolder + "\r\n";
const std::string kFile = "file\t" + kFolder + "\\a.txt";

std::string Head(const std::string& lines) { return kHead + lines; }

const TamperCase kTampered[] = {
    {"Empty", "", kRecordUnreadable, {}, 0},
    {"NoHeader", "folder\t" + kFolder + "\r\n" + kFile + "\r\n", kRecordUnreadable, {}, 0},
    {"OtherVersion", "Tarnwell install record 3\r\nfolder\t" + kFolder + "\r\n", kRecordUnreadable, {}, 0},
    {"RecordOfAnotherFolder", std::string(kRecordHeader) + "\r\nfolder\tD:\\Tarnwell\r\n" + kFile + "\r\n",
     kRecordUnreadable, {}, 0},
    {"HeaderOnly", std::string(kRecordHeader) + "\r\n", kRecordUnreadable, {}, 0},
    {"LineBreaksWithoutCr", std::string(kRecordHeader) + "\nfolder\t" + kFolder + "\n" + kFile + "\n",
     kRecordOk, {kFile}, 0},
    {"FolderNamedInAnotherCase", std::string(kRecordHeader) + "\r\nfolder\tc:\\KORVEX\\tarnwell\r\n" + kFile + "\r\n",
     kRecordOk, {kFile}, 0},
    {"TruncatedLastLine", Head(kFile + "\r\nfile\t" + kFolder + "\\Korvex20"), kRecordOk, {kFile}, 1},
    {"LinesAfterEndNotRead", Head(kFile + "\r\nend\r\nfile\tC:\\Windows\\x.dll\r\n"), kRecordOk, {kFile}, 0},
    {"PathOutsideTheFolder", Head("file\tC:\\Windows\\notepad.exe\r\n" + kFile + "\r\n"), kRecordOk, {kFile}, 1},
    {"DotDotOut", Head("file\t" + kFolder + "\\..\\..\\Windows\\win.ini\r\n"), kRecordOk, {}, 1},
    {"DotDotName", Head("file\t" + kFolder + "\\..\r\nfile\t" + kFolder + "\\.\r\n"), kRecordOk, {}, 2},
    {"SubfolderFile", Head("file\t" + kFolder + "\\sub\\a.txt\r\n"), kRecordOk, {}, 1},
    {"SlashSeparator", Head("file\t" + kFolder + "\\a/../../x.txt\r\n"), kRecordOk, {}, 1},
    {"StreamOrDrive", Head("file\t" + kFolder + "\\a.txt:s\r\nfile\t" + kFolder + "\\C:x\r\n"), kRecordOk, {}, 2},
    {"WildcardAndTrailingDot", Head("file\t" + kFolder + "\\*.*\r\nfile\t" + kFolder + "\\a.txt.\r\nfile\t" + kFolder + "\\a.txt \r\n"),
     kRecordOk, {}, 3},
    {"UninstallerAndRecordAreNoFiles", Head("file\t" + kFolder + "\\Uninstall.exe\r\nfile\t" + kFolder + "\\UNINSTALL.DAT\r\n"),
     kRecordOk, {}, 2},
    {"LibraryFileOutsideLibrary", Head("library\t" + kFolder + "\\a.txt\r\nlibrary\t" + kFolder + "\\Korvex扩展绘图库\\b.dwg\r\n"),
     kRecordOk, {"library\t" + kFolder + "\\Korvex扩展绘图库\\b.dwg"}, 1},
    {"PrefixIsNoParent", Head("file\t" + kFolder + "2\\a.txt\r\nfile\tC:\\Korvex\\a.txt\r\n"), kRecordOk, {}, 2},
    {"CreatedFolders", Head("created\tC:\\Korvex\r\ncreated\tC:\\\r\ncreated\tC:\\Windows\r\ncreated\tC:\r\ncreated\t" + kFolder + "\\x\r\n"),
     kRecordOk, {"created\tC:\\Korvex"}, 4},
    {"LoaderKeysOutsideTheHostKeys",
     Head("loader\tSOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\r\n"
          "loader\t" + kHostKey + "Applications\r\n"
          "loader\t" + kHostKey + "Applications\\Korvex2025\r\n"
          "loader\t" + kHostKey + "Applications\\Korvex2024\\sub\r\n"
          "loader\tSOFTWARE\\ZWSOFT\\ZWCAD\\2024\\Applications\\Korvex2024\r\n"
          "loader\t" + kHostKey + "Applications\\Other2024\r\n"
          "loader\t" + kHostKey + "applications\\korvex2024\r\n"),
     kRecordOk, {"loader\t" + kHostKey + "applications\\korvex2024"}, 6},
    {"FontsOutsideHostFontsFolders",
     Head("font\tC:\\Windows\\Fonts\\Korvex_EN.shx\t" + kDigest + "\r\n"
          "font\t" + kLocation + "\\Fonts\\simsun.shx\t" + kDigest + "\r\n"
          "font\t" + kLocation + "\\Korvex_EN.shx\t" + kDigest + "\r\n"
          "font\t" + kLocation + "\\Fonts\\Korvex_EN.shx\t" + kDigest.substr(1) + "\r\n"
          "font\t" + kLocation + "\\Fonts\\Korvex_EN.shx\r\n"
          "font\t" + kLocation + "\\Fonts\\Korvex_HZ.shx\t" + kDigest + "\r\n"),
     kRecordOk, {"font\t" + kLocation + "\\Fonts\\Korvex_HZ.shx\t" + kDigest}, 5},
    {"VeryLongLine", Head("file\t" + kFolder + "\\" + std::string(2000, 'a') + "\r\n" + kFile + "\r\n"),
     kRecordOk, {kFile}, 1},
    {"PathLongerThanMaxPath", Head("file\t" + kFolder + "\\" + std::string(260 - kFolder.size(), 'a') + "\r\n"),
     kRecordOk, {}, 1},
    {"BinaryBytes",
     Head(std::string("file\t") + kFolder + "\\a" + std::string(1, '\0') + ".txt\r\n" +
          "file\t" + kFolder + "\\b\x01.txt\r\n" + "file\t" + kFolder + "\\c\xff.txt\r\n" +
          "file\t" + kFolder + "\\d\xb2.txt\r\n" + "file\t" + kFolder + "\\e\x7f.txt\r\n" + kFile + "\r\n"),
     kRecordOk, {kFile}, 5},
    {"UnknownKindAndExtraFields", Head("delete\tC:\\Windows\r\n" + kFile + "\textra\r\n"), kRecordOk, {}, 2},
    {"DeviceNames", Head("file\t" + kFolder + "\\CON\r\nfile\t" + kFolder + "\\nul.txt\r\nfile\t" + kFolder +
                         "\\Com1.dat\r\nfile\t" + kFolder + "\\LPT9 .log\r\n" + kFile + "\r\nfile\t" + kFolder + "\\COM10.txt\r\n"),
     kRecordOk, {kFile, "file\t" + kFolder + "\\COM10.txt"}, 4},
    // Another spelling of the folder is the same folder; what is read is in full form.
    {"FolderInAnotherForm",
     std::string(kRecordHeader) + "\r\nfolder\t" + kFolder + "\\.\r\nfile\t" + kFolder + "\\\\a.txt\r\n",
     kRecordOk, {kFile}, 0},
    {"BlankLinesPassOver", Head("\r\n\r\n" + kFile + "\r\n" + kFile + "\r\n"), kRecordOk, {kFile}, 0},
    // A record of the first version (before intents) reads as it always did.
    {"FirstVersion", std::string(kRecordHeaderV1) + "\r\nfolder\t" + kFolder + "\r\n" + kFile + "\r\n",
     kRecordOk, {kFile}, 0},
};

class TamperedRecord : public testing::TestWithParam<TamperCase> {};

TEST_P(TamperedRecord, ReadsOnlyWhatThisInstallCanHaveWritten) {
  const TamperCase& c = GetParam();
  InstallRecord record;
  int ignored = -1;
  EXPECT_EQ(ParseRecord(c.text, Scope(), &record, &ignored), c.result);
  if (c.result != kRecordOk) return;
  EXPECT_EQ(EntryLines(record), c.kept);
  EXPECT_EQ(ignored, c.ignored);
}

INSTANTIATE_TEST_SUITE_P(Lines, TamperedRecord, testing::ValuesIn(kTampered), CaseName());

}  // namespace
